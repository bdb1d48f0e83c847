#!/bin/sh
# Rebuilds the README's screenshots in docs/ from the real window, on the
# offscreen platform. Rerun it whenever the form changes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release --target kavrelo_screenshots
QT_QPA_PLATFORM=offscreen "$root/build/release/tools/kavrelo_screenshots" "$root/docs"
echo "wrote $root/docs/fov-tab.png and $root/docs/distance-tab.png"
