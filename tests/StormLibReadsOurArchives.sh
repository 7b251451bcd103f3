#!/bin/sh
# StormLib's smpq, an MPQ reader independent of the installer's, reads the archives the tests
# write (make_archive /stormlib, under Wine): every file comes out of each archive under its name
# with its bytes, and the archive with a "(listfile)" lists exactly those names.
#   StormLibReadsOurArchives.sh WINE_SH PREFIX MAKE_ARCHIVE FOLDER
set -e
wine_sh=$1
prefix=$2
make_archive=$3
folder=$4

rm -rf "$folder"
"$wine_sh" "$prefix" run "$make_archive" /stormlib "Z:$folder"
for archive in listed d2like; do
    expected="$folder/expected/$archive"
    out="$folder/out/$archive"
    mkdir -p "$out"
    # Names in the archive have "\"; smpq writes each file to the folders its name gives.
    (cd "$expected" && find . -type f | sed 's|^\./||' | tr / '\\') >"$folder/$archive.names"
    (cd "$out" && xargs -d '\n' smpq -x -q "$folder/$archive.mpq" <"$folder/$archive.names")
    diff -r "$expected" "$out"
done
# smpq lists "size date time name", names with "/".
smpq -l "$folder/listed.mpq" | sed -E 's/^ *[0-9]+ [0-9-]+ [0-9:]+ //' | grep -vx '(listfile)' | sort >"$folder/listed.listed"
tr '\\' / <"$folder/listed.names" | sort | diff - "$folder/listed.listed"
echo "smpq read $(wc -l <"$folder/listed.names") and $(wc -l <"$folder/d2like.names") files as written"
