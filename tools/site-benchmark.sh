#!/bin/sh
# The site commands against their aims: coverage of 1,000 cameras over a
# 1 km² site with 100 obstacles and the six levels, footprint of 100,000
# cameras without a site, and the PDF report of 100 and 1,000 cameras on
# that site, with peak memory; the medians of ROUNDS runs of each. And kavrelo-cli fov's start-up, which the site libraries must
# not slow: they are a module that only the site commands load. And a
# GeoPackage of 100,000 buildings in UTM read and placed for one camera.
# And a town from OpenStreetMap (generate-town.awk, made a .osm.pbf by
# osmium): how reading it, footprint and coverage of its streets grow from
# 50,000 to 200,000 buildings and from 1,000 to 5,000 mapped cameras.
# Usage: site-benchmark.sh [ROUNDS]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}

"$root/tools/install-packages.sh" cmake make g++ qtbase5-dev libqt5svg5-dev libgeos-dev libgdal-dev \
    libgeographiclib-dev libjemalloc-dev fonts-dejavu-core poppler-utils time gdal-bin osmium-tool
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release -j "$(nproc)" --target kavrelo-cli kavrelo_sites \
    kavrelo_pictures kavrelo_vectorfiles >/dev/null
cli="$root/build/release/src/kavrelo-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
generate="$root/tools/benchmarks/generate-site.awk"
awk -v what=site -f "$generate" >"$work/site.geojson"
awk -v what=buildings -f "$generate" >"$work/buildings.geojson"
ogr2ogr -f GPKG -t_srs EPSG:32632 "$work/buildings.gpkg" "$work/buildings.geojson"
for count in 100 1000 10000 100000; do
    awk -v what=cameras -v count="$count" -f "$generate" >"$work/cameras-$count.csv"
done
for town in 50000:5000 100000:5000 200000:1000 200000:2500 200000:5000; do
    awk -v buildings="${town%:*}" -v cameras="${town#*:}" \
        -f "$root/tools/benchmarks/generate-town.awk" >"$work/town.osm"
    osmium cat --overwrite "$work/town.osm" -o "$work/town-${town%:*}-${town#*:}.osm.pbf"
done
rm -f "$work/town.osm"

# Seconds and peak KiB of each run, then the median of each column.
median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
measure() {
    : >"$work/runs"
    i=0
    while [ "$i" -lt "$rounds" ]; do
        # A town's cameras without a direction are records in error, and
        # time then says so on a line of its own before its figures.
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 || [ "$?" -eq 1 ]
        tail -n 1 "$work/time" >>"$work/runs"
        i=$((i + 1))
    done
    printf '%s s, %s MiB' "$(cut -d' ' -f1 "$work/runs" | median)" \
        "$(cut -d' ' -f2 "$work/runs" | median | awk '{ printf "%.1f", $1 / 1024 }')"
}

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
printf 'coverage, 1,000 cameras, 100 obstacles: %s (aim: 2 s, 256 MiB)\n' \
    "$(measure "$cli" coverage --site "$work/site.geojson" --batch "$work/cameras-1000.csv")"
for count in 10000 100000; do
    result=$(measure "$cli" footprint --batch "$work/cameras-$count.csv")
    seconds=${result%% s*}
    printf 'footprint, %s cameras: %s, %s cameras/s (aim: 20,000/s, memory flat)\n' "$count" \
        "$result" "$(awk -v n="$count" -v s="$seconds" 'BEGIN { printf "%d", n / s }')"
done
for count in 100 1000; do
    printf 'report, %s cameras: %s (aim: %s)\n' "$count" \
        "$(measure "$cli" report --site "$work/site.geojson" --batch "$work/cameras-$count.csv" \
            --output "$work/report.pdf")" \
        "$([ "$count" = 100 ] && echo '5 s' || echo 'memory to spare')"
    printf '  %s pages, %s MiB of PDF\n' "$(pdfinfo "$work/report.pdf" 2>/dev/null |
        awk '/^Pages:/ { print $2 }')" "$(du -k "$work/report.pdf" | awk '{ printf "%.1f", $1 / 1024 }')"
done
printf 'footprint, one camera over 100,000 buildings of a GeoPackage: %s (aim: 2 s)\n' \
    "$(measure "$cli" footprint --site "$work/buildings.gpkg" --lat 48.12 --lon 11.53 \
        --bearing 0 --hfov 60 --resolution 1920x1080 --height 5 --tilt 20)"
# The towns: one camera placed after the read, then every mapped camera.
lens="--hfov 80 --resolution 1920x1080 --height 5 --tilt 15"
for town in 50000:5000 100000:5000 200000:1000 200000:2500 200000:5000; do
    pbf="$work/town-${town%:*}-${town#*:}.osm.pbf"
    printf 'town of %s buildings, %s cameras:\n' "${town%:*}" "${town#*:}"
    # shellcheck disable=SC2086 # the lens's options are meant to split
    read=$(measure "$cli" footprint --site "$pbf" --lat 48.11 --lon 11.52 --bearing 0 $lens)
    printf '  footprint, read and one camera: %s (aim: 5 s)\n' "$read"
    # shellcheck disable=SC2086
    all=$(measure "$cli" footprint --site "$pbf" --batch "$pbf" $lens)
    printf '  footprint, every camera: %s, %s cameras/s after the read (aim: 2,000/s)\n' "$all" \
        "$(awk -v n="${town#*:}" -v a="${all%% s*}" -v r="${read%% s*}" \
            'BEGIN { printf "%d", (a > r ? n / (a - r) : 0) }')"
    # shellcheck disable=SC2086
    printf '  coverage --area streets: %s (aim: 30 s, 2 GiB)\n' \
        "$(measure "$cli" coverage --site "$pbf" --area streets --batch "$pbf" $lens)"
done
# A hundred starts of a command that has nothing to do with sites.
start=$(date +%s.%N)
i=0
while [ "$i" -lt 100 ]; do
    "$cli" fov --resolution 1920x1080 --pixel-size 2.9 --focal-length 4 >/dev/null
    i=$((i + 1))
done
end=$(date +%s.%N)
printf 'fov, one calculation: %s ms a run, %s\n' \
    "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", (b - a) * 10 }')" \
    "$(measure "$cli" fov --resolution 1920x1080 --pixel-size 2.9 --focal-length 4)"
