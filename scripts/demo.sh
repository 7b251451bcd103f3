#!/bin/sh
# Builds Install.exe, lays out the demo mod beside it and opens it under Wine.
# Without a display it runs under Xvfb as a player would: saves a screenshot, presses "Install
# Mod", shows the archive the archiver changed and the record of the mod installed, starts the
# window again on that record, installs once more onto the original archive, restores the original
# through the window's system menu, closes, shows the window in German and in Japanese; then checks
# the mod from the command line, whole and with a file missing, and installs it from a copy of the
# mod and the game in folders whose names Windows' ANSI code page can't hold.
set -e
cd "$(dirname "$0")/.."
root=$PWD

if [ -z "${DISPLAY:-}" ] && [ "${1:-}" != --screenshot ]; then
    scripts/setup-debian.sh demo
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --screenshot
fi
scripts/setup-debian.sh demo

cmake --preset windows >/dev/null
cmake --build --preset windows --target demo --parallel "$(nproc)"

prefix="$root/build/wineprefix-demo"
demo="$root/build/demo"
wine() { "$root/cmake/wine.sh" "$prefix" run "$@"; }
"$root/cmake/wine.sh" "$prefix" start
trap '"$root/cmake/wine.sh" "$prefix" stop' EXIT
# Wine's edit box draws through Uniscribe, which takes no linked font: the CJK font linked to Tahoma,
# which this Wine lacks, becomes the window's font altogether, and the feature box shows Japanese too.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ \
    /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null

# Record the demo game's folder where the game itself records it, and forget what an earlier run
# remembered, so that the window opens on it as on a first start.
game_folder="Z:$(printf '%s' "$demo/Diablo II" | tr / '\\')"
wine reg add 'HKCU\Software\Blizzard Entertainment\Diablo II' /v InstallPath /d "$game_folder" /f >/dev/null
wine reg delete 'HKCU\Software\VB and VBA Program Settings\Vornikel' /f >/dev/null 2>&1 || true

# A fresh start each time: the game's archive is a small sound MPQ archive made as the tests make
# theirs, and the backup, record and rewritten script of an earlier run go.
archive="$demo/Diablo II/patch_d2.mpq"
original="$demo/original patch_d2.mpq"
(cd "$demo" && wine "$root/build/tests/make_archive.exe" "original patch_d2.mpq")
cp "$original" "$archive"
rm -f "$demo/Diablo II/patch_d2_backup.mpq" "$demo/Diablo II/patch_d2_mods.txt" "$demo/mod/correctscript.tmp" \
    "$demo/mod/mpq2k.log" "$demo/mod/Install.log"

echo "The demo mod:  $demo/mod (Install.exe, modsettings.ini, demo-mod.txt, listfile.dat, stand-in mpq2k.exe)"
echo "The demo game: $demo/Diablo II (patch_d2.mpq)"
cd "$demo/mod"
if [ "${1:-}" != --screenshot ]; then
    wine Install.exe
    exit
fi

window() { wine "$root/build/demo_window.exe" "$1" VornikelForm1 "$2" | tr -d '\r'; }
status_is() { test "$(window text 110)" = "$1"; }  # Label4
# What the archiver added: the archive's bytes after the original's (the files it stored, its
# tables written anew, which show as dots, and its record).
added() { tail -c +$(($(stat -c %s "$original") + 1)) "$1" | tr -c '[:print:]\t\n' . | sed 's/^/    /'; echo; }
wait_for() {
    for _ in $(seq 30); do
        "$@" && return 0
        sleep 1
    done
    return 1
}
box_shown() { report=$(xdotool search --name "$1" getwindowname 2>/dev/null); }

start_window() {
    wine Install.exe "$@" &
    wait_for xdotool search --name '^Vornikel' >/dev/null 2>&1
    sleep 2
}
close_window() {
    xdotool search --name '^Vornikel' windowclose 2>/dev/null || true
    sleep 2
}
# "Install Mod", found by its text where the window put it.
press_install() {
    button=$(window position "Install Mod")
    if [ -z "$button" ]; then
        echo "No \"Install Mod\" button in the window." >&2
        exit 1
    fi
    xdotool mousemove $button click 1
}

start_window
shot="$root/build/demo-screenshot.png"
import -window root "$shot"
echo "No display: ran under Xvfb. Screenshot of the window: $shot"

