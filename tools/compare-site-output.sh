#!/bin/sh
# Before a change that must not change a byte of the site commands' output:
# runs this tree's release kavrelo-cli and another build of it (such as the
# last release's) over the test sites and the benchmark's site, through
# footprint, coverage and report in every format, and reports every
# difference in standard output, standard error, exit status or the files
# written beside them (gaps, plot, PDF, dated by SOURCE_DATE_EPOCH).
# Usage: compare-site-output.sh OTHER_KAVRELO_CLI
set -eu
[ $# -eq 1 ] || { echo "usage: $0 OTHER_KAVRELO_CLI" >&2; exit 2; }
other=$1
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release -j "$(nproc)" --target kavrelo-cli >/dev/null
this="$root/build/release/src/kavrelo-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data="$root/tests/data"
awk -v what=site -f "$root/tools/benchmarks/generate-site.awk" >"$work/site.geojson"
awk -v what=cameras -v count=300 -f "$root/tools/benchmarks/generate-site.awk" >"$work/cameras.csv"
# A schedule with rows that cannot be placed among those that can.
{ cat "$data/yard.csv"; echo 'far,10,10,0,2688x1520,70,6,25'; echo 'bad,48.1,11.5,up,2688x1520,70,6,25'; } \
    >"$work/yard-bad.csv"
export SOURCE_DATE_EPOCH=1700000000
# A build before the report fixed its own hash order wrote its PDF in the
# order of a hash seeded per process.
export QT_HASH_SEED=0

differences=0
compared=0
compare() {
    for cli in "$this" "$other"; do
        rm -rf "$work/out" && mkdir "$work/out"
        status=0
        (cd "$work/out" && "$cli" "$@" >stdout 2>stderr) || status=$?
        echo "exit $status" >"$work/out/status"
        (cd "$work/out" && cat ./* | md5sum)
    done >"$work/sums"
    compared=$((compared + 1))
    if [ "$(sed -n 1p "$work/sums")" != "$(sed -n 2p "$work/sums")" ]; then
        echo "differs: $*"
        differences=$((differences + 1))
    fi
}

for site in s1 yard; do
    for batch in "$data/$site.csv" "$work/yard-bad.csv"; do
        for format in geojson kml; do
            compare footprint --site "$data/$site.geojson" --batch "$batch" --format "$format"
        done
        for format in text csv json; do
            compare coverage --site "$data/$site.geojson" --batch "$batch" --format "$format" \
                --gaps gaps.geojson --plot plan.svg --require detect=50
        done
        compare report --site "$data/$site.geojson" --batch "$batch" --output report.pdf
        compare report --batch "$batch" --output report.pdf --levels a=20,b=90
    done
done
compare footprint --batch "$work/cameras.csv"
compare footprint --site "$work/site.geojson" --batch "$work/cameras.csv" --format kml
compare coverage --site "$work/site.geojson" --batch "$work/cameras.csv" --gaps gaps.geojson \
    --plot plan.svg --format json
compare report --site "$work/site.geojson" --batch "$work/cameras.csv" --output report.pdf
compare footprint -x 30 -y 5 --origin 52.52,13.405 --bearing 90 --resolution 1920 --hfov 60 \
    --height 4 --tilt 20
compare coverage -x 30 -y 5 --origin 52.52,13.405 --bearing 90 --resolution 1920 --hfov 60 \
    --height 4 --tilt 20 --site "$data/s1.geojson"
echo "$compared runs compared, $differences differ"
[ "$differences" -eq 0 ]
