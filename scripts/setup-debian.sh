#!/bin/sh
# Makes sure the tools the build, the tests and the demo need are on this machine.
#   setup-debian.sh build   cross-compilers (GCC, and clang with lld), CMake, GoogleTest sources, Wine,
#                           StormLib's smpq (an independent reader of the archives the tests write),
#                           a font for Chinese, Japanese and Korean (the window's texts in those languages)
#   setup-debian.sh demo    the same, plus Xvfb, ImageMagick and xdotool for a screenshot
#   setup-debian.sh package the same as build, plus zip and unzip for the release package
# As root on Debian it installs what is missing with apt-get; otherwise it names the packages.
set -e

packages="cmake g++-mingw-w64-x86-64-posix clang lld libgtest-dev wine64 locales smpq fonts-wqy-microhei"
[ "${1:-build}" = demo ] && packages="$packages xvfb xauth imagemagick xdotool"
[ "${1:-build}" = package ] && packages="$packages zip unzip"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
        echo "Installing:$missing"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
    else
        echo "Missing packages:$missing" >&2
        echo "Install them first, for example: sudo apt-get install$missing" >&2
        exit 1
    fi
fi

# The tests of Japanese Windows' code page run Wine in a Japanese locale, which glibc must have.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    if [ "$(id -u)" = 0 ]; then
        echo "Generating the locale ja_JP.UTF-8"
        grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
        locale-gen >/dev/null
    else
        echo "Missing locale ja_JP.UTF-8: add 'ja_JP.UTF-8 UTF-8' to /etc/locale.gen and run locale-gen as root" >&2
        exit 1
    fi
fi
