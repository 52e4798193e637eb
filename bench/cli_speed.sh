#!/usr/bin/env bash
# Times whole kvx processes beside their peers, on a private JACK server (the dummy driver, as
# in the tests), with kvx-device as the receiving device:
#   kvx ports                  beside jack_lsp                      target: at most 2x
#   kvx send PATCH --yes       beside the pacing bound 50 x 4 ticks  target: at most 8 % over
#   kvx info|html|dump|json    against 10 ms                        target: under it
# Runs each pair in turn, RUNS times (default 5), and prints the medians.
#   bench/cli_speed.sh BUILD_DIR [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:?usage: bench/cli_speed.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-5}
kvx=$build/src/cli/kvx
device=$build/src/device/kvx-device
patch=$build/examples/synth-setup.mid
for file in "$kvx" "$device" "$patch"; do
  [ -e "$file" ] || { echo "cli_speed.sh: $file is missing" >&2; exit 1; }
done
command -v jack_lsp >/dev/null || { echo "cli_speed.sh: jack_lsp is missing" >&2; exit 1; }

name="KVX Bench Device"
. bench/jack_device.sh "$build" "$name"
export XDG_CONFIG_HOME="$state/config"

# Milliseconds "$@" takes as a whole process; its output is thrown away, a failure stops all.
elapsed_ms() {
  local start=$EPOCHREALTIME end
  if ! "$@" >/dev/null 2>"$state/err"; then
    echo "cli_speed.sh: $* failed: $(cat "$state/err")" >&2
    exit 1
  fi
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f\n", (e - s) * 1000 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-22s %12s %14s %8s  %s\n' command ours peer/bound ratio result
# One row: NAME OURS_MS PEER_MS LIMIT (the largest ratio that passes) PEER_TEXT
row() {
  awk -v n="$1" -v o="$2" -v p="$3" -v l="$4" -v t="$5" 'BEGIN {
    r = o / p
    printf "%-22s %9.1f ms %14s %8.3f  %s\n", n, o, t, r, (r <= l) ? "PASS" : "FAIL"
  }'
}

# Warm the disk cache and the server first.
elapsed_ms "$kvx" ports >/dev/null
elapsed_ms jack_lsp >/dev/null

ours=() peer=()
for ((run = 0; run < runs; ++run)); do
  ours+=("$(elapsed_ms "$kvx" ports)")
  peer+=("$(elapsed_ms jack_lsp)")
done
ports=$(printf '%s\n' "${ours[@]}" | median)
lsp=$(printf '%s\n' "${peer[@]}" | median)
row "kvx ports" "$ports" "$lsp" 2 "$(printf '%.1f ms' "$lsp") jack_lsp"

bound=$(awk 'BEGIN { printf "%.2f", 50 * 4 * 1000 / 60 }')
ours=()
for ((run = 0; run < runs; ++run)); do
  ours+=("$(elapsed_ms "$kvx" send "$patch" --to "$name" --yes)")
done
send=$(printf '%s\n' "${ours[@]}" | median)
row "kvx send" "$send" "$bound" 1.08 "$(printf '%.1f ms' "$bound") bound"

for command in info html dump json; do
  ours=()
  for ((run = 0; run < runs; ++run)); do
    ours+=("$(elapsed_ms "$kvx" "$command" "$patch")")
  done
  row "kvx $command" "$(printf '%s\n' "${ours[@]}" | median)" 10 1 "10 ms bound"
done
