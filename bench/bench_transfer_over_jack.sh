#!/usr/bin/env bash
# Runs bench_transfer against kvx-device on a private JACK server (the dummy driver, as in the
# tests), so that the transfer goes through real JACK MIDI ports.
#   bench/bench_transfer_over_jack.sh BUILD_DIR [BENCHMARK_ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
. bench/jack_device.sh "$build" "KVX Bench Device"
KVX_BENCH_DEVICE="KVX Bench Device" "$build/bench/bench_transfer" "$@"
