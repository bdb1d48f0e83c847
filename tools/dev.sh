#!/bin/sh
# Installs what Kavrelo needs on Debian 12, builds it, then
#   run       launches it;
#   test      runs the whole test suite, debug and release, warnings as errors;
#   sanitize  runs the suite under AddressSanitizer and UBSan;
#   fuzz      runs the fuzz targets (clang, libFuzzer);
#   memcheck  runs the Qt Test programs under valgrind.
# Safe to rerun: packages that are already installed are not installed again.
set -eu

usage() {
    echo "usage: $0 run|test|sanitize|fuzz|memcheck" >&2
    exit 2
}
[ $# -eq 1 ] || usage
mode=$1
root=$(cd "$(dirname "$0")/.." && pwd)

build_packages="cmake make g++ qtbase5-dev libqt5svg5-dev libgeos-dev libgdal-dev libgeographiclib-dev libjemalloc-dev fonts-dejavu-core"
# Reports are read back by poppler's tools.
test_packages="poppler-utils python3-ezdxf"
case "$mode" in
run) packages="$build_packages" ;;
sanitize) packages="$build_packages $test_packages" ;;
test)
    packages="$build_packages $test_packages binutils-mingw-w64-x86-64 clang-format dpkg-dev file"
    packages="$packages desktop-file-utils appstream lintian groff-base man-db"
    ;;
fuzz) packages="$build_packages clang libclang-rt-dev" ;;
memcheck) packages="$build_packages $test_packages valgrind" ;;
*) usage ;;
esac

# shellcheck disable=SC2086 # the package list is meant to split
"$root/tools/install-packages.sh" $packages

jobs=$(nproc 2>/dev/null || echo 2)
case "$mode" in
run)
    cmake --preset release -S "$root"
    cmake --build --preset release -j "$jobs" --target kavrelo
    exec "$root/build/release/src/kavrelo"
    ;;
test)
    # Both build types must be warning-free; the tests run on both because
    # the single-precision arithmetic must not change with optimisation.
    for preset in debug release; do
        cmake --preset "$preset" -S "$root" -DKAVRELO_WERROR=ON
        cmake --build --preset "$preset" -j "$jobs"
        ctest --preset "$preset"
    done
    ;;
*)
    cd "$root"
    CMAKE_BUILD_PARALLEL_LEVEL=$jobs cmake --workflow --preset "$mode"
    ;;
esac
