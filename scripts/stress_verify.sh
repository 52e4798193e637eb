#!/usr/bin/env bash
# Sends a patch with Verify to kvx-device on a private JACK server, SENDS times (default 10),
# while two busy loops compete for the processors, and checks after each send that the device
# holds the patch byte for byte. Prints how many sends needed a resend.
#   scripts/stress_verify.sh [BUILD_DIR] [SENDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sends=${2:-10}
kvx="$build/src/cli/kvx"
patch="$build/examples/synth-setup.mid"
server="kvx-stress-$$"
state=$(mktemp -d)
device_pid="" busy_pids=()
stop() {
  for pid in "${busy_pids[@]}" $device_pid; do kill -INT "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  tests/device/jack_server.sh stop "$server" "$state"
  rm -rf "$state"
}
trap stop EXIT
tests/device/jack_server.sh start "$server" "$state" >/dev/null
export JACK_DEFAULT_SERVER="$server" JACK_NO_START_SERVER=1 KVX_MIDI_SYSTEM=jack

for _ in 1 2; do nice -n 10 sh -c 'while :; do :; done' & busy_pids+=($!); done

expected=$("$kvx" dump "$patch")
resent=0 failed=0
for run in $(seq 1 "$sends"); do
  # A name of its own each time: the last device's ports may linger a moment after it quits.
  device="KVX Stress Device $run"
  "$build/src/device/kvx-device" --name "$device" --save "$state/device.mid" \
    >"$state/device.log" 2>&1 &
  device_pid=$!
  for _ in $(seq 1 50); do
    "$kvx" ports 2>/dev/null | grep -q "$device" && break
    sleep 0.1
  done
  out=$("$kvx" send "$patch" --to "$device" --verify --from "$device" --yes --timeout 60 2>&1) ||
    failed=$((failed + 1))
  kill -INT "$device_pid"
  wait "$device_pid" || true
  device_pid=""
  held=$("$kvx" dump "$state/device.mid" 2>/dev/null || true)
  verdict="byte-exact"
  [ "$held" = "$expected" ] || { verdict="DIFFERENT"; failed=$((failed + 1)); }
  case "$out" in *"after "*" sends"*) resent=$((resent + 1)) ;; esac
  echo "send $run: $(echo "$out" | tail -n 1) — the device holds the patch $verdict"
done
echo "$sends verified sends beside two busy loops: $resent needed a resend, $failed failed"
[ "$failed" -eq 0 ]
