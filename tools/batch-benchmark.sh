#!/bin/sh
# Rows per second and peak memory of kavrelo-cli on generated FOV and
# distance batches of 1,000 and 1,000,000 rows, CSV in and CSV out, next to
# the bare calculation rate of the calculation benchmark.
# Usage: batch-benchmark.sh [ROWS], 1000000 by default.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-1000000}

"$root/tools/install-packages.sh" cmake make g++ qtbase5-dev time
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release -j "$(nproc)" --target kavrelo-cli bench_calculations

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Inputs vary from row to row, over the range of real sensors and lenses.
generate() { # kind count
    case $1 in
    fov) awk -v n="$2" 'BEGIN { print "camera,resolution,focal-length"
        for (i = 0; i < n; i++) printf "cam%d,%dx%d,%.1f\n", i, 640 + i % 3200, 480 + i % 1700, 2 + i % 400 / 10 }' ;;
    distance) awk -v n="$2" 'BEGIN { print "camera,hfov,resolution"
        for (i = 0; i < n; i++) printf "cam%d,%.1f,%d\n", i, 10 + i % 1600 / 10, 640 + i % 3200 }' ;;
    esac
}
cli="$root/build/release/src/kavrelo-cli"
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
for kind in fov distance; do
    options=""
    [ "$kind" = fov ] && options="--pixel-size 2.9"
    for count in 1000 "$rows"; do
        generate "$kind" "$count" >"$work/$kind.csv"
        # shellcheck disable=SC2086 # the options are meant to split
        /usr/bin/time -f '%e %M' -o "$work/time" \
            "$cli" "$kind" $options --format csv --batch "$work/$kind.csv" >"$work/out.csv"
        read -r seconds peak <"$work/time"
        written=$(($(wc -l <"$work/out.csv") - 1))
        [ "$written" -eq "$count" ] || { echo "$kind: $written rows written of $count" >&2; exit 1; }
        awk -v k="$kind" -v n="$count" -v s="$seconds" -v m="$peak" 'BEGIN {
            rate = s > 0.1 ? sprintf("%9.0f rows/s", n / s) : "   (too short to time)"
            printf "%-8s %8d rows  %6.2f s  %s  peak %6.1f MiB\n", k, n, s, rate, m / 1024 }'
    done
done
echo "bare calculation (parse, compute, format), per row:"
"$root/build/release/tests/bench_calculations" -median 5 2>&1 |
    awk '/^RESULT/ { sub(/^RESULT : CalculationsBenchmark::/, ""); name = $0 }
         /msecs per iteration/ { printf "  %-45s %5.2f us\n", name, $1 * 1000 }'
