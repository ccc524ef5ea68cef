#!/usr/bin/env bash
# Builds the library, the program, every test and the fuzzers with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ (or $VARNELL_SANITIZE_DIR), then runs every
# test and replays the fuzzers' seed corpora. Any sanitizer report fails the run.
# VARNELL_WERROR=ON makes every compiler warning in our code an error, as in build.sh.
# With --build-only (used by scripts/fuzz.sh) it stops after the build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNELL_SANITIZE_DIR:-$root/build-sanitize}
bash "$root/scripts/setup.sh"
generator=()
[ -f "$build/CMakeCache.txt" ] || { command -v ninja >/dev/null && generator=(-G Ninja); }
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${generator[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DVARNELL_BUILD_FUZZERS=ON \
    -DCMAKE_CXX_FLAGS="$flags -fsanitize=fuzzer-no-link" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    ${VARNELL_WERROR:+-DVARNELL_WERROR="$VARNELL_WERROR"}
cmake --build "$build" --parallel "$(nproc)"
[ "${1:-}" = --build-only ] && exit 0
cd "$build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# QtTest stops a test function after 5 minutes; the loading of a million lines under the
# sanitizers on a machine shared with other builds can take longer: CTest's own timeout decides.
export QTEST_FUNCTION_TIMEOUT=1200000
ctest --output-on-failure --timeout 1200 --parallel "$(nproc)"
