#!/bin/sh
# The release checks, after build.sh: the built 32-bit programs read back, the checker's
# own faults, the guides, signing, a second and third build compared, and the planted
# DLL under Wine. Runs them all and exits non-zero if any failed.
set -u
cd "$(dirname "$0")/../.."
bin=build/windows/bin
failed=""
run() { # label, command...
    label=$1
    shift
    echo "-- $label"
    "$@" || failed="$failed
   $label"
}

run "built programs" python3 tools/check_release.py "$bin"
run "faults the checker catches" python3 tests/release/test_check_release.py "$bin"
run "guides show every box" python3 tests/release/test_guides.py
run "Authenticode signing" sh tests/release/signing.sh "$bin"
run "reproducible build" sh tests/release/reproducible.sh
run "planted wininet.dll under Wine" python3 tests/release/planted_dll.py

if [ -n "$failed" ]; then
    echo "release checks failed:$failed"
    exit 1
fi
echo "release checks: all passed"
