#!/bin/bash
# The crash test, kept apart from ctest: an install ended from outside at a random moment, as a
# crash, a power cut or the Task Manager ends it, then the next command, and StormLib reading the
# archive back. Each round starts /S (now and then /S /CLEAN or /RESTORE) with the stand-in
# archiver, which rewrites the archive in place, kills Install.exe and the archiver after a random
# delay, then runs /RESTORE or /S again. It passes when nothing is lost (the backup is always the
# original, and without one the archive is) and no command ends with exit code 0 over an archive
# StormLib can't read whole.
#   scripts/crash-test.sh [ROUNDS] [FILES]   after a build (build/Install.exe, build/tests/mpq2k.exe)
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-50}
files=${2:-400}
work=$PWD/build/crash-test
prefix=$PWD/build/wineprefix-crash
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8

rm -rf "$work"
mkdir -p "$work/original" "$work/mod/data/mod" "$work/game" "$work/read"
cmake/wine.sh "$prefix" start headless
trap 'cmake/wine.sh "$prefix" stop' EXIT

# The game's archive as StormLib makes it: format version 0, no listfile (as the game's), some MiB.
(
    cd "$work/original"
    mkdir -p data/global/items
    for i in $(seq 1 "$files"); do
        head -c $((4096 + i * 37)) /dev/urandom >"data/global/items/item$i.dc6"
    done
    find . -type f -printf '%P\n' >"$work/original.names"
    xargs -d '\n' smpq -c -M 1 -m 4096 -C PKWARE -N -q "$work/patch_d2.mpq" <"$work/original.names"
)
# The mod: as many files again, each an "a" line, for the archiver to write in place.
for i in $(seq 1 $((files / 2))); do
    head -c $((8192 + i * 53)) /dev/urandom >"$work/mod/data/mod/file$i.txt"
    printf 'a data\\mod\\file%d.txt\r\n' "$i"
done | { printf 'o patch_d2.mpq\r\n'; cat; } >"$work/mod/script.txt"
printf '[MainSettings]\r\nTitle=Crash Mod\r\nAuthor=Tester\r\nFeatures=None\r\nScriptFile=script.txt\r\n' \
    >"$work/mod/modsettings.ini"
(cd "$work/mod" && find data -type f >"$work/mod.names")
cp build/Install.exe build/tests/mpq2k.exe "$work/mod/"
# The archiver takes about a second over the mod's files, as a real one compressing them does.
echo 5 >"$work/mod/mpq2k.slow"
cp "$work/patch_d2.mpq" "$work/game/patch_d2.mpq"
game="Z:$(echo "$work/game" | tr / '\\')"

# Install.exe with ARGS in the mod's folder, to its end; its exit code.
run() {
    (cd "$work/mod" && "$wine" Install.exe "$@" "/D=$game" >>"$work/output.txt" 2>&1) && echo 0 || echo $?
}

# The process started here and every process it started, by id.
tree() {
    local pid
    echo "$1"
    for pid in $(ps -o pid= --ppid "$1"); do tree "$pid"; done
}

# The stand-in archivers running on this test's script.
archivers() {
    ps -eo pid=,args= | line="$(echo "$work/mod" | tr / '\\')\\mpq2k.exe s " awk 'index($0, ENVIRON["line"]) { print $1 }'
}

# Whether StormLib reads every file of the original (and with "mod", of the mod) back as it was.
whole() {
    local set
    for set in original ${1:-}; do
        rm -rf "$work/read" && mkdir -p "$work/read"
        (cd "$work/read" && xargs -d '\n' smpq -x -q "$work/game/patch_d2.mpq" <"$work/$set.names" >/dev/null 2>&1) ||
            return 1
        diff -rq "$work/$set/data" "$work/read/data" >/dev/null 2>&1 || return 1
    done
}

lost=0 claimed=0 halfWritten=0 refused=0 whileWriting=0
declare -A nextExits
for round in $(seq 1 "$rounds"); do
    case $((RANDOM % 5)) in
    0) first=(/S /CLEAN) ;;
    1) first=(/RESTORE) ;;
    *) first=(/S) ;;
    esac
    (cd "$work/mod" && exec "$wine" Install.exe "${first[@]}" "/D=$game" >>"$work/output.txt" 2>&1) &
    started=$!
    # Half the rounds at any moment of the command, half while the archiver writes.
    if ((RANDOM % 2)) && [ "${first[0]}" = /S ]; then
        starts=$(cat "$work/mod/mpq2k.log" 2>/dev/null | grep -c '^process:' )
        for _ in $(seq 1 500); do
            [ "$(cat "$work/mod/mpq2k.log" 2>/dev/null | grep -c '^process:' )" -gt "${starts:-0}" ] && break
            sleep 0.01
        done
        delay=$((RANDOM % 400))
        whileWriting=$((whileWriting + 1))
    else
        delay=$((RANDOM % 1500))
    fi
    sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
    # Install.exe, then at once the archiver it started (Wine gives that one no Linux parent: it is
    # found by its own command line, which names this test's folder), each by its process id.
    kill -9 $(tree "$started") 2>/dev/null || true
    wait "$started" 2>/dev/null || true
    kill -9 $(archivers) 2>/dev/null || true
    while [ -n "$(archivers)" ]; do sleep 0.05; done
    whole || halfWritten=$((halfWritten + 1))

    if ((RANDOM % 2)); then next=/RESTORE; else next=/S; fi
    code=$(run "$next")
    nextExits["$next $code"]=$((${nextExits["$next $code"]:-0} + 1))
    if [ -f "$work/game/patch_d2_backup.mpq" ]; then
        cmp -s "$work/patch_d2.mpq" "$work/game/patch_d2_backup.mpq" || { lost=$((lost + 1)); echo "round $round: the backup is not the original"; }
    elif ! cmp -s "$work/patch_d2.mpq" "$work/game/patch_d2.mpq"; then
        lost=$((lost + 1)); echo "round $round: no backup, and the archive is not the original"
    fi
    if [ "$code" = 0 ]; then
        if [ "$next" = /S ]; then whole mod; else cmp -s "$work/patch_d2.mpq" "$work/game/patch_d2.mpq"; fi ||
            { claimed=$((claimed + 1)); echo "round $round: $next ended with 0 over an archive that isn't whole"; }
    else
        refused=$((refused + 1))
        # Put right for the next round, as the player is told to.
        [ "$(run /RESTORE)" = 0 ] || [ ! -f "$work/game/patch_d2_backup.mpq" ] ||
            { lost=$((lost + 1)); echo "round $round: /RESTORE failed after $next ended with $code"; }
    fi
done

echo "rounds: $rounds, $whileWriting of them killed 0 to 399 ms after the archiver started, the others 0 to 1499 ms after the command ($files files, $(du -m "$work/patch_d2.mpq" | cut -f1) MiB in the game's archive, $((files / 2)) in the mod)"
echo "archives StormLib could not read whole right after the kill: $halfWritten"
for key in "${!nextExits[@]}"; do echo "next command $key: ${nextExits[$key]}"; done | sort
echo "next commands that changed nothing and said why (then /RESTORE): $refused"
echo "lost: $lost; exit code 0 over an archive that isn't whole: $claimed"
[ "$lost" = 0 ] && [ "$claimed" = 0 ]
