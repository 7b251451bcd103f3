#!/bin/sh
# Runs Windows programs under Wine in a prefix of the build's own.
#   wine.sh PREFIX run PROGRAM [ARGS...]   run one program (ctest's emulator)
#   wine.sh PREFIX start [headless]        create the prefix if needed, start a persistent,
#                                          warmed wineserver (headless: Wine's null display driver)
#   wine.sh PREFIX stop                    stop that wineserver
set -e
prefix=$1
action=$2
shift 2

WINEPREFIX=$prefix
WINEDEBUG=-all
# Native DLLs first for those the planted-DLL test plants beside Install.exe and that Install.exe
# loads after it has started: Windows has no builtin ones, and only this way does a planted DLL
# get its chance under Wine, so the test proves something. Where there is no native one, Wine's
# builtin one loads as before.
WINEDLLOVERRIDES="mscoree,mshtml=;msimg32,propsys,windowscodecs=n,b"
# A UTF-8 locale, as a player's desktop has: Wine then keeps names outside its ANSI code page
# (1252) as they are on the disk, and the tests can make them. INSTALLER_WINE_LANG chooses another
# (ja_JP.UTF-8: Wine's ANSI code page is then Japanese Windows' 932) for a prefix of its own.
LANG=${INSTALLER_WINE_LANG:-C.UTF-8}
LC_ALL=$LANG
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LANG LC_ALL

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

case $action in
run)
    exec "$wine" "$@"
    ;;
start)
    if [ ! -f "$prefix/system.reg" ]; then
        echo "Creating the Wine prefix $prefix (once per build folder)..."
        mkdir -p "$prefix"
        "$wine" wineboot -i >/dev/null 2>&1
    fi
    # Windows links fonts for Chinese, Japanese and Korean to the window's font (Tahoma); without
    # Tahoma Wine draws that font with DejaVu Sans, to which it links nothing. Debian's
    # fonts-wqy-microhei linked to it shows those languages, and the tests measure them.
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'DejaVu Sans' \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    if [ "${1:-}" = headless ]; then
        "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    fi
    # A server left over from the steps above, or from an earlier run, would refuse -p.
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    # Without a server that stays up, every program waits a few seconds for the server to
    # linger and end; the warm-up run keeps ctest from hanging on the first test.
    "$wineserver" -p
    "$wine" cmd /c exit >/dev/null 2>&1
    ;;
stop)
    "$wineserver" -k 2>/dev/null || true
    ;;
*)
    echo "usage: wine.sh PREFIX run|start|stop ..." >&2
    exit 2
    ;;
esac
