#!/usr/bin/env bash
# Sets up, builds and runs the program's main job on the example patch: the assignments as text
# and the HTML assign list.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
patch=build/examples/synth-setup.mid
echo "== kvx info $patch"
build/src/cli/kvx info "$patch"
echo
echo "== kvx html $patch -o build/synth-setup.html"
build/src/cli/kvx html "$patch" -o build/synth-setup.html
echo "The assign list is in build/synth-setup.html"
