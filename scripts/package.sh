#!/bin/sh
# Builds the release Install.exe in a clean folder of its own and writes
# build/release/Vornikel-Install-<version>.zip: Install.exe, LICENSE, THIRD-PARTY-NOTICES.txt,
# FOR-MOD-AUTHORS.txt and SHA256SUMS. The same commit built with the same toolchain gives the same
# zip byte for byte: its files go in a fixed order, with fixed modes, dated at the commit's time
# (or SOURCE_DATE_EPOCH when it is set). Before it ends it checks the zip it wrote.
set -e
cd "$(dirname "$0")/.."
scripts/setup-debian.sh package

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || {
        echo "Not a git checkout: set SOURCE_DATE_EPOCH to the release's time (seconds since 1970)." >&2
        exit 1
    }
fi
export SOURCE_DATE_EPOCH

release="$PWD/build/release"
source="$release/source"
rm -rf "$release"
mkdir -p "$source"
# The sources copied to another path and built from scratch, as anyone rebuilding a release does:
# scripts/test.sh compares the result with build/Install.exe, so neither folder can leak into it.
tar -cf - --exclude=./build --exclude=./.git . | tar -xf - -C "$source"
(cd "$source" && cmake --preset windows >/dev/null && cmake --build --preset windows --target Install \
    --parallel "$(nproc)" >/dev/null)

version=$(sed -n 's/^#define INSTALLER_VERSION_TEXT "\(.*\)"$/\1/p' "$source/build/resources/InstallVersion.h")
toolchain=$(dpkg-query -W -f='    ${Package} ${Version}\n' g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
    mingw-w64-x86-64-dev binutils-mingw-w64-x86-64)
stage="$release/Vornikel-Install-$version"
zip="$release/Vornikel-Install-$version.zip"
files="Install.exe LICENSE THIRD-PARTY-NOTICES.txt FOR-MOD-AUTHORS.txt SHA256SUMS"
mkdir "$stage"
cp "$source/build/Install.exe" "$stage/"
# Windows' Notepad before Windows 10 shows a text with Unix line ends as one long line.
crlf() { sed 's/$/\r/'; }
crlf <LICENSE >"$stage/LICENSE"
crlf <THIRD-PARTY-NOTICES.txt >"$stage/THIRD-PARTY-NOTICES.txt"
crlf >"$stage/FOR-MOD-AUTHORS.txt" <<EOF
Vornikel Install.exe $version: for mod authors

Install.exe installs your mod into a player's Diablo 2. Put it in your mod's folder beside:
- modsettings.ini, with Title, Author, Features and ScriptFile under [MainSettings], and, where
  your mod is made for certain patches of the game, GameVersion (GameVersion=1.13c, 1.13d): a
  player whose game is another patch is asked before the install;
- the archiver script that ScriptFile names, with patch_d2.mpq wherever the game's archive goes,
  and the names in the archive written with \ as the game asks for them (data\global\...);
- the files the script adds, in the folders it names;
- mpq2k.exe and its listfile.dat.

Ship LICENSE and THIRD-PARTY-NOTICES.txt with it: the licences of Install.exe (MIT) and of the
libraries inside it ask that their notices go wherever it goes. If your mod has a LICENSE of its
own, ship this one as Install-LICENSE.txt.

Before you publish, open a command prompt in the mod's folder and run

    Install.exe /CHECK

It checks the folder as a player's Windows will read it, and changes nothing: one line per check,
"ok: ..." or "problem: ..." with how to mend it. "Install.exe /CHECK /D=<game folder>" also names
the version of the game there.

SHA256SUMS holds the SHA-256 of each file here. To see whether the Install.exe in a mod is this
one, compare its SHA-256: "certutil -hashfile Install.exe SHA256" on Windows, "sha256sum
Install.exe" elsewhere. Built from the source of version $version with Debian 12's
$toolchain
Install.exe comes out the same byte for byte, wherever and whenever it is built.

The installer's README, in its source, tells the rest: the description file, the script, the
command line, and how to build and check Install.exe yourself.
EOF
(cd "$stage" && sha256sum Install.exe LICENSE THIRD-PARTY-NOTICES.txt FOR-MOD-AUTHORS.txt >SHA256SUMS)
# zip stores each file's mode and its local time; -X leaves out the owner and the other times.
(cd "$stage" && chmod 644 $files && touch -d "@$SOURCE_DATE_EPOCH" $files &&
    TZ=UTC zip -X -D -q "$zip" $files)

fail() {
    echo "scripts/package.sh: $zip $1" >&2
    exit 1
}
check="$release/check"
mkdir "$check"
(cd "$check" && unzip -q "$zip")
[ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "$files " ] || fail "holds $(unzip -Z1 "$zip" | tr '\n' ' ')instead of $files"
(cd "$check" && sha256sum --strict --quiet -c SHA256SUMS && grep -qxF "$(sha256sum Install.exe)" SHA256SUMS) ||
    fail "has a SHA256SUMS that doesn't match its files"
copyright="$(grep -m1 '^Copyright ' LICENSE). MIT License."
x86_64-w64-mingw32-windres -i "$check/Install.exe" -O rc | grep -qF "VALUE \"LegalCopyright\", \"$copyright\"" ||
    fail "has an Install.exe whose version resource doesn't say \"$copyright\""
echo "$zip"
