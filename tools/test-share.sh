#!/bin/sh
# The tests' share of the code, in non-blank lines, twice:
# - over all code: every file under tests/ but the baselines, the fuzz seeds
#   and the files that a script of tests/data or tools made (the script
#   counts), against the same with the program (src/), the form, the
#   resources, the tools, the build files and CI;
# - over C++ alone: the C++ under tests/ against it with the program's and
#   the tools' C++.
set -eu
cd "$(dirname "$0")/.."
count() {
    [ $# -eq 0 ] && { echo 0; return; }
    cat "$@" | grep -cv '^[[:space:]]*$' || true
}
share() { # NAME TESTS OTHERS
    all=$(($2 + $3))
    permyriad=$(($2 * 10000 / all))
    printf '%s: tests %d of %d lines, %d.%02d%%\n' "$1" "$2" "$all" \
        $((permyriad / 100)) $((permyriad % 100))
}
# shellcheck disable=SC2046 # file lists are meant to split
tests_all=$(count $(git ls-files tests | grep -v -e '^tests/baselines/' -e '^tests/fuzz/seeds/' \
    -e '^tests/data/gis/yard' -e '^tests/data/plans/office' -e '^tests/data/town.osm'))
# shellcheck disable=SC2046
others_all=$(count $(git ls-files src forms resources tools .ci CMakeLists.txt CMakePresets.json \
    packaging.cmake | grep -v -e '\.png$' -e '\.ico$' -e '\.svg$'))
# shellcheck disable=SC2046
tests_cpp=$(count $(git ls-files 'tests/*.cpp' 'tests/*.h'))
# shellcheck disable=SC2046
others_cpp=$(count $(git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h'))
share 'all code' "$tests_all" "$others_all"
share 'C++ alone' "$tests_cpp" "$others_cpp"
