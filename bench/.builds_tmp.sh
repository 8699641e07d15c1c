#!/usr/bin/env bash
# The benchmark: builds Release, makes the data afresh under
# build/bench-data/ (never committed) and prints
#  1. the whole run of mavo on 32 MiB of random and of bitmap-like bytes,
#     beside the naive build and the tools users know, with each one's
#     time as a multiple of mavo's;
#  2. small assets: mavo on the 3 KB sample beside the naive build, as
#     statically linked now and dynamically linked before;
#  3. large inputs: mavo on 32 MiB of random bytes beside an I/O floor, `cat`
#     writing the same output bytes, and its peak memory;
#  4. whole builds from clean: one 32 MiB asset (gcc and clang) and 300
#     small ones, with mavo_add_assets beside one `xxd -i` custom command
#     and one plain .incbin of the raw file each, and a rebuild after one
#     asset is touched;
#  5. mavo's peak memory on a 1 GiB input;
#  6. the codec and dump micro-benchmarks.
# Nothing here asserts a time: it measures.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

need_packages "${BUILD_PACKAGES[@]}" libbenchmark-dev xxd gzip

bin=build/bench
data=build/bench-data
mkdir -p "$data"
measure=$bin/bench/measure

# measure_once COMMAND...: removes earlier outputs, runs the command and
# prints "seconds peak_kib".
measure_once() {
    rm -f "$data"/*.bin.enc "$data"/*.bin.csv "$data"/*.bin.dec "$data"/out.*
    "$measure" "$@"
}

size_of() { stat -c %s "$1"; }

# The machine's speed drifts from minute to minute (it is a shared VM), so
# every run of another tool is paired with a run of mavo just before it, and
# a row gives the median of the tool's times and the median of the per-pair
# ratios to mavo's.
compare() { # RUNS DATA NAME INPUT_BYTES OUTPUT_FILE_OR_- COMMAND...
    local runs=$1 kind=$2 name=$3 in_bytes=$4 output=$5
    shift 5
    local i m t out_file
    for ((i = 0; i < runs; i++)); do
        m=$(measure_once "$bin/tool/mavo" "$input")
        t=$(measure_once "$@")
        [ "$output" = - ] && out_file=$input.enc || out_file=$output
        echo "${t% *} ${t#* } $(awk -v a="${t% *}" -v b="${m% *}" 'BEGIN { print a / b }') $(size_of "$out_file")"
    done | awk -v d="$kind" -v n="$name" -v in_b="$in_bytes" '
        { s[NR] = $1; k[NR] = $2; r[NR] = $3; o = $4 }
        function median(a, n,   i, j, t) {
            for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
            return a[int((n + 1) / 2)]
        }
        END {
            sec = median(s, NR); kib = median(k, NR); ratio = median(r, NR)
            printf "%-8s %-14s %9.3f %9.0f %9.1f %12d %9.1f\n", d, n, sec, in_b / 1e6 / sec, kib / 1024, o, ratio
        }'
}

cmake --install "$bin" --prefix "$PWD/$data/prefix" >/dev/null
# build_from_clean MODE ASSETS [CC]: configures the assets project afresh
# (not measured), then prints "seconds peak_kib" of its `cmake --build`.
build_from_clean() {
    local mode=$1 assets=$2 cc=${3:-cc} dir=$PWD/$data/build-$1
    rm -rf "$dir"
    cmake -S bench/assets_project -B "$dir" -G Ninja -DMODE="$mode" -DCMAKE_C_COMPILER="$cc" \
        -DASSET_DIR="$assets" -DCMAKE_PREFIX_PATH="$PWD/$data/prefix" >/dev/null
    "$measure" cmake --build "$dir" -j "$(nproc)"
}
# builds RUNS ASSETS CC: the three modes in turn, RUNS times; medians of
# each one's time and peak memory, and of its per-run ratio to mavo's.
builds() {
    local runs=$1 assets=$2 cc=$3 i
    for ((i = 0; i < runs; i++)); do
        echo "$(build_from_clean mavo "$assets" "$cc") $(build_from_clean xxd "$assets" "$cc") $(build_from_clean incbin "$assets" "$cc")"
    done | awk -v cc="$cc" '
        { for (k = 1; k <= 6; k++) v[k, NR] = $k; rx[NR] = $3 / $1; ri[NR] = $5 / $1 }
        function median(a, n,   i, j, t) {
            for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
            return a[int((n + 1) / 2)]
        }
        function col(k,   i, a) { for (i = 1; i <= NR; i++) a[i] = v[k, i]; return median(a, NR) }
        END {
            printf "  %-6s mavo_add_assets %7.2f s %6.0f MB   xxd -i %7.2f s %6.0f MB (%.2fx mavo)   .incbin %6.2f s %4.0f MB (%.2fx)\n",
                cc, col(1), col(2) / 1024, col(3), col(4) / 1024, median(rx, NR), col(5), col(6) / 1024, median(ri, NR)
        }'
}

echo
echo "whole builds, cmake --build from clean (configure not counted), medians of 3 runs:"
echo "one 32 MiB random asset"
one=$PWD/$data/one-asset
mkdir -p "$one"
"$bin/bench/make_data" random $((32 << 20)) "$one/big.bin"
for cc in gcc clang; do
    command -v "$cc" >/dev/null && builds 3 "$one" "$cc"
done
rm -rf "$one"
echo "300 assets of 2-6 KB (bitmap-like), -j$(nproc)"
many=$PWD/$data/many-assets
mkdir -p "$many"
for i in $(seq 1 300); do
    "$bin/bench/make_data" bitmap $((2048 + (i * 137) % 4096)) "$many/a$i.bin"
done
builds 3 "$many" gcc
touch "$many/a150.bin"
dumps=$(cmake --build "$PWD/$data/build-mavo" | grep -c 'mavo: ' || true)
echo "  rebuild after touching one asset: $dumps dump(s) made again"
rm -rf "$many" "$PWD/$data"/build-* "$PWD/$data/prefix"

