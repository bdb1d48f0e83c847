#!/bin/sh
# After a deliberate change to the form, mount's pictures or the report: renders the
# pictures anew and takes them as the baselines in tests/baselines/, which
# are also the README's pictures. Review them before committing.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-packages.sh" cmake make g++ qtbase5-dev libqt5svg5-dev libgeos-dev libgdal-dev libgeographiclib-dev libjemalloc-dev fonts-dejavu-core poppler-utils
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release -j "$(nproc)" --target tst_appearance tst_mountpicture tst_report
mkdir -p "$root/tests/baselines"
KAVRELO_UPDATE_BASELINES=1 ctest --preset release -R '^(tst_appearance|tst_mountpicture|tst_report)$'
git -C "$root" status --short tests/baselines
