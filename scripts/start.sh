#!/usr/bin/env bash
# Installs the build dependencies, builds varnell and starts its window from
# the build folder, which holds a copy of texts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "${VARNELL_BUILD_DIR:-$root/build}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "start: no display (DISPLAY and WAYLAND_DISPLAY are unset); running the window under xvfb-run"
    exec xvfb-run -a ./varnell "$@"
fi
exec ./varnell "$@"
