#!/usr/bin/env bash
# Sets up, builds and starts the editor on the example patch. Where there is no display, it
# runs the editor under a virtual X server instead, saves a picture of the main window (with
# the assignment captions shown) and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
patch=build/examples/synth-setup.mid
editor=build/src/app/kvx-editor
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "== $editor $patch"
  exec "$editor" "$patch"
fi

screenshot=build/kvx-editor-screenshot.png
echo "== no display: $editor $patch under a virtual X server (xvfb-run)"
# The run leaves the user's preferences alone.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$editor" --show-captions --screenshot "$screenshot" "$patch"
echo "The main window with the example patch is in $screenshot"
