#!/bin/sh
# Builds the installer and its tests for 64-bit Windows and runs the tests under Wine.
set -e
cd "$(dirname "$0")/.."
scripts/setup-debian.sh build

cmake --preset windows >/dev/null
cmake --build --preset windows --parallel "$(nproc)"

prefix="$PWD/build/wineprefix"
cmake/wine.sh "$prefix" start headless
trap 'cmake/wine.sh "$prefix" stop' EXIT
# One test at a time: the tests share the prefix's registry and drives.
ctest --preset windows "$@"
