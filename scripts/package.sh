#!/usr/bin/env bash
# Makes the Debian package from an existing build folder and checks it: the package is
# unpacked into a scratch root (dpkg -x), every installed file is where the desktop expects
# it, the desktop entry and the AppStream metadata pass their validators, the dependencies the
# package declares are installed here, and the unpacked programs start.
#   scripts/package.sh [BUILD_DIR]     (default: build, as scripts/setup.sh made it)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}

KVX_EXTRA_PACKAGES="desktop-file-utils dpkg-dev" scripts/setup.sh "$BUILD_DIR"
# The AppStream validator is checked with when the system offers it.
scripts/install_packages.sh appstream >/dev/null 2>&1 ||
  echo "package: appstream is not available; the metadata is not validated"

echo "== package ($BUILD_DIR)"
rm -f "$BUILD_DIR"/kvx-editor_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
package=$(ls "$BUILD_DIR"/kvx-editor_*.deb)
echo "$package"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$package" "$root"

fail() { echo "package: $*" >&2; exit 1; }
for file in usr/bin/kvx-editor usr/bin/kvx usr/bin/kvx-device \
            "usr/share/kvx-editor/KVX Editor Help.html" usr/share/kvx-editor/assign-dialog.png \
            usr/share/applications/kvx-editor.desktop \
            usr/share/metainfo/io.github.kvxeditor.kvxeditor.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/kvx-editor.svg \
            usr/share/icons/hicolor/48x48/apps/kvx-editor.png \
            usr/share/icons/hicolor/256x256/apps/kvx-editor.png \
            usr/share/man/man1/kvx.1.gz; do
  [ -s "$root/$file" ] || fail "$file is missing"
done

desktop-file-validate "$root/usr/share/applications/kvx-editor.desktop"
grep -qx 'MimeType=audio/midi;' "$root/usr/share/applications/kvx-editor.desktop" ||
  fail "the desktop entry does not open MIDI files"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.kvxeditor.kvxeditor.metainfo.xml"
fi
gzip -t "$root/usr/share/man/man1/kvx.1.gz"
if command -v man >/dev/null; then man -l "$root/usr/share/man/man1/kvx.1.gz" >/dev/null; fi

# Every package the .deb depends on is installed here (a Debian 12 with what setup.sh adds).
depends=$(dpkg-deb -f "$package" Depends)
[ -n "$depends" ] || fail "the package declares no dependencies"
echo "Depends: $depends"
IFS=',' read -ra alternatives <<<"$depends"
for entry in "${alternatives[@]}"; do
  found=no
  IFS='|' read -ra choices <<<"$entry"
  for choice in "${choices[@]}"; do
    name=$(echo "$choice" | sed 's/(.*//; s/ //g')
    if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed"; then
      found=yes
    fi
  done
  [ "$found" = yes ] || fail "dependency $entry is not installed"
done

# The unpacked programs start.
"$root/usr/bin/kvx" --help >/dev/null
"$root/usr/bin/kvx" info "$BUILD_DIR/examples/synth-setup.mid" | head -1 | grep -q . ||
  fail "kvx info printed nothing"
"$root/usr/bin/kvx-device" --help >/dev/null
QT_QPA_PLATFORM=offscreen "$root/usr/bin/kvx-editor" --version | grep -q "KVX Editor" ||
  fail "kvx-editor --version"
config=$(mktemp -d)
XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=offscreen KVX_MIDI_SYSTEM=none \
  timeout 60 "$root/usr/bin/kvx-editor" --quit-after-first-paint "$BUILD_DIR/examples/synth-setup.mid"
rm -rf "$config"
echo "package: $package checked"
