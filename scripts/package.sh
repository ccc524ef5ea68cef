#!/usr/bin/env bash
# Builds the Debian package (Release, in build/ or $VARNELL_BUILD_DIR) with
# `cpack -G DEB`, checks it with lintian (no errors allowed), unpacks it with
# dpkg-deb -x into a temporary root and starts the unpacked program offscreen
# the way its desktop entry does (the entry's Exec= from its Path=), until it
# has loaded the shipped dictionary and run its self-tests.
# Writes varnell_<version>_<arch>.deb into the build folder and names it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNELL_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/varnell_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package: $deb was not made" >&2; exit 1; }

echo "package: lintian $deb"
lintian --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2)

unpacked=$(mktemp -d)
trap 'kill "${app:-}" 2>/dev/null || true; rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
entry=$(find "$unpacked/usr/share/applications" -name '*.desktop' | head -n 1)
exec_line=$(sed -n 's/^Exec=//p' "$entry" | tr -d '"')
path_line=$(sed -n 's/^Path=//p' "$entry")
program="$unpacked$exec_line"
folder="$unpacked$path_line"
[ -x "$program" ] || { echo "package: Exec= $exec_line is not in the package" >&2; exit 1; }
[ -d "$folder/texts" ] || { echo "package: Path= $path_line holds no texts/" >&2; exit 1; }

echo "package: starting $exec_line offscreen in $path_line (unpacked into $unpacked)"
log="$unpacked/start.log"
(cd "$folder" && exec env QT_QPA_PLATFORM=offscreen "$program" >"$log" 2>&1) &
app=$!
for _ in $(seq 100); do
    grep -q '=== 测试完成 ===' "$log" 2>/dev/null && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.2
done
if ! grep -q '字典加载完成！下一步：自检' "$log" || ! grep -q '=== 测试完成 ===' "$log"; then
    echo "package: the unpacked program did not load its dictionary; its log:" >&2
    cat "$log" >&2
    exit 1
fi
grep -m 2 -E '词条数|=== 测试完成 ===' "$log" | sed 's/^/package: log: /' || true
echo "package: $deb is fine (install it with: sudo apt install $deb)"
