#!/usr/bin/env bash
# Installs the build dependencies, builds varnell with its tests and runs them all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" -DBUILD_TESTING=ON
cd "${VARNELL_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 600
