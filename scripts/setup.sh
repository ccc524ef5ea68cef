#!/usr/bin/env bash
# Installs what building, running and testing varnell needs on Debian 12 or 13.
# Safe to run again: it only calls apt when a package is missing.
# Extra package names given as arguments are installed too.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev
    fonts-wqy-microhei fonts-noto-color-emoji xvfb xauth
    libbenchmark-dev clang libclang-rt-dev dict-freedict-epo-eng libcsv-dev
    qt6-tools-dev qt6-l10n-tools help2man
    fonts-noto-cjk fonts-dejavu-core libqt6svg6
    appstream desktop-file-utils lintian dpkg-dev file
    # the web edition: esbuild bundles the page; Chromium and poppler's pdftotext test it in node
    nodejs esbuild chromium poppler-utils
    # the exports for dictionary readers: zlib writes them; the tests read them with the readers
    # (StarDict's own verifier from stardict-tools, and pyglossary, read the StarDict books)
    zlib1g-dev sdcv dictd dict dictzip stardict-tools python3-pyglossary
    # the printed book (export --format pdf): XeLaTeX, with the Latin Modern fonts it brings and
    # the CJK fonts above
    texlive-xetex
    # traditional Chinese characters to simplified ones (lookup, publish): OpenCC and its data
    libopencc-dev libopencc-data
    # the tests of the authors' tools: strace holds a write at a chosen step; LibreOffice (headless)
    # takes the exported table through a spreadsheet and back
    strace libreoffice-calc-nogui
    "$@"
)
# The web page's tools come from its lock file (npm ci). Debian's nodejs comes without npm, which is
# a package of its own; a node installed otherwise may bring its own npm: keep that one.
command -v npm >/dev/null || packages+=(npm)
# Debian 13 moved Qt's SVG plugins (the window's icon) out of libqt6svg6 into a package of their own.
version_id=$(. /etc/os-release && echo "${VERSION_ID:-0}")
[ "${version_id%%.*}" -ge 13 ] && packages+=(qt6-svg-plugins)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
    as_root=(sudo)
fi
echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
