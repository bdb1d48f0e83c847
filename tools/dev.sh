#!/bin/sh
# Installs what Kavrelo needs on Debian 12, builds it, then
#   run       launches it;
#   test      runs the whole test suite, debug and release, warnings as errors;
#   sanitize  runs the suite under AddressSanitizer and UBSan;
#   fuzz      runs both fuzz targets (clang, libFuzzer);
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

build_packages="cmake make g++ qtbase5-dev"
case "$mode" in
run | sanitize) packages="$build_packages" ;;
test)
    packages="$build_packages binutils-mingw-w64-x86-64 clang-format dpkg-dev file"
    packages="$packages desktop-file-utils appstream lintian"
    ;;
fuzz) packages="$build_packages clang libclang-rt-dev" ;;
memcheck) packages="$build_packages valgrind" ;;
*) usage ;;
esac

missing=""
for package in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing="$missing $package"
done
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        as_root=""
    elif command -v sudo >/dev/null 2>&1; then
        as_root="sudo"
    else
        echo "missing packages:$missing; run this as root or install sudo" >&2
        exit 1
    fi
    echo "installing:$missing"
    $as_root apt-get update
    # shellcheck disable=SC2086 # the package list is meant to split
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
fi

jobs=$(nproc 2>/dev/null || echo 2)
case "$mode" in
run)
    cmake --preset release -S "$root"
    cmake --build --preset release -j "$jobs"
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
