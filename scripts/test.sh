#!/usr/bin/env bash
# Installs the build dependencies, builds varnell with its tests and runs them all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" -DBUILD_TESTING=ON
cd "${VARNELL_BUILD_DIR:-$root/build}"
# One test a core: each works in folders of its own, and the browser and reader tests spend most of
# their time waiting on other processes.
ctest --output-on-failure --timeout 600 --parallel "$(nproc)"
