#!/bin/sh
# Builds the installer and its benchmark for 64-bit Windows and runs the benchmark under Wine:
# prints the table and writes it to build/bench.csv. Exits 1 when a target is missed.
set -e
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup-debian.sh build

cmake --preset windows >/dev/null
cmake --build --preset windows --parallel "$(nproc)"

# A prefix of the benchmark's own, so that it neither sees nor leaves the tests' settings.
prefix="$root/build/wineprefix-bench"
cmake/wine.sh "$prefix" start headless
trees="$root/build/bench-folders"
trap 'cmake/wine.sh "$prefix" stop; rm -rf "$trees"' EXIT

# Folders of 1,000, 10,000 and 50,000 subfolders for the folder list. They are made here, not by
# the benchmark: under Wine every folder created through Windows costs a look through the whole
# folder for a name differing only in case, so 50,000 of them would take many minutes.
rm -rf "$trees"
for count in 1000 10000 50000; do
    folder="$trees/folders-$count"
    mkdir -p "$folder"
    awk -v n="$count" 'BEGIN { for (i = 0; i < n; i++) printf "%s %05d\n", (i % 2 ? "folder" : "Folder"), (i * 7919) % n }' |
        (cd "$folder" && xargs -d '\n' mkdir)
done

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
cmake/wine.sh "$prefix" run build/bench/installer_bench.exe "$(windows_path "$root/build/bench.csv")" \
    "$(windows_path "$root/examples/demo-mod")" "$(windows_path "$trees")"
