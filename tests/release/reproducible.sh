#!/bin/sh
# Builds the committed sources twice, in two folders and environments that differ, and
# compares the programs and the release zip byte for byte.
#
# Usage: tests/release/reproducible.sh [COMMIT]   (default: HEAD)
# The two copies differ in the depth and names of their folders, time zone, locale and
# umask; whatever of these leaks into a program (a path, a time stamp, file order)
# shows as a difference. Needs a few minutes: two whole 32-bit builds.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
commit=$(git -C "$root" rev-parse "${1:-HEAD}")
work=$(mktemp -d /tmp/orvak-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT

build() { # folder, then the environment to build in
    folder="$work/$1"
    shift
    mkdir -p "$folder"
    git -C "$root" archive "$commit" | tar -x -C "$folder"
    (cd "$folder" && env "$@" sh -c '
        cmake --preset windows >/dev/null &&
        cmake --build --preset windows -j2 --target quelbrin dornavet >/dev/null &&
        sh tools/release.sh build/windows/bin "$0/dist" >/dev/null' "$folder")
}

echo "building $commit twice"
build a TZ=UTC LC_ALL=C
(umask 077 && build "second/much/deeper/copy of the sources" TZ=Asia/Tokyo LC_ALL=ja_JP.UTF-8)

first="$work/a/dist"
second="$work/second/much/deeper/copy of the sources/dist"
status=0
for file in quelbrin.exe dornavet.exe $(cd "$first" && ls ./*.zip | sed 's|^\./||'); do
    if cmp -s "$first/$file" "$second/$file"; then
        echo "same      $file  $(sha256sum < "$first/$file" | cut -c1-64)"
    else
        echo "DIFFERENT $file: first differing bytes (offset, octal first, octal second):"
        cmp -l "$first/$file" "$second/$file" | head -8 | sed 's/^/          /'
        status=1
    fi
done
exit $status
