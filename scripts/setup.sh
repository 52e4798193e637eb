#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and configures and builds
# the project into a build folder.
#   scripts/setup.sh [BUILD_DIR] [CMAKE_ARGS...]     (default BUILD_DIR: build)
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          nlohmann-json3-dev librtmidi-dev jackd2 libjack-jackd2-dev qt6-base-dev qt6-svg-dev xvfb xauth ${KVX_EXTRA_PACKAGES:-})

scripts/install_packages.sh "${PACKAGES[@]}"

BUILD_DIR=${1:-build}
shift || true
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${KVX_BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
