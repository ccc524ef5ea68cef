#!/usr/bin/env bash
# Builds the benchmarks (Release, into build-bench/ or $VARNELL_BENCH_DIR) and measures, for
# generated dictionaries of 10,000, 100,000 and 1,000,000 entries and for the Esperanto-English
# dictionary (package dict-freedict-epo-eng, converted by varnell-dict convert-freedict): load time
# against the QTextStream floor and memory per entry (bench_load, one process per dictionary),
# the start-up time to a shown window with the shipped dictionary (bench_startup, offscreen), and
# every smartSearch query class (bench_search), and varnell-dict's export and import of the
# Esperanto-English dictionary. About 5 minutes; extra arguments go to
# bench_search (e.g. --benchmark_filter=-/1000000 to leave the largest dictionary out there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VARNELL_BENCH_DIR:-$root/build-bench}
bash "$root/scripts/setup.sh" dict-freedict-epo-eng hyperfine
VARNELL_BUILD_DIR=$build bash "$root/scripts/build.sh" -DVARNELL_BUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF
data=$build/bench-data
mkdir -p "$data"
for size in 10000 100000 1000000; do
    [ -f "$data/generated-$size/cn_phrases.txt" ] || {
        mkdir -p "$data/generated-$size"
        "$build/varnell-dict" generate "$size" 20240611 "$data/generated-$size"
    }
done
"$build/varnell-dict" convert-freedict --force /usr/share/dictd/freedict-epo-eng.index \
    /usr/share/dictd/freedict-epo-eng.dict.dz "$data/esperanto-english"

echo "== load time and memory (best of 5 loads; memory of the first load) =="
for folder in generated-10000 generated-100000 generated-1000000 esperanto-english; do
    "$build/bench/bench_load" "$data/$folder" 5
done

echo "== start-up to a shown window, shipped dictionary, offscreen (20 runs) =="
(cd "$build" && for _ in $(seq 20); do
    QT_QPA_PLATFORM=offscreen ./bench/bench_startup 2>/dev/null
done | sort -t: -k2 -n | sed -n '10p;11p' | sed 's/^/median pair: /')
(cd "$build" && QT_QPA_PLATFORM=offscreen hyperfine --warmup 3 --runs 20 --style basic \
    './bench/bench_startup 2>/dev/null' | grep -E 'Time|Range')

echo "== varnell-dict export and import of the Esperanto-English dictionary, CSV (10 runs) =="
"$build/varnell-dict" export --texts "$data/esperanto-english" "$data/esperanto-english.csv"
hyperfine --warmup 1 --runs 10 --style basic \
    "'$build/varnell-dict' export --texts '$data/esperanto-english' '$data/esperanto-english.csv'" \
    "'$build/varnell-dict' import --texts '$data/esperanto-imported' '$data/esperanto-english.csv'" \
    | grep -E 'Benchmark|Time|Range'

echo "== smartSearch per query class =="
VARNELL_REAL_DICTIONARY="$data/esperanto-english" "$build/bench/bench_search" \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true "$@" 2>&1 | grep -v '_mean\|_stddev\|_cv'
