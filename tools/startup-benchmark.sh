#!/bin/sh
# Start-up time and peak memory of Kavrelo against a bare QMainWindow of the
# same size, each started plainly and the way the desktop entry starts it,
# in turn on one Xvfb server; prints every run, the medians and the ratios.
# Usage: startup-benchmark.sh [ROUNDS]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-15}

"$root/tools/install-packages.sh" cmake make g++ qtbase5-dev libqt5svg5-dev libgeos-dev libgdal-dev libgeographiclib-dev libjemalloc-dev pkg-config libxcb1-dev \
    libxcb-damage0-dev xvfb
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release -j "$(nproc)" \
    --target kavrelo kavrelo_bare_window kavrelo_startup_probe

# A display of its own, so nothing else draws while we measure.
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1600x1400x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
while [ ! -s "$work/display" ]; do
    kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"
export XDG_RUNTIME_DIR="$work"

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
cd "$root/build/release"
# As started from a terminal, and as the desktop entry starts it.
menu="env QT_XCB_GL_INTEGRATION=none"
./tools/kavrelo_startup_probe --rounds "$rounds" src/kavrelo tools/kavrelo_bare_window \
    "$menu src/kavrelo" "$menu tools/kavrelo_bare_window"
