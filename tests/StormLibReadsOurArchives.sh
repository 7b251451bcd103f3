#!/bin/sh
# StormLib's smpq, an MPQ reader independent of the installer's, reads the archives the tests
# write (make_archive /stormlib, under Wine): every file comes out of each archive under its name
# with its bytes, and the archive with a "(listfile)" lists exactly those names; it opens every
# archive the installer judges sound and refuses every one it judges damaged. Then an install
# (Install.exe /S) whose stand-in archiver adds a mod's files in place: they come out of the game's
# archive with the mod's bytes.
#   StormLibReadsOurArchives.sh WINE_SH PREFIX MAKE_ARCHIVE INSTALL_EXE STAND_IN FOLDER
set -e
wine_sh=$1
prefix=$2
make_archive=$3
install_exe=$4
stand_in=$5
folder=$6

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

# smpq ends with 0 where it opened the archive, 255 where it couldn't.
while read -r number judged what; do
    opened=sound
    smpq -l "$folder/soundness/$number.mpq" >/dev/null 2>&1 || opened=damaged
    if [ "$judged" != "$opened" ]; then
        echo "the installer judges the archive $what $judged; StormLib takes it for $opened" >&2
        exit 1
    fi
done <"$folder/soundness.txt"
echo "smpq opened the $(grep -c ' sound ' "$folder/soundness.txt") archives judged sound, and none of the others"

game="$folder/game"
mod="$folder/mod"
mkdir -p "$game" "$mod/data/global" "$folder/installed"
cp "$folder/d2like.mpq" "$game/patch_d2.mpq"
printf 'an item table' >"$mod/data/armor.txt"
head -c 70000 /dev/urandom >"$mod/data/global/inv.dc6"
printf '[MainSettings]\r\nTitle=StormLib Mod\r\nScriptFile=mod.txt\r\n' >"$mod/modsettings.ini"
printf 'o patch_d2.mpq\r\na data\\*.* /r\r\n' >"$mod/mod.txt"
cp "$install_exe" "$stand_in" "$mod/"
said=$("$wine_sh" "$prefix" run "$mod/Install.exe" /S "/D=Z:$game")
echo "$said" | grep -q "patch_d2.mpq holds all 2 files the mod adds."
(cd "$folder/installed" && smpq -x -q "$game/patch_d2.mpq" 'data\armor.txt' 'data\global\inv.dc6')
diff -r "$mod/data" "$folder/installed/data"
echo "smpq read the mod's 2 files from the archive the install changed"
