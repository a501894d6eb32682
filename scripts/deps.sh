#!/usr/bin/env bash
# Installs the Debian packages that Tandril needs, when any of them is missing.
#   scripts/deps.sh run    building and running the two programs only
#   scripts/deps.sh        (or "test") everything: tests, fuzzers, benchmarks,
#                          the package and its checks
# Needs root (or sudo) only when something is missing.
set -euo pipefail

run_packages=(
    g++ cmake ninja-build pkg-config
    libicu-dev libsimpleini-dev libdtl-dev libssl-dev libxxhash-dev liburing-dev
    qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n
    fonts-ipafont-gothic
)
test_packages=(
    libgtest-dev libgmock-dev
    xvfb xauth openbox x11-utils
    clang libclang-rt-dev
    rsync openssh-server openssh-client mtree-netbsd libarchive-tools
    dpkg-dev file lintian desktop-file-utils appstream man-db locales
)
packages=("${run_packages[@]}")
[ "${1:-test}" = run ] || packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    echo "== updating the package lists"
    $sudo apt-get update -qq
    echo "== installing ${#missing[@]} packages: ${missing[*]}"
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
