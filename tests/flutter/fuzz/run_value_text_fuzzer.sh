#!/usr/bin/env bash
# Builds the value text fuzzer natively with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for a while.
#
#   tests/flutter/fuzz/run_value_text_fuzzer.sh [seconds]      (default 60)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../../.." && pwd)
out=${FUZZ_OUT:-/tmp/fernhold-value-text-fuzz}
mkdir -p "$out/corpus"
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$repo" -I"$repo/flutter/include" \
  "$repo/tests/flutter/fuzz/value_text_fuzzer.cc" "$repo/flutter/engine/value_text.cc" \
  -o "$out/value_text_fuzzer"
# Seeds: one of each form.
printf '%s' '{"padCode": "P1", "k": [1, 2L, -3.5e-7, "x\\x01"]}' > "$out/corpus/map"
printf '%s' 'f32[nan, inf, -inf, 1.5e-45, 3.4028235e+38] f64[0.1]' > "$out/corpus/floats"
printf '%s' 'u8[0, 255] i32[-1] i64[9223372036854775807] [[[null, true, false]]]' > "$out/corpus/lists"
"$out/value_text_fuzzer" -max_total_time="${1:-60}" -max_len=4096 "$out/corpus"
