#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks it as a desktop sees it: the files are in
# place, the desktop entry passes desktop-file-validate, shared-mime-info maps *.dsp to the
# program's type, the entry is that type's default application, and opening a .dsp the way a file
# manager does starts the installed program with the file.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail

build=$1
work=$(mktemp -d)
launched=""
cleanup() {
  if [ -n "$launched" ]; then kill "$launched" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install"; }

for f in bin/channelsettings bin/channelsettings-cli \
         share/applications/channelsettings.desktop share/mime/packages/channelsettings.xml \
         share/man/man1/channelsettings.1.gz share/man/man1/channelsettings-cli.1.gz \
         share/bash-completion/completions/channelsettings-cli \
         share/icons/hicolor/48x48/apps/channelsettings.png share/icons/hicolor/256x256/apps/channelsettings.png \
         share/channelsettings/help/index.html share/channelsettings/help/wizard.html \
         share/channelsettings/help/command-line.html; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
# The BMP module is private to the programs: in their own folder below lib/, not in bin/.
modules=("$prefix"/lib/*/channelsettings/channelsettings-bmp.so)
[ -f "${modules[0]}" ] || fail "the BMP module is not in lib/<multiarch>/channelsettings"
[ ! -e "$prefix/bin/channelsettings-bmp.so" ] || fail "the BMP module is installed into bin/"
# Each theme icon is as large as its folder says (the PNG header's width, big-endian).
for n in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${n}x${n}/apps/channelsettings.png
  [ -e "$png" ] || fail "no ${n}x${n} icon"
  width=$(od -An -tu1 -j16 -N4 "$png" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
  [ "$width" = "$n" ] || fail "the ${n}x${n} icon is $width pixels wide"
done
[ -x "$prefix/bin/channelsettings" ] && [ -x "$prefix/bin/channelsettings-cli" ] || fail "programs not executable"

entry=$prefix/share/applications/channelsettings.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
grep -qx "Exec=\"$prefix/bin/channelsettings\" %f" "$entry" || fail "Exec does not start the installed program: $(grep Exec "$entry")"
grep -qx "MimeType=application/x-channelsettings-dsp;" "$entry" || fail "no MimeType in $entry"
grep -qx "Icon=channelsettings" "$entry" || fail "no theme icon in $entry"

# The MIME database the install refreshed, and a fresh one built from the package alone.
grep -q "application/x-channelsettings-dsp:\*\.dsp" "$prefix/share/mime/globs2" || fail "globs2 lacks *.dsp"
mkdir -p "$work/fresh/packages"
cp "$prefix/share/mime/packages/channelsettings.xml" "$work/fresh/packages/"
update-mime-database "$work/fresh" >/dev/null 2>&1 || fail "update-mime-database rejects the package"
grep -q "application/x-channelsettings-dsp:\*\.dsp" "$work/fresh/globs2" || fail "the package declares no *.dsp glob"

# A user of this prefix, in a temporary home.
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_DIRS=$prefix/share XDG_CURRENT_DESKTOP=GNOME
mkdir -p "$HOME"
head -c 8256 /dev/urandom >"$work/list.dsp"
type=$(xdg-mime query filetype "$work/list.dsp")
[ "$type" = "application/x-channelsettings-dsp" ] || fail "xdg-mime filetype is '$type'"
default=$(xdg-mime query default application/x-channelsettings-dsp)
[ "$default" = "channelsettings.desktop" ] || fail "xdg-mime default is '$default'"

"$prefix/bin/channelsettings-cli" lang >/dev/null || fail "the installed command line does not run"

# Open the file as a file manager does; the program runs offscreen and is ended by its own id.
QT_QPA_PLATFORM=offscreen gio open "$work/list.dsp" || fail "gio open"
for _ in $(seq 1 100); do
  for pid in $(pgrep -u "$(id -u)" -f "^$prefix/bin/channelsettings " || true); do
    if tr '\0' '\n' <"/proc/$pid/cmdline" | grep -qx "$work/list.dsp"; then launched=$pid; fi
  done
  [ -n "$launched" ] && break
  sleep 0.1
done
[ -n "$launched" ] || fail "gio open did not start $prefix/bin/channelsettings with the file"
echo "installed, validated and opened by the desktop: pid $launched"
