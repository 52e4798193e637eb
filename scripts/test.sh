#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build, once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== build and test (build)"
scripts/setup.sh build
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== build and test under address,undefined sanitizers (build-asan)"
KVX_BUILD_TYPE=Debug scripts/setup.sh build-asan -DKVX_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
