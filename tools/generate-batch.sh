#!/bin/sh
# A batch for any of kavrelo-cli's commands, on standard
# output: inputs vary from row to row over the range of real sensors,
# lenses and poles; some names are quoted with commas and quotes inside,
# some resolutions use *, and a few rows are bad.
# Usage: generate-batch.sh fov|distance|density|lens|mount ROWS
set -eu
[ $# -eq 2 ] || { echo "usage: $0 fov|distance|density|lens|mount ROWS" >&2; exit 2; }
awk -v kind="$1" -v n="$2" 'BEGIN {
    split("monitor detect observe recognize identify inspect", levels, " ")
    print kind == "fov" ? "camera,resolution,focal-length" \
        : kind == "distance" ? "camera,hfov,resolution" \
        : kind == "density" ? "camera,hfov,distance" \
        : kind == "lens" ? "camera,level,distance" : "camera,height,tilt"
    for (i = 0; i < n; i++) {
        name = i % 7 == 0 ? sprintf("\"cam %d, pole \"\"%c\"\"\"", i, 65 + i % 26) : "cam" i
        if (kind == "fov") {
            resolution = sprintf("%d%s%d", 640 + i % 3200, i % 3 ? "x" : "*", 480 + i % 1700)
            if (i % 10007 == 5) resolution = "wide"
            focal = sprintf(i % 2 ? "%.1f" : "%.2f", 2 + i % 400 / 10 + i % 9 / 100)
            if (i % 50021 == 9) focal = "4,5"
            printf "%s,%s,%s\n", name, resolution, focal
        } else if (kind == "density") {
            printf "%s,%.1f,%.1f\n", name, 10 + i % 1600 / 10, i % 10007 == 5 ? -1 : 1 + i % 2000 / 10
        } else if (kind == "lens") {
            printf "%s,%s,%.1f\n", name, i % 10007 == 5 ? "glimpse" : levels[1 + i % 6], \
                1 + i % 2000 / 10
        } else if (kind == "mount") {
            printf "%s,%.1f,%.1f\n", name, 2.5 + i % 60 / 10, i % 10007 == 5 ? 95 : 5 + i % 400 / 10
        } else {
            hfov = sprintf("%.1f", 10 + i % 1600 / 10)
            if (i % 10007 == 5) hfov = "ninety"
            printf "%s,%s,%d\n", name, hfov, 640 + i % 3200
        }
    }
}'
