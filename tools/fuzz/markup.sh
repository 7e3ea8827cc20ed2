#!/usr/bin/env bash
# Fuzzes the skin markup parser natively: clang's libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, outside the Windows build (the parser is portable C++).
#
#   tools/fuzz/markup.sh [seconds] [build-dir]     (defaults: 120 s, build)
#
# The corpus grows in <build-dir>/fuzz/markup-corpus and is reused by the next run; a crash is
# written to <build-dir>/fuzz/ and ends the script with a failure.
set -euo pipefail

seconds=${1:-120}
repo_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=$(mkdir -p "${2:-$repo_dir/build}" && cd "${2:-$repo_dir/build}" && pwd)
out_dir="$build_dir/fuzz"
fuzz_dir="$repo_dir/tests/ui/markup_fuzz"
mkdir -p "$out_dir/markup-corpus"

command -v clang++ >/dev/null || { echo "markup fuzz: clang++ is needed (apt-get install clang)" >&2; exit 1; }

clang++ -std=c++17 -g -O1 -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$repo_dir" \
  "$repo_dir/ui/core/markup.cpp" "$fuzz_dir/markup_fuzzer.cc" \
  -o "$out_dir/markup_fuzzer"

cd "$out_dir"
exec ./markup_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
  -dict="$fuzz_dir/markup.dict" -artifact_prefix="$out_dir/" \
  "$out_dir/markup-corpus" "$fuzz_dir/seeds"
