# Thin wrapper over CMake + Ninja. The real build lives in CMakeLists.txt.
BUILD      ?= build
BENCHBUILD ?= build-bench
JOBS       ?= $(shell nproc)

.PHONY: all deps configure build test demo bench fuzz clean install

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIRO_SANITIZE=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Installs what is missing, builds the sanitizer build and runs every test.
test: build
	cd $(BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

demo: deps
	cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIRO_BUILD_TESTS=OFF
	cmake --build build-demo -j $(JOBS)
	bash scripts/demo.sh build-demo

bench: deps
	cmake -S . -B $(BENCHBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIRO_BUILD_TESTS=OFF -DKIRO_BUILD_BENCH=ON
	cmake --build $(BENCHBUILD) -j $(JOBS)
	bash scripts/bench.sh $(BENCHBUILD)

# Installs an optimised build under PREFIX (bin/, lib/, include/, share/).
PREFIX ?= /usr/local
install: deps
	cmake -S . -B build-install -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIRO_BUILD_TESTS=OFF
	cmake --build build-install -j $(JOBS)
	cmake --install build-install --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) build-demo $(BENCHBUILD) build-install
