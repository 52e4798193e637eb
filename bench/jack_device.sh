# Sourced by the benchmarks that talk to a device: starts a private JACK server (the dummy
# driver, as in the tests) and kvx-device on it, named NAME, and stops both when the shell
# exits. Leaves the JACK environment exported and $state, a scratch folder removed at exit.
#   . bench/jack_device.sh BUILD_DIR NAME     (from the source tree's top folder)
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
"$1/src/device/kvx-device" --name "$2" >"$state/device.log" 2>&1 &
device_pid=$!
for _ in $(seq 100); do
  grep -q "until interrupted" "$state/device.log" && break
  sleep 0.1
done
