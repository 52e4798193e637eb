#!/usr/bin/env bash
# Runs bench_transfer against kvx-device on a private JACK server (the dummy driver, as in the
# tests), so that the transfer goes through real JACK MIDI ports.
#   bench/bench_transfer_over_jack.sh BUILD_DIR [BENCHMARK_ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
server="kvx-bench-$$"
state=$(mktemp -d)
device_pid=""
stop() {
  if [ -n "$device_pid" ]; then
    kill -INT "$device_pid" 2>/dev/null || true
    wait "$device_pid" 2>/dev/null || true
  fi
  tests/device/jack_server.sh stop "$server" "$state"
  rm -rf "$state"
}
trap stop EXIT
tests/device/jack_server.sh start "$server" "$state" >/dev/null
export JACK_DEFAULT_SERVER="$server" JACK_NO_START_SERVER=1 KVX_MIDI_SYSTEM=jack
"$build/src/device/kvx-device" --name "KVX Bench Device" >"$state/device.log" 2>&1 &
device_pid=$!
KVX_BENCH_DEVICE="KVX Bench Device" "$build/bench/bench_transfer" "$@"
