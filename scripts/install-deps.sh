#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent and non-interactive; run as root (make test calls it).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git python3
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  libsqlcipher-dev sqlcipher
  libfluidsynth-dev timgm6mb-soundfont
  libsdl2-dev
  fonts-ipafont-gothic
  lhasa jlha-utils
  xvfb xauth x11-utils imagemagick
  iproute2 procps
  desktop-file-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (run as root to install): ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
