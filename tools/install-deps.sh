#!/bin/sh
# Installs, as root on Debian 12, whatever the build and the tests need and is missing.
set -eu

packages="cmake ninja-build g++ clang libgtest-dev libbenchmark-dev
 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
 wine wine32:i386 wine64 xvfb xauth locales fonts-ipafont-gothic fonts-ipafont-mincho
 gnupg gpgsm gpg-agent openssl osslsigncode python3 zip imagemagick"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

if [ -n "$missing" ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

# Wine's ANSI code page follows the locale: ja_JP.UTF-8 gives CP932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
