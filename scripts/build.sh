#!/usr/bin/env bash
# Configures and builds varnell in Release into build/ (or $VARNELL_BUILD_DIR).
# VARNELL_WERROR=ON (as CI sets it) makes every compiler warning in our code an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNELL_BUILD_DIR:-$root/build}
generator=()
[ -f "$build/CMakeCache.txt" ] || { command -v ninja >/dev/null && generator=(-G Ninja); }
# The web page's linter and browser driver, exactly as web/package-lock.json has them; again only
# when the lock file changed since the last install.
web=$root/web
if ! cmp -s "$web/package-lock.json" "$web/node_modules/.varnell-installed-lock"; then
    (cd "$web" && npm ci --no-audit --no-fund)
    cp "$web/package-lock.json" "$web/node_modules/.varnell-installed-lock"
fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    ${VARNELL_WERROR:+-DVARNELL_WERROR="$VARNELL_WERROR"} "$@"
cmake --build "$build" --parallel "$(nproc)"
