#!/usr/bin/env bash
# Runs one fuzzer for as long as asked:  bash scripts/fuzz.sh <loader|search|similarity|table> [seconds]
# (default 600). Builds the sanitizer build first (scripts/sanitize.sh's build folder; tests not
# run). New inputs go to build-sanitize/fuzz-corpus/<name>/, crashes to build-sanitize/fuzz-crashes/.
# To keep an input that found a fault, copy it into fuzz/corpus/fuzz_<name>/ and commit it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:?usage: fuzz.sh <loader|search|similarity|table> [seconds]}
seconds=${2:-600}
build=${VARNELL_SANITIZE_DIR:-$root/build-sanitize}
VARNELL_SANITIZE_DIR=$build bash "$root/scripts/sanitize.sh" --build-only
work="$build/fuzz-corpus/$name"
crashes="$build/fuzz-crashes/$name"
mkdir -p "$work" "$crashes"
extra=()
[ "$name" = similarity ] && extra=(-max_len=300)
[ "$name" = loader ] && extra=(-max_len=4096)
[ "$name" = table ] && extra=(-max_len=4096)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$build/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$crashes/" "${extra[@]}" "$work" "$root/fuzz/corpus/fuzz_$name"
