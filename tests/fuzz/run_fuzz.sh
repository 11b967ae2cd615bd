#!/bin/sh
# Builds the merge fuzzer with clang (libFuzzer, ASan, UBSan) into build/fuzz and
# runs it for the given number of seconds from the seed corpus. Exits non-zero
# when an input crashes or breaks a property; the input is kept in build/fuzz.
set -eu
seconds="${1:-10}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/fuzz"
mkdir -p "$out/corpus"

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root" -o "$out/fuzz_trust_merge" \
    "$root/tests/fuzz/fuzz_trust_merge.cpp" \
    "$root/common/bytes.cpp" \
    "$root/trustreg/root_list.cpp" "$root/trustreg/substring_index.cpp" \
    "$root/trustreg/trust_list.cpp" "$root/trustreg/home_line.cpp"

# New inputs go into build/fuzz/corpus; the committed seeds are only read.
"$out/fuzz_trust_merge" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/tests/fuzz/merge.dict" -artifact_prefix="$out/" -print_final_stats=1 \
    "$out/corpus" "$root/tests/fuzz/corpus"
