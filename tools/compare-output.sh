#!/bin/sh
# Before a change that must not change a byte of output (a faster reader, a
# new formatter): runs this tree's release kavrelo-cli and another build of
# it with the same commands, such as the last release's, on the same inputs
# and reports every difference in standard output, standard error or exit
# status. The inputs
# are generated batches of every kind, the fuzz seeds and odd texts of
# numbers, through every command that reads them and in every format.
# Usage: compare-output.sh OTHER_KAVRELO_CLI [ROWS], 100000 rows by default.
set -eu
[ $# -ge 1 ] || { echo "usage: $0 OTHER_KAVRELO_CLI [ROWS]" >&2; exit 2; }
other=$1
rows=${2:-100000}
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-packages.sh" cmake make g++ qtbase5-dev libqt5svg5-dev libgeos-dev libgdal-dev libgeographiclib-dev libjemalloc-dev
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release -j "$(nproc)" --target kavrelo-cli >/dev/null
this="$root/build/release/src/kavrelo-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/inputs"
for kind in fov distance density lens mount; do
    "$root/tools/generate-batch.sh" "$kind" "$rows" >"$work/inputs/$kind.csv"
done
cp "$root"/tests/fuzz/seeds/batch/* "$work/inputs/"
# Texts that the fast paths must decline or take exactly as Qt does.
printf '%s\n' 'camera,resolution,focal-length,pixel-size,hfov' \
    'a,1920x1080,+4,2.9,60' 'b, 1920x1080,4 ,2.9,60.' 'c,1920X1080,4e0,.5,6e1' \
    'd,-1920x1080,-4,2.9,-60' 'e,007x0010,4.50,1e-50,0' 'f,1920*1080,4,3.5e38,inf' \
    'g,1920x1080,0.0000000000000000000000000000000000000000001,nan,180' \
    'h,99999999999x1,4.,2.9,1e-45' 'i,,,,' 'j,1920x1080,4,2.9,60,extra' >"$work/inputs/numbers.csv"

differences=0
compared=0
for file in "$work"/inputs/*; do
    for command in "fov --pixel-size 2.9" "fov --pixel-size 2.9 --focal-length 4" "distance" \
        "distance --person 1.8 --car 2x3" "density --hfov 60 --resolution 1920" \
        "lens --pixel-size 2.9 --level identify --distance 20" \
        "mount --resolution 1920x1080 --hfov 60 --height 4 --tilt 20 --distance 10"; do
        for format in csv json text; do
            # shellcheck disable=SC2086 # the command is meant to split
            for cli in "$this" "$other"; do
                status=0
                "$cli" $command --format "$format" --batch "$file" >"$work/out" 2>"$work/err" ||
                    status=$?
                { cat "$work/out" "$work/err"; echo "exit $status"; } | md5sum
            done >"$work/sums"
            compared=$((compared + 1))
            if [ "$(sed -n 1p "$work/sums")" != "$(sed -n 2p "$work/sums")" ]; then
                echo "differs: $command --format $format --batch $(basename "$file")"
                differences=$((differences + 1))
            fi
        done
    done
done
echo "$compared runs compared, $differences differ"
[ "$differences" -eq 0 ]
