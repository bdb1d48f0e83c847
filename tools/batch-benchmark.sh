#!/bin/sh
# kavrelo-cli's fov and distance batches, CSV in and CSV out, timed against
# the minimal program in tools/benchmarks/batch_yardstick.cpp: the two run in
# turn on the same generated files for a number of rounds. Prints the median
# rows per second, the peak memory and kavrelo-cli's time over the
# yardstick's, after checking that both wrote the same bytes for every valid
# row. Peak memory is also measured on 1,000 rows.
# mount, which has no yardstick, is timed alone. Then every command in every
# format, each format's time over the same command's CSV and each CSV's over
# fov's: every ratio is the median of the rounds' own ratios, the two runs
# of a round made one after another, so that a shared machine's slow
# minutes fall on both.
# Usage: batch-benchmark.sh [ROWS [ROUNDS]], 1000000 rows and 5 rounds by default.
set -eu
export LC_ALL=C # numbers sorted and printed with a point
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-1000000}
rounds=${2:-5}

"$root/tools/install-packages.sh" cmake make g++ qtbase5-dev libqt5svg5-dev libgeos-dev libgdal-dev libgeographiclib-dev libjemalloc-dev time
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release -j "$(nproc)" --target kavrelo-cli batch_yardstick >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
generate() { "$root/tools/generate-batch.sh" "$@"; }
cli="$root/build/release/src/kavrelo-cli"
yardstick="$root/build/release/tools/batch_yardstick"
milliseconds() { echo $(($(date +%s%N) / 1000000)); }
# run NAME COMMAND... <input >output: appends "milliseconds peak-KiB" to NAME
run() {
    name=$1
    shift
    start=$(milliseconds)
    /usr/bin/time -f '%M' -o "$work/peak" "$@"
    echo "$(($(milliseconds) - start)) $(tail -n1 "$work/peak")" >>"$work/$name.times"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# ratio A B: the median over the rounds of A's time over B's in that round
ratio() { paste -d' ' "$work/$1.times" "$work/$2.times" | awk '{ print $1 / $3 }' | median; }

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
printf '%-9s %-16s %12s %10s %10s\n' batch program "rows/s" "peak MiB" "time ratio"
for kind in fov distance; do
    options=""
    [ "$kind" = fov ] && options="--pixel-size 2.9"
    generate "$kind" 1000 >"$work/small.csv"
    # shellcheck disable=SC2086 # the options are meant to split
    /usr/bin/time -f '%M' -o "$work/small.peak" \
        "$cli" "$kind" $options --format csv --batch "$work/small.csv" >/dev/null || true
    generate "$kind" "$rows" >"$work/$kind.csv"
    round=0
    while [ "$round" -lt "$rounds" ]; do
        # shellcheck disable=SC2086
        run cli "$cli" "$kind" $options --format csv --batch "$work/$kind.csv" \
            >"$work/cli.out" || true
        # shellcheck disable=SC2086
        run yardstick "$yardstick" "$kind" ${options#--pixel-size } \
            <"$work/$kind.csv" >"$work/yardstick.out"
        round=$((round + 1))
    done
    written=$(($(wc -l <"$work/cli.out") - 1))
    [ "$written" -eq "$rows" ] || { echo "$kind: $written rows written of $rows" >&2; exit 1; }
    # A valid row ends in its empty error field.
    grep ',$' "$work/cli.out" >"$work/cli.valid" || true
    grep ',$' "$work/yardstick.out" >"$work/yardstick.valid" || true
    cmp -s "$work/cli.valid" "$work/yardstick.valid" ||
        { echo "$kind: kavrelo-cli and the yardstick differ on valid rows" >&2; exit 1; }
    for program in cli yardstick; do
        cut -d' ' -f1 "$work/$program.times" | median >"$work/$program.ms"
        cut -d' ' -f2 "$work/$program.times" | sort -n | tail -1 >"$work/$program.peak"
        rm "$work/$program.times"
    done
    awk -v kind="$kind" -v n="$rows" -v small="$(tail -n1 "$work/small.peak")" \
        -v c="$(cat "$work/cli.ms")" -v cm="$(cat "$work/cli.peak")" \
        -v y="$(cat "$work/yardstick.ms")" -v ym="$(cat "$work/yardstick.peak")" 'BEGIN {
        printf "%-9s %-16s %12.0f %10.1f %10.2f\n", kind, "kavrelo-cli", n / c * 1000, cm / 1024, c / y
        printf "%-9s %-16s %12.0f %10.1f\n", "", "yardstick", n / y * 1000, ym / 1024
        printf "%-9s %-16s %12s %10.1f\n", "", "kavrelo-cli, 1k", "", small / 1024 }'
done

mount="mount --resolution 1920x1080 --hfov 60 --distance 10 --format csv --batch"
generate mount 1000 >"$work/small.csv"
# shellcheck disable=SC2086 # the options are meant to split
/usr/bin/time -f '%M' -o "$work/small.peak" "$cli" $mount "$work/small.csv" >/dev/null || true
generate mount "$rows" >"$work/mount.csv"
round=0
while [ "$round" -lt "$rounds" ]; do
    # shellcheck disable=SC2086
    run cli "$cli" $mount "$work/mount.csv" >"$work/cli.out" || true
    round=$((round + 1))
done
written=$(($(wc -l <"$work/cli.out") - 1))
[ "$written" -eq "$rows" ] || { echo "mount: $written rows written of $rows" >&2; exit 1; }
awk -v n="$rows" -v small="$(tail -n1 "$work/small.peak")" \
    -v c="$(cut -d' ' -f1 "$work/cli.times" | median)" \
    -v cm="$(cut -d' ' -f2 "$work/cli.times" | sort -n | tail -1)" 'BEGIN {
    printf "%-9s %-16s %12.0f %10.1f\n", "mount", "kavrelo-cli", n / c * 1000, cm / 1024
    printf "%-9s %-16s %12s %10.1f\n", "", "kavrelo-cli, 1k", "", small / 1024 }'

