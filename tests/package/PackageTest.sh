#!/usr/bin/env bash
# Builds the Debian package from a finished build, unpacks it with dpkg-deb -x
# into a temporary folder and checks the unpacked tree: both programs run from
# it, the desktop entry and the AppStream data validate, the manual pages
# render without warnings and cover TandrilB's usage text.
# Usage: PackageTest.sh BUILD_DIR SOURCE_DIR WINDOW_HOOK VERSION
set -uo pipefail
build=$1 source=$2 hook=$3 version=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

export LC_ALL=C.UTF-8

# The package, named as Debian names it.
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack -G DEB"
    exit 1
fi
deb="$work/cpack/tandril_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/cpack"; echo "FAIL: no $deb"; exit 1; }
pass "built $(basename "$deb")"
fields=$(dpkg-deb -f "$deb" Depends Recommends Maintainer Description)
for want in 'Depends: .*libqt6widgets6' 'Depends: .*libicu' 'Recommends: fonts-ipafont-gothic' \
    'Maintainer: .*@' 'Description: .'; do
    grep -q "^$want" <<<"$fields" && pass "control $want" || fail "control field $want: $fields"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
usr="$root/usr"

# TandrilB from the unpacked tree writes the same report on the demo folders
# as the one just built, byte for byte (default options: CP932, every line).
cp -r "$source/examples" "$work/examples"
bash "$work/examples/prepare.sh" >/dev/null
cd "$work"
"$usr/bin/TandrilB" /file packaged.csv /fromdir examples/source /todir examples/target >packaged.out
status=$?
"$build/batch/TandrilB" /file built.csv /fromdir examples/source /todir examples/target >built.out
if [ "$status" -eq 0 ] && cmp -s packaged.csv built.csv && cmp -s packaged.out built.out &&
    grep -q '比較回数 : 11 件  等価 : 4 件  相違 : 7 件' packaged.out; then
    pass "TandrilB report on the demo folders"
else
    fail "TandrilB from the package (status $status): $(cat packaged.out)"
    diff packaged.csv built.csv | head -20
fi

# Tandril from the unpacked tree on the offscreen platform: the window opens,
# its icon is the installed picture, and F1 hands its help page (found in
# ../share/tandril/) to the desktop's opener. The offscreen platform has no
# opener: Qt names the page it was given in its log, and the window says that
# no application is associated.
LD_PRELOAD="$hook" TANDRIL_ICON_DIR="$usr/share/icons/hicolor" QT_QPA_PLATFORM=offscreen \
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    timeout 60 "$usr/bin/Tandril" 2>"$work/window.log"
status=$?
window=$(grep -E '^(window|icon|message|done)' "$work/window.log")
help="file://$usr/share/tandril/Tandril.html"
if [ "$status" -eq 0 ] && grep -qx 'window Tandril' <<<"$window" && grep -qx done <<<"$window" &&
    grep -qF "'$help'" "$work/window.log"; then
    pass "Tandril opens and finds its help page"
else
    fail "Tandril from the package (status $status), expected it to open $help"
    head -20 "$work/window.log"
fi
[ "$(grep -c ' same$' <<<"$window")" -eq 3 ] && pass "window icon is the installed picture" ||
    fail "window icon: $(grep '^icon' <<<"$window")"

# The desktop entry and the AppStream data.
desktop="$usr/share/applications/org.example.tandril.desktop"
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] && pass "desktop-file-validate" ||
    fail "desktop-file-validate: $out"
grep -qx 'Exec=Tandril %F' "$desktop" && grep -q '^Name\[ja\]=' "$desktop" &&
    [ -f "$usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] &&
    pass "desktop entry: command, Japanese name, icon" || fail "desktop entry contents"
out=$(appstreamcli validate --no-net --pedantic "$usr/share/metainfo/org.example.tandril.metainfo.xml" 2>&1) &&
    pass "appstreamcli validate" || fail "appstreamcli validate: $out"

# Manual pages: no warnings from the formatter.
for page in "$usr"/share/man/man1/TandrilB.1.gz "$usr"/share/man/man1/Tandril.1.gz; do
    out=$(man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -f "$page" ] && [ -z "$out" ] && pass "man -l $(basename "$page")" ||
        fail "man -l $page: $out"
done

# TandrilB's manual page names every option word and exit status of its usage
# text: a new option in the usage text needs its entry in packaging/TandrilB.1.in.
usage=$("$usr/bin/TandrilB" /? | tr -d '\r')
manpage=$(gzip -dc "$usr/share/man/man1/TandrilB.1.gz")
words=$(grep -oP '(?<![\w/.=-])/(\[no\])?[A-Za-z?]+(?![\w/.])' <<<"$usage" | sort -u)
missing=()
for word in $words; do
    for form in "${word/\[no\]/}" "${word/\[no\]/no}"; do
        grep -qF -- "$form" <<<"$manpage" || missing+=("$form")
    done
done
codes=$(sed -n '/^終了コード/,$p' <<<"$usage" | grep -oP '^\s+\K\d+')
exits=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH /p' <<<"$manpage")
for code in $codes; do
    grep -qx "\.B $code" <<<"$exits" || missing+=("exit status $code")
done
if [ -z "$words" ] || [ -z "$codes" ]; then
    fail "no option words or exit statuses found in the usage text"
elif [ ${#missing[@]} -gt 0 ]; then
    fail "packaging/TandrilB.1.in lacks what the usage text has: ${missing[*]}"
else
    pass "TandrilB.1 covers the usage text ($(wc -w <<<"$words") option words, $(wc -w <<<"$codes") exit statuses)"
fi

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "package checks passed"
