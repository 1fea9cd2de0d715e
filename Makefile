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

# The online link's tests under ThreadSanitizer, in a build of their own
# (make clean leaves it; remove build-tsan by hand).
.PHONY: tsan
TSANBUILD ?= build-tsan
TSAN_TESTS = kiro_bplus_tests host_session_flow_tests host_session_tests online_port_tests \
             online_telnet_tests online_modem_engine_tests session_matcher_tests
tsan: deps
	cmake -S . -B $(TSANBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKIRO_TSAN=ON
	cmake --build $(TSANBUILD) -j $(JOBS) --target $(TSAN_TESTS) kiro-hostsim
	for t in $(TSAN_TESTS); do TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/scripts/tsan.supp" $(TSANBUILD)/bin/$$t --gtest_brief=1 || exit 1; done

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