echo
printf '%-9s %9s %9s %9s %11s %11s %11s\n' command "csv ms" "json ms" "text ms" \
    "csv / fov" "json / csv" "text / csv"
for kind in fov distance density lens mount; do
    case $kind in
    fov) command="fov --pixel-size 2.9" ;;
    distance) command="distance" ;;
    density) command="density --resolution 1920" ;;
    lens) command="lens --pixel-size 2.9 --resolution 1920" ;;
    mount) command="mount --resolution 1920x1080 --hfov 60 --distance 10" ;;
    esac
    generate "$kind" "$rows" >"$work/$kind.csv"
    round=0
    while [ "$round" -lt "$rounds" ]; do
        for format in csv json text; do
            # shellcheck disable=SC2086 # the command is meant to split
            run "$kind-$format" "$cli" $command --format "$format" --batch "$work/$kind.csv" \
                >/dev/null || true
        done
        [ "$kind" = fov ] || run "$kind-fov" "$cli" fov --pixel-size 2.9 --format csv \
            --batch "$work/fov.csv" >/dev/null || true
        round=$((round + 1))
    done
    [ "$kind" = fov ] && cp "$work/fov-csv.times" "$work/fov-fov.times"
    for format in csv json text; do
        cut -d' ' -f1 "$work/$kind-$format.times" | median >"$work/$kind-$format.ms"
    done
    awk -v kind="$kind" -v c="$(cat "$work/$kind-csv.ms")" -v j="$(cat "$work/$kind-json.ms")" \
        -v t="$(cat "$work/$kind-text.ms")" -v cf="$(ratio "$kind-csv" "$kind-fov")" \
        -v jc="$(ratio "$kind-json" "$kind-csv")" -v tc="$(ratio "$kind-text" "$kind-csv")" 'BEGIN {
        printf "%-9s %9d %9d %9d %11.2f %11.2f %11.2f\n", kind, c, j, t, cf, jc, tc }'
done
