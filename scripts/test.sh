#!/bin/sh
# Builds the installer and its tests for 64-bit Windows and runs the tests under Wine.
set -e
cd "$(dirname "$0")/.."
scripts/setup-debian.sh build

cmake --preset windows >/dev/null
cmake --build --preset windows --parallel "$(nproc)"

# A second compiler over the same code, warnings as errors: clang and lld for the same target.
# Its programs aren't run; the tests run once, on the GCC build.
if [ $# = 0 ]; then
    cmake --preset windows-clang >/dev/null
    cmake --build --preset windows-clang --parallel "$(nproc)"
fi

# The whole suite (as CI runs it) also makes the release package, whose Install.exe, built from a
# copy of the sources in another folder, must be build/Install.exe byte for byte.
if [ $# = 0 ]; then
    scripts/package.sh
    unzip -p build/release/Vornikel-Install-*.zip Install.exe | cmp -s - build/Install.exe || {
        echo "Install.exe is not reproducible: the release package's differs from build/Install.exe" >&2
        exit 1
    }
fi

prefix="$PWD/build/wineprefix"
cmake/wine.sh "$prefix" start headless
# The prefix in a Japanese locale, for the tests of its double-byte code page.
japanese="$PWD/build/wineprefix-ja"
INSTALLER_WINE_LANG=ja_JP.UTF-8 cmake/wine.sh "$japanese" start headless
faults="$PWD/build/faults"
trap 'cmake/wine.sh "$prefix" stop; cmake/wine.sh "$japanese" stop; scripts/fault-drives.sh unmount "$prefix" "$faults"' EXIT
# The reliability suite's full disk and read-only folder; without them those tests fail. Wine
# takes new drives in when its server starts, so it starts again once they are there.
if scripts/fault-drives.sh mount "$prefix" "$faults"; then
    cmake/wine.sh "$prefix" start headless
fi

figures="$PWD/build/tests/reliability-figures.txt"
rm -f "$figures"
# Two tests at a time: those that share the prefix's registry, desktop and drives take turns
# (their RESOURCE_LOCK in tests/CMakeLists.txt), the others run beside them.
status=0
ctest --preset windows -j2 "$@" || status=$?
# The reliability suite's figures, when its tests ran, as the last lines.
if [ -f "$figures" ]; then
    echo
    cat "$figures"
fi
exit $status
