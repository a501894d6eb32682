#!/usr/bin/env bash
# Builds the two Debian packages (tandrilb, tandril) from a finished build,
# twice, and checks them: the same bytes both times, the split and the
# dependencies as dpkg-deb -I reads them, the licence. Then unpacks both with
# dpkg-deb -x into a temporary folder and checks the tree: both programs run
# from it, the desktop entry and the AppStream data validate, the manual pages
# of both languages render without warnings and cover TandrilB's usage text.
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

# The two packages, named as Debian names them, built twice: the second build
# is the same byte for byte, its file times those of the last commit.
for run in cpack again; do
    if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/$run" >"$work/$run.log" 2>&1; then
        cat "$work/$run.log"
        echo "FAIL: cpack -G DEB"
        exit 1
    fi
done
arch=$(dpkg --print-architecture)
debb="$work/cpack/tandrilb_${version}_$arch.deb"
deb="$work/cpack/tandril_${version}_$arch.deb"
for d in "$debb" "$deb"; do
    [ -f "$d" ] || { ls "$work/cpack"; echo "FAIL: no $d"; exit 1; }
    cmp -s "$d" "$work/again/$(basename "$d")" && pass "$(basename "$d") built twice is the same" ||
        fail "$(basename "$d") differs between two builds"
done
if epoch=$(git -C "$source" log -1 --format=%ct 2>/dev/null); then
    times=$(dpkg-deb --fsys-tarfile "$debb" | tar -tv --full-time | awk '{print $4 " " $5}' | sort -u)
    [ "$times" = "$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')" ] &&
        pass "file times are the last commit's" || fail "file times $times, not the last commit's"
fi

# The split: the console program alone needs neither Qt nor a font; the window
# needs a Japanese font (labels are empty boxes without one) and nothing of tandrilb.
info() { dpkg-deb -I "$1" | sed -n "s/^ $2: //p"; }
dependsb=$(info "$debb" Depends) depends=$(info "$deb" Depends)
grep -q 'libicu' <<<"$dependsb" && ! grep -qiE 'qt|font|tandril' <<<"$dependsb" &&
    pass "tandrilb depends on ICU, not on Qt or a font" || fail "tandrilb Depends: $dependsb"
grep -qF 'fonts-ipafont-gothic | fonts-noto-cjk | fonts-japanese-gothic' <<<"$depends" &&
    grep -q 'libqt6widgets6' <<<"$depends" && ! grep -q 'tandrilb' <<<"$depends" &&
    pass "tandril depends on Qt and a Japanese font" || fail "tandril Depends: $depends"
[ "$(info "$deb" Recommends)" = xdg-utils ] && pass "tandril recommends xdg-utils" ||
    fail "tandril Recommends: $(info "$deb" Recommends)"
for d in "$debb" "$deb"; do
    [ -n "$(info "$d" Description)" ] && [ -z "$(info "$d" Homepage)" ] &&
        grep -q '@' <<<"$(info "$d" Maintainer)" && pass "control fields of $(basename "$d")" ||
        fail "control fields of $(basename "$d"): $(dpkg-deb -I "$d")"
done
contents() { dpkg-deb -c "$1" | awk '{print $6}' | sed 's|^\./||'; }
filesb=$(contents "$debb") files=$(contents "$deb")
for want in usr/bin/TandrilB usr/share/man/man1/TandrilB.1.gz usr/share/man/ja/man1/TandrilB.1.gz \
    usr/share/doc/tandrilb/copyright; do
    grep -qx "$want" <<<"$filesb" || fail "tandrilb lacks $want"
done
for want in usr/bin/Tandril usr/share/man/man1/Tandril.1.gz usr/share/man/ja/man1/Tandril.1.gz \
    usr/share/doc/tandril/copyright usr/share/tandril/Tandril.html; do
    grep -qx "$want" <<<"$files" || fail "tandril lacks $want"
done
! grep -qE 'bin/Tandril$|share/(applications|icons|metainfo|tandril)/' <<<"$filesb" &&
    ! grep -q 'TandrilB' <<<"$files" && pass "each program in its own package" ||
    fail "the packages share files: $(grep -E 'bin/Tandril$|share/(applications|icons|metainfo|tandril)/' <<<"$filesb") $(grep TandrilB <<<"$files")"

