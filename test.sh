#!/bin/sh
# Runs every test: the portable core natively (plain and under ASan/UBSan), a short
# fuzzing pass, and the programs end to end under Wine. Exits non-zero on any failure.
set -eu
cd "$(dirname "$0")"
sh tools/install-deps.sh

echo "== native unit tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== unit tests under ASan and UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

if [ -x tests/fuzz/run_fuzz.sh ]; then
    echo "== fuzzing (short)"
    tests/fuzz/run_fuzz.sh 10
fi

echo "== Windows build"
./build.sh

echo "== end to end under Wine"
python3 tests/e2e/run_e2e.py

echo "== folder chooser in process under Wine"
python3 tests/e2e/run_chooser.py

echo "== release checks"
sh tests/release/run_release_tests.sh
