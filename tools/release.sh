#!/bin/sh
# Makes the release folder from the built programs: the programs, their guides, the
# license and third-party notices, a zip of them all and SHA256SUMS.
#
# Usage: tools/release.sh [BIN_DIR [DIST_DIR]]   (defaults: build/windows/bin, dist)
#
# Authenticode: when ORVAK_SIGN_KEY and ORVAK_SIGN_CERT name a private key and its
# certificate chain (PEM or DER files), both programs are signed with osslsigncode
# before they are zipped and summed; ORVAK_SIGN_PASS_FILE names a file holding the key's
# password, ORVAK_SIGN_TIMESTAMP an RFC 3161 time-stamp server's URL. Without a key the
# release is unsigned. Everything but the signature is the same from build to build:
# the zip's entries carry the commit's time (SOURCE_DATE_EPOCH if set), in UTC.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build/windows/bin}" && pwd)
dist=${2:-$root/dist}

version=$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' "$root/trustreg/quelbrin.rc")
package="orvak-tools-$version"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
programs="quelbrin.exe dornavet.exe"
guides="quelbrin.ja.md quelbrin.en.md dornavet.ja.md dornavet.en.md"

for file in $programs; do
    [ -f "$bin/$file" ] || { echo "release: $bin/$file is missing; build first" >&2; exit 1; }
done
for file in $guides; do
    [ -f "$root/docs/$file" ] || { echo "release: docs/$file is missing" >&2; exit 1; }
done
# Every picture a guide shows must be there (tests/release/screenshots.py takes them).
missing=$(cd "$root/docs" && sed -n 's/.*](\(images\/[^)]*\.png\)).*/\1/p' $guides | sort -u |
          while read -r picture; do [ -f "$picture" ] || echo "$picture"; done)
if [ -n "$missing" ]; then
    echo "release: pictures the guides show are missing:" $missing >&2
    exit 1
fi
if [ -n "${ORVAK_SIGN_KEY:-}${ORVAK_SIGN_CERT:-}" ] &&
   ! { [ -f "${ORVAK_SIGN_KEY:-}" ] && [ -f "${ORVAK_SIGN_CERT:-}" ]; }; then
    echo "release: ORVAK_SIGN_KEY and ORVAK_SIGN_CERT must both name files" >&2
    exit 1
fi

case $(cd "$(dirname "$dist")" 2>/dev/null && pwd)/$(basename "$dist") in
    "$root" | "$root/" | / | //*) echo "release: will not replace $dist" >&2; exit 1 ;;
esac
rm -rf "$dist"
mkdir -p "$dist/docs/images"
dist=$(cd "$dist" && pwd)
for file in $programs; do
    cp "$bin/$file" "$dist/$file"
done
cp "$root/LICENSE" "$dist/LICENSE.txt"
# The statically linked GCC and mingw-w64 run time asks for its notices to travel along.
cp "$root/docs/THIRD-PARTY-NOTICES.txt" "$dist/THIRD-PARTY-NOTICES.txt"
for file in $guides; do
    cp "$root/docs/$file" "$dist/docs/$file"
done
if [ -d "$root/docs/images" ]; then
    find "$root/docs/images" -maxdepth 1 -name '*.png' -exec cp {} "$dist/docs/images/" \;
fi

sign() { # program, description
    program=$1
    # -h sha256: SHA-1 signatures are no longer trusted by Windows.
    set -- -h sha256 -n "$2" -certs "$ORVAK_SIGN_CERT" -key "$ORVAK_SIGN_KEY" -in "$program" -out "$program.signed"
    if [ -n "${ORVAK_SIGN_PASS_FILE:-}" ]; then
        set -- "$@" -readpass "$ORVAK_SIGN_PASS_FILE"
    fi
    if [ -n "${ORVAK_SIGN_TIMESTAMP:-}" ]; then
        set -- "$@" -ts "$ORVAK_SIGN_TIMESTAMP"
    fi
    osslsigncode sign "$@" >/dev/null
    mv "$program.signed" "$program"
}
if [ -n "${ORVAK_SIGN_KEY:-}" ]; then
    sign "$dist/quelbrin.exe" Tolvique
    sign "$dist/dornavet.exe" Sandrevo
    signed="signed"
else
    signed="unsigned"
fi

# The zip holds one folder with all of the above; its entries in a fixed order, with the
# commit's time and without the owner and time fields of the Unix extra blocks.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -R "$dist" "$stage/$package"
# Modes too go into the zip: the same for every umask.
find "$stage/$package" -type d -exec chmod 0755 {} +
find "$stage/$package" -type f -exec chmod 0644 {} +
find "$stage/$package" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$stage" && find "$package" -type f | LC_ALL=C sort |
    TZ=UTC zip -q -X -D -@ "$dist/$package.zip")
(cd "$dist" && sha256sum $programs "$package.zip" > SHA256SUMS)

echo "release ($signed) in $dist:"
(cd "$dist" && for file in $programs "$package.zip"; do
    printf '  %-26s %8d bytes  sha256 %s\n' "$file" "$(wc -c < "$file")" "$(sha256sum "$file" | cut -c1-16)"
done)