# The box that reports the outcome is answered with Enter once it is shown.
press_install
wait_for box_shown 'Installed, Backup Created!|Install Failed'
sleep 1
installed="$root/build/demo-installed.png"
import -window root "$installed"
xdotool key Return
echo "Pressed Install Mod: \"$report\". Screenshot of its report: $installed"
echo "The archiver stand-in's log: $demo/mod/mpq2k.log"
echo "patch_d2.mpq as the archiver left it: the original archive, then"
added "$archive"
echo "What StormLib's smpq, a reader of MPQ archives no one here wrote, lists in it:"
smpq -l "$archive" | sed 's/^/    /'
echo "The record of what it holds, patch_d2_mods.txt:"
sed 's/^/    /' "$demo/Diablo II/patch_d2_mods.txt"
wait_for status_is "Installed Sucessfully"
close_window
echo "What the install wrote to Install.log in the mod's folder, for whoever helps the player:"
tr -d '\r' <"$demo/mod/Install.log" | sed 's/^/    /'

# Started again, the window tells what the game folder's archive holds; pressing "Install Mod"
# asks, and Yes (Enter) installs onto the original archive from the backup.
start_window
record="$root/build/demo-record.png"
import -window root "$record"
echo "Started again: Label5 says \"$(window text 113)\". Screenshot: $record"
press_install
wait_for box_shown 'A Mod Is Already Installed'
sleep 1
question="$root/build/demo-question.png"
import -window root "$question"
xdotool key Return
wait_for box_shown 'Installed, Backup Created!'
sleep 1
xdotool key Return
wait_for status_is "Installed Sucessfully"
echo "Pressed Install Mod again and answered Yes to \"A Mod Is Already Installed\" (screenshot: $question)."
echo "patch_d2.mpq is now the original archive, then only"
added "$archive"

# The way back, as a player takes it: the window's system menu, then Yes.
window syscommand 0x10
wait_for box_shown 'Restore Backup'
sleep 1
restore="$root/build/demo-restore.png"
import -window root "$restore"
xdotool key Return
wait_for status_is "Original patch_d2.mpq restored."
echo "Restored from the system menu: \"Original patch_d2.mpq restored.\". Screenshot of its question: $restore"
cmp "$archive" "$original" && echo "patch_d2.mpq is the original again. smpq lists in it:"
smpq -l "$archive" | sed 's/^/    /'
test ! -e "$demo/Diablo II/patch_d2_mods.txt" && echo "Its record is gone with the mod."
close_window

# The window as a German and a Japanese player see it (their Windows' language, or /LANG=).
for code in de ja; do
    start_window /LANG=$code
    shot="$root/build/demo-$code.png"
    import -window root "$shot"
    echo "The window with /LANG=$code: $shot"
    close_window
done

# The command line, from a copy of the mod and the game in folders named as a Polish player's may
# be: the installer reaches them by their 8.3 aliases.
polish_mod="$demo/Łukasz mod"
polish_game="$demo/Diablo II Ł"
rm -rf "$polish_mod" "$polish_game"
cp -r "$demo/mod" "$polish_mod"
mkdir "$polish_game"
cp "$original" "$polish_game/patch_d2.mpq"
cd "$demo/mod"
echo "Install.exe /CHECK in $demo/mod:"
wine Install.exe /CHECK 2>/dev/null | sed 's/^/    /'
mv data/global/excel/misc.txt misc.txt.aside
set +e
wine Install.exe /CHECK >"$demo/check.txt" 2>/dev/null
code=$?
set -e
mv misc.txt.aside data/global/excel/misc.txt
printf '%s\n' "Install.exe /CHECK with data\\global\\excel\\misc.txt moved away ended with exit code $code:"
tr -d '\r' <"$demo/check.txt" | grep '^problem' | sed 's/^/    /'
cd "$polish_mod"
rm -f unattended.log Install.log mpq2k.log correctscript.tmp
polish_game_folder="Z:$(printf '%s' "$polish_game" | tr / '\\')"
set +e
wine Install.exe /S /LOG=unattended.log "/D=$polish_game_folder" 2>/dev/null >/dev/null
code=$?
set -e
printf '%s\n' "Install.exe /S /LOG=unattended.log /D=$polish_game_folder in $polish_mod ended with exit code $code; its log:"
sed 's/^/    /' unattended.log
echo "patch_d2.mpq in $polish_game as the archiver left it: the original archive, then"
added "$polish_game/patch_d2.mpq"
