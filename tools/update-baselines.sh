#!/bin/sh
# After a deliberate change to the form: renders the window's pictures anew
# and takes them as the appearance test's baselines in tests/baselines/,
# which are also the README's screenshots. Review them before committing.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-packages.sh" cmake make g++ qtbase5-dev fonts-dejavu-core
cmake --preset release -S "$root" >/dev/null
cmake --build --preset release -j "$(nproc)" --target tst_appearance
mkdir -p "$root/tests/baselines"
KAVRELO_UPDATE_BASELINES=1 ctest --preset release -R '^tst_appearance$'
git -C "$root" status --short tests/baselines
