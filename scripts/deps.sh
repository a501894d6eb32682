#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tandril need, when
# any of them is missing. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libicu-dev libsimpleini-dev
    qt6-base-dev libgl-dev qt6-translations-l10n
    libgtest-dev libgmock-dev
    fonts-ipafont-gothic xvfb xauth
    clang libclang-rt-dev
    rsync
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
