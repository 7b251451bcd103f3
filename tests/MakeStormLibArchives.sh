#!/bin/sh
# Archives made by StormLib's smpq as the game's own are made (format version 0, files imploded,
# no "(listfile)"), for the installer's reader to find every file in, under Wine: in FOLDER,
# few.mpq and many.mpq, each with NAME.files, one line per file, its size and its name with "\".
#   MakeStormLibArchives.sh FOLDER
set -e
folder=$1

rm -rf "$folder"
mkdir -p "$folder/few" "$folder/many"
cd "$folder/few"
mkdir -p data/global/excel "data/local/Font Latin" data/global/ui/Loading
seq 1 20000 >data/global/excel/Misc.txt
printf 'Name\tcode\r\nGold\tgld\r\n' >data/global/excel/armor.txt
printf '' >"data/local/Font Latin/empty.tbl"
awk 'BEGIN { for (i = 0; i < 30000; i++) printf "%c", (i * 7919) % 251 }' >data/global/ui/Loading/loadingscreen.dc6
cd "$folder/many"
mkdir -p data/global/items data/global/monsters
for i in $(seq 1 700); do
    seq 1 "$i" >"data/global/items/item$i.dc6"
    printf 'monster %d\n' "$i" >"data/global/monsters/M$i.txt"
done

for archive in few many; do
    cd "$folder/$archive"
    find . -type f -printf '%s %P\n' | sort -k2 | tr / '\\' >"$folder/$archive.files"
    find . -type f -printf '%P\n' | xargs -d '\n' smpq -c -M 1 -C PKWARE -N -q "$folder/$archive.mpq"
    # smpq's exit status says nothing about the files it added: count them.
    stored=$(smpq -l "$folder/$archive.mpq" | wc -l)
    [ "$stored" = "$(wc -l <"$folder/$archive.files")" ] || {
        echo "smpq stored $stored of the files for $archive.mpq" >&2
        exit 1
    }
done
