#!/usr/bin/env bash
# Builds the phone's clipboard message parser natively with clang's libFuzzer (address and
# undefined-behaviour sanitizers) and fuzzes it for a bounded time. The corpus and any crash
# reproducers are kept in the output folder.
#
#   tests/plugin/fuzz/run.sh [seconds (default 120)] [output folder (default build/fuzz)]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
seconds=${1:-120}
out=${2:-$root/build/fuzz}
mkdir -p "$out/remote_clipboard_corpus"

clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$root" "$here/remote_clipboard_fuzzer.cpp" "$root/plugin/remote_clipboard_content.cpp" \
  -o "$out/remote_clipboard_fuzzer"

cp -n "$here"/remote_clipboard_seeds/* "$out/remote_clipboard_corpus/"
"$out/remote_clipboard_fuzzer" -max_total_time="$seconds" -max_len=512 \
  -dict="$here/remote_clipboard.dict" -artifact_prefix="$out/remote_clipboard_" \
  -print_final_stats=1 "$out/remote_clipboard_corpus"
