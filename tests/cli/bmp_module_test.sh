#!/bin/sh
# The command line and its BMP module: the program links no Qt library, and a copy of it without
# the module beside it still runs, refusing a BMP picture with a message that names the module.
# Usage: bmp_module_test.sh PATH/TO/channelsettings-cli
set -u
cli=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

ldd "$cli" > /dev/null 2>&1 || fail "ldd cannot read $cli"
if ldd "$cli" | grep -i 'libqt'; then
    fail "channelsettings-cli links a Qt library"
fi
[ -f "$(dirname "$cli")/channelsettings-bmp.so" ] || fail "the module is not built beside the program"

work=$(mktemp -d) || fail "no temporary folder"
trap 'rm -rf "$work"' EXIT
cp "$cli" "$work/channelsettings-cli"
# A 2 x 2 24-bit BMP: 14-byte file header, 40-byte info header, two rows of 8 bytes.
printf 'BM\106\000\000\000\000\000\000\000\066\000\000\000\050\000\000\000\002\000\000\000\002\000\000\000\001\000\030\000\000\000\000\000\020\000\000\000\023\013\000\000\023\013\000\000\000\000\000\000\000\000\000\000' > "$work/pic.bmp"
printf '\377\000\000\000\377\000\000\000\000\000\377\377\377\377\000\000' >> "$work/pic.bmp"

HOME=$work "$work/channelsettings-cli" pictures "$work/store.dsp" --pack --radio "$work/pic.bmp" \
    > "$work/out" 2> "$work/err" < /dev/null
code=$?
[ "$code" -ne 0 ] || fail "a BMP was packed without the module"
grep -q 'channelsettings-bmp.so' "$work/err" || fail "the error does not name the module: $(cat "$work/err")"
[ ! -e "$work/store.dsp" ] || fail "a store was written although the picture could not be read"

# Every other command still runs without the module.
HOME=$work "$work/channelsettings-cli" info "$work/pic.bmp" > "$work/out" 2> "$work/err" < /dev/null
grep -q '"result": 2' "$work/out" || fail "info did not run without the module: $(cat "$work/out" "$work/err")"
echo ok
