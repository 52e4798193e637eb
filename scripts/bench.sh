#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
KVX_EXTRA_PACKAGES="libsmf-dev" KVX_BUILD_TYPE=Release \
  scripts/setup.sh build-bench -DKVX_BUILD_BENCH=ON -DKVX_BUILD_TESTS=OFF
for bench in build-bench/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" --benchmark_min_time=0.5 "$@"
done
echo "== bench_transfer over JACK"; bench/bench_transfer_over_jack.sh build-bench "$@"
echo "== start-up of kvx-editor and of a bare Qt window"; bench/startup.sh build-bench
echo "== kvx beside jack_lsp and the pacing bound"; bench/cli_speed.sh build-bench
