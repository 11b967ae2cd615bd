#!/bin/sh
# Makes a release signed with a throw-away certificate, and checks the Authenticode
# signatures with osslsigncode: present and valid, on exactly the unsigned programs, and
# broken by a changed byte.
#
# Usage: tests/release/signing.sh [BIN_DIR]   (default: build/windows/bin)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$root/build/windows/bin}
work=$(mktemp -d /tmp/orvak-signing.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
pass() { echo "ok   $*"; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Orvak throw-away code signing" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=critical,digitalSignature" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null

sh "$root/tools/release.sh" "$bin" "$work/unsigned" >/dev/null
ORVAK_SIGN_KEY="$work/key.pem" ORVAK_SIGN_CERT="$work/cert.pem" \
    sh "$root/tools/release.sh" "$bin" "$work/signed" >/dev/null

verify() { # file; prints osslsigncode's report to $work/verify.log
    osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1
}

for program in quelbrin dornavet; do
    signed="$work/signed/$program.exe"
    unsigned="$work/unsigned/$program.exe"
    if verify "$signed" && grep -q "Subject: /CN=Orvak throw-away code signing" "$work/verify.log" &&
       grep -q "Message digest algorithm  : SHA256" "$work/verify.log"; then
        pass "$program.exe: SHA-256 signature by the throw-away certificate verifies"
    else
        fail "$program.exe: expected a valid SHA-256 signature, got:"
        sed 's/^/     /' "$work/verify.log"
    fi
    if verify "$unsigned"; then
        fail "$program.exe: expected no signature without a key, got one"
    else
        pass "$program.exe: unsigned without a key"
    fi
    # The signature is all that signing adds: without it the file is the unsigned one.
    rm -f "$work/stripped.exe"
    osslsigncode remove-signature -in "$signed" -out "$work/stripped.exe" >/dev/null
    if cmp -s "$work/stripped.exe" "$unsigned"; then
        pass "$program.exe: signed file without its signature is the unsigned file"
    else
        fail "$program.exe: expected the unsigned file once the signature is removed"
    fi
    # A byte changed after signing must break it: the verification is not a formality.
    cp "$signed" "$work/tampered.exe"
    printf 'X' | dd of="$work/tampered.exe" bs=1 seek=1024 conv=notrunc 2>/dev/null
    if verify "$work/tampered.exe"; then
        fail "$program.exe: expected a changed byte to break the signature, it still verifies"
    else
        pass "$program.exe: a changed byte breaks the signature"
    fi
done

# The zip and SHA256SUMS carry the signed programs.
if (cd "$work/signed" && sha256sum -c --quiet SHA256SUMS); then
    pass "SHA256SUMS matches the signed release"
else
    fail "SHA256SUMS does not match the signed release"
fi
zip=$(ls "$work/signed"/*.zip)
package=$(basename "$zip" .zip)
for program in quelbrin dornavet; do
    if unzip -p "$zip" "$package/$program.exe" | cmp -s - "$work/signed/$program.exe"; then
        pass "the zip holds the signed $program.exe"
    else
        fail "expected the signed $program.exe in the zip"
    fi
done

[ "$failures" -eq 0 ] || { echo "signing: $failures failed"; exit 1; }
echo "signing: all passed"
