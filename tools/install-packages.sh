#!/bin/sh
# Installs those of the given Debian packages that are missing, as root or
# through sudo; does nothing when all are there.
set -eu
missing=""
for package in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing="$missing $package"
done
[ -n "$missing" ] || exit 0
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
