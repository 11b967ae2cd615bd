#!/bin/sh
# Builds the release: dist/quelbrin.exe and dist/dornavet.exe.
set -eu
cd "$(dirname "$0")"
sh tools/install-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows

rm -rf dist
mkdir -p dist
for program in quelbrin dornavet; do
    if [ -f "build/windows/bin/$program.exe" ]; then
        cp "build/windows/bin/$program.exe" dist/
    fi
done
ls -l dist

# The release proper: programs, guides, license, zip and SHA256SUMS (signed when
# ORVAK_SIGN_KEY and ORVAK_SIGN_CERT are set).
sh tools/release.sh