root="$work/root"
dpkg-deb -x "$debb" "$root"
dpkg-deb -x "$deb" "$root"
usr="$root/usr"

# The licence, and no placeholder address outside the programs' own texts.
for doc in "$usr"/share/doc/tandril{,b}/copyright; do
    grep -qx 'License: MIT' "$doc" && grep -q 'Permission is hereby granted' "$doc" &&
        pass "$doc: MIT" || fail "$doc names no MIT licence"
done
grep -qx '  <project_license>MIT</project_license>' "$usr/share/metainfo/org.example.tandril.metainfo.xml" &&
    pass "AppStream project_license MIT" || fail "AppStream project_license"
placeholders=$(grep -rlE 'tandril(\.|@)example\.org' "$usr/share")
[ -z "$placeholders" ] && pass "no placeholder address in the data files" ||
    fail "placeholder addresses in $placeholders"

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
    ! grep -q '^MimeType=' "$desktop" &&
    [ -f "$usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] &&
    pass "desktop entry: command, Japanese name, icon, no folder handler" ||
    fail "desktop entry contents"
out=$(appstreamcli validate --no-net --pedantic "$usr/share/metainfo/org.example.tandril.metainfo.xml" 2>&1) &&
    pass "appstreamcli validate" || fail "appstreamcli validate: $out"

# Manual pages: English in man1, Japanese in ja/man1. man picks the one of the
# locale, and neither gives a warning from the formatter (a Japanese page
# cannot be drawn in ASCII: the C locale gets the English one).
export LOCPATH="$work/locale"
mkdir -p "$LOCPATH"
localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" 2>/dev/null || fail "localedef ja_JP.UTF-8"
for page in TandrilB Tandril; do
    for locale in C ja_JP.UTF-8; do
        heading=NAME
        [ "$locale" = C ] || heading=名前
        out=$(LC_ALL=$locale MANPATH="$usr/share/man" man --warnings "$page" 2>&1)
        if grep -q "^$heading" <<<"$out" && ! grep -q 'warning' <<<"$out"; then
            pass "man $page in $locale"
        else
            fail "man $page in $locale: $(grep -m3 -e warning -e '^[^ ]' <<<"$out")"
        fi
    done
    out=$(LC_ALL=ja_JP.UTF-8 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$out" ] && pass "man -l English $page.1 in ja_JP.UTF-8" || fail "man -l $page.1: $out"
done
english=$(gzip -dc "$usr/share/man/man1/TandrilB.1.gz" "$usr/share/man/man1/Tandril.1.gz")
LC_ALL=C grep -q '[^ -~]' <<<"$english" && fail "the English manual pages hold non-ASCII text" ||
    pass "the English manual pages are ASCII"

# TandrilB's manual pages (English and Japanese) name every option word and
# exit status of its usage text: a new option in the usage text needs its entry
# in packaging/TandrilB.1.in and packaging/ja/TandrilB.1.in.
usage=$("$usr/bin/TandrilB" /? | tr -d '\r')
words=$(grep -oP '(?<![\w/.=-])/(\[no\])?[A-Za-z?]+(?![\w/.])' <<<"$usage" | sort -u)
codes=$(sed -n '/^終了コード/,$p' <<<"$usage" | grep -oP '^\s+\K\d+')
for page in man1 ja/man1; do
    manpage=$(gzip -dc "$usr/share/man/$page/TandrilB.1.gz")
    missing=()
    for word in $words; do
        for form in "${word/\[no\]/}" "${word/\[no\]/no}"; do
            grep -qF -- "$form" <<<"$manpage" || missing+=("$form")
        done
    done
    exits=$(sed -n '/^\.SH \(EXIT STATUS\|終了コード\)/,/^\.SH /p' <<<"$manpage")
    for code in $codes; do
        grep -qx "\.B $code" <<<"$exits" || missing+=("exit status $code")
    done
    if [ -z "$words" ] || [ -z "$codes" ]; then
        fail "no option words or exit statuses found in the usage text"
    elif [ ${#missing[@]} -gt 0 ]; then
        fail "$page/TandrilB.1 lacks what the usage text has: ${missing[*]}"
    else
        pass "$page/TandrilB.1 covers the usage text ($(wc -w <<<"$words") option words, $(wc -w <<<"$codes") exit statuses)"
    fi
done

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "package checks passed"
