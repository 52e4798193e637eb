#!/usr/bin/env bash
# Start-up time of kvx-editor: from the start of the process to the first paint of its main
# window with an example patch loaded, side by side with a bare Qt window started the same
# way. Each program prints a line once its window is painted (kvx-editor
# --quit-after-first-paint, bare_window) and quits; the time is taken when the line arrives,
# so quitting is not counted. One X server serves all runs: the display there is, else a
# virtual one (xvfb-run), else Qt's offscreen platform. Prints the median of RUNS runs each.
#   bench/startup.sh BUILD_DIR [RUNS]     (a build with -DKVX_BUILD_BENCH=ON)
set -euo pipefail
build=$(cd "${1:?usage: bench/startup.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-15}
editor=$build/src/app/kvx-editor
bare=$build/bench/bare_window
patch=$build/examples/synth-setup.mid
for program in "$editor" "$bare"; do
  [ -x "$program" ] || { echo "startup.sh: $program is missing" >&2; exit 1; }
done

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${KVX_STARTUP_PLATFORM:-}" ]; then
  if command -v xvfb-run >/dev/null; then
    KVX_STARTUP_PLATFORM=xcb exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
  fi
  export KVX_STARTUP_PLATFORM=offscreen
fi
if [ -n "${KVX_STARTUP_PLATFORM:-}" ]; then export QT_QPA_PLATFORM=$KVX_STARTUP_PLATFORM; fi
# The editor's preferences go to a folder of their own.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

# Milliseconds from the start of "$@" to its first line of output.
time_to_first_line() {
  local start=$EPOCHREALTIME line end
  { read -r line; end=$EPOCHREALTIME; cat >/dev/null; echo "$start $end"; } < <("$@" 2>/dev/null) |
    awk '{ printf "%.1f\n", ($2 - $1) * 1000 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run of each first, so that both start from a warm disk cache.
time_to_first_line "$editor" --quit-after-first-paint "$patch" >/dev/null
time_to_first_line "$bare" >/dev/null
editor_times=() bare_times=()
for ((run = 0; run < runs; ++run)); do
  editor_times+=("$(time_to_first_line "$editor" --quit-after-first-paint "$patch")")
  bare_times+=("$(time_to_first_line "$bare")")
done
editor_median=$(printf '%s\n' "${editor_times[@]}" | median)
bare_median=$(printf '%s\n' "${bare_times[@]}" | median)
echo "platform: ${QT_QPA_PLATFORM:-default}, $runs runs each, median time from start to first paint"
printf 'kvx-editor with %s: %s ms\n' "$(basename "$patch")" "$editor_median"
printf 'bare Qt window:       %s ms\n' "$bare_median"
awk -v e="$editor_median" -v b="$bare_median" \
  'BEGIN { printf "ratio: %.2f (target: at most 1.5)\n", e / b }'
