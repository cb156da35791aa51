#!/usr/bin/env bash
# Builds the Debian package from the build folder with CPack and checks it with dpkg-deb: its
# name, its control fields and dependencies, exactly the files it installs with their modes and
# owner, a desktop entry that starts /usr/bin/channelsettings, no maintainer script doing the
# triggers' work, and a command line that finds its BMP module where the package puts it.
# Usage: package_test.sh BUILD_DIR VERSION MULTIARCH HELP_PAGES_DIR
set -uo pipefail
build=$1 version=$2 multiarch=$3 help_pages=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in dpkg-deb dpkg-shlibdeps cpack; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is missing (scripts/install-deps.sh installs dpkg-dev)" >&2
        exit 77
    fi
done

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
arch=$(dpkg --print-architecture)
deb=$work/out/channelsettings_${version}_${arch}.deb
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
check_field() {
    local got
    got=$(field "$1")
    [ "$got" = "$2" ] || fail "control field $1 is '$got', expected '$2'"
}
check_field Package channelsettings
check_field Version "$version"
check_field Architecture "$arch"
check_field Section utils
check_field Priority optional
check_field Maintainer "ChannelSettings developers <maintainer@example.org>"
check_field Homepage "https://example.org/channelsettings"
# A synopsis and a long description a user can read, in control-file form.
description=$(field Description)
[ "$(head -1 <<<"$description")" = "channel list editor for digital satellite receivers" ] ||
    fail "description synopsis: $(head -1 <<<"$description")"
[ "$(wc -l <<<"$description")" -ge 5 ] || fail "no long description: $description"
grep -q "^ \.$" <<<"$description" || fail "the long description's paragraphs are not separated: $description"
# Dependencies: the libraries the binaries link, as dpkg-shlibdeps found them, and Qt's texts.
depends=$(field Depends)
for wanted in 'libc6 (>= ' 'libqt6widgets6' 'libqt6gui6' 'libqt6core6' 'libstdc++6 (>= ' 'qt6-translations-l10n'; do
    grep -qF -- "$wanted" <<<"$depends" || fail "Depends lacks $wanted: $depends"
done
grep -q 'lrzsz' <<<"$depends" && fail "Depends names lrzsz, which the program never runs: $depends"
recommends=$(field Recommends)
for wanted in shared-mime-info desktop-file-utils; do
    grep -qF -- "$wanted" <<<"$recommends" || fail "Recommends lacks $wanted: $recommends"
done

# Exactly these files, with their modes and owner.
{
    echo "-rwxr-xr-x root/root ./usr/bin/channelsettings"
    echo "-rwxr-xr-x root/root ./usr/bin/channelsettings-cli"
    echo "-rw-r--r-- root/root ./usr/lib/$multiarch/channelsettings/channelsettings-bmp.so"
    echo "-rw-r--r-- root/root ./usr/share/applications/channelsettings.desktop"
    echo "-rw-r--r-- root/root ./usr/share/bash-completion/completions/channelsettings-cli"
    for page in "$help_pages"/*.html; do
        echo "-rw-r--r-- root/root ./usr/share/channelsettings/help/${page##*/}"
    done
    echo "-rw-r--r-- root/root ./usr/share/doc/channelsettings/changelog.gz"
    echo "-rw-r--r-- root/root ./usr/share/doc/channelsettings/copyright"
    for n in 16 22 24 32 48 64 128 256; do
        echo "-rw-r--r-- root/root ./usr/share/icons/hicolor/${n}x${n}/apps/channelsettings.png"
    done
    echo "-rw-r--r-- root/root ./usr/share/man/man1/channelsettings-cli.1.gz"
    echo "-rw-r--r-- root/root ./usr/share/man/man1/channelsettings.1.gz"
    echo "-rw-r--r-- root/root ./usr/share/mime/packages/channelsettings.xml"
} | LC_ALL=C sort >"$work/expected"
dpkg-deb -c "$deb" >"$work/contents" || fail "dpkg-deb -c"
awk '$1 !~ /^d/ { print $1, $2, $6 }' "$work/contents" | LC_ALL=C sort >"$work/files"
diff -u "$work/expected" "$work/files" >"$work/files.diff" || fail "the package's files differ from the expected list:
$(cat "$work/files.diff")"
awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root") { print }' "$work/contents" >"$work/dirs"
[ -s "$work/dirs" ] && fail "folders with other modes or owners: $(cat "$work/dirs")"

# The desktop databases are refreshed by the triggers of shared-mime-info and desktop-file-utils,
# so the package needs no maintainer script for them.
dpkg-deb -e "$deb" "$work/control" || fail "dpkg-deb -e"
for script in preinst postinst prerm postrm; do
    [ -e "$work/control/$script" ] && grep -Eq 'update-(mime|desktop)-database' "$work/control/$script" &&
        fail "$script refreshes the desktop's caches itself"
done

root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
grep -qx 'Exec="/usr/bin/channelsettings" %f' "$root/usr/share/applications/channelsettings.desktop" ||
    fail "Exec does not start /usr/bin/channelsettings: $(grep Exec "$root/usr/share/applications/channelsettings.desktop")"
for page in channelsettings channelsettings-cli; do
    gzip -t "$root/usr/share/man/man1/$page.1.gz" || fail "$page.1.gz is not gzip"
    # Read whole before matching: grep -q would stop early and fail the pipeline with SIGPIPE.
    title=$(zcat "$root/usr/share/man/man1/$page.1.gz" | sed 's/\\-/-/g')
    grep -q "^\.TH ${page^^} 1 " <<<"$title" ||
        fail "$page.1.gz holds no manual page"
done
cmp -s <(zcat "$root/usr/share/doc/channelsettings/changelog.gz" | head -1) \
    <(echo "channelsettings ($version) unstable; urgency=medium") || fail "the changelog names another version"
file_info=$(od -An -c -N4 "$root/usr/bin/channelsettings-cli" | tr -d ' ')
[ "$file_info" = '177ELF' ] || fail "channelsettings-cli is no ELF program"

# The command line as the package lays it out finds its BMP module in the library folder.
printf 'BM\106\000\000\000\000\000\000\000\066\000\000\000\050\000\000\000\002\000\000\000\002\000\000\000\001\000\030\000\000\000\000\000\020\000\000\000\023\013\000\000\023\013\000\000\000\000\000\000\000\000\000\000' >"$work/pic.bmp"
printf '\377\000\000\000\377\000\000\000\000\000\377\377\377\377\000\000' >>"$work/pic.bmp"
HOME=$work "$root/usr/bin/channelsettings-cli" pictures "$work/store.dsp" --pack --radio "$work/pic.bmp" \
    >"$work/pack.out" 2>"$work/pack.err" </dev/null || fail "the packaged command line cannot pack a BMP: $(cat "$work/pack.err")"
[ -s "$work/store.dsp" ] || fail "no store written from the BMP"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(wc -l <"$work/files") files, Depends: $depends"
