#!/usr/bin/env bash
# Runs the built program under Wine: on the current X display when there is one, otherwise on a
# virtual display of its own. Arguments after the build folder go to the program.
#
#   tools/run.sh <build-dir> [arguments...]
set -euo pipefail
repo_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-build}" && pwd)
shift || true

cd "$build_dir/bin"
command=("$repo_dir/tools/wine/winerun" "$build_dir/wineprefix" ./fernhold_pc_client.exe "$@")
if [ -n "${DISPLAY:-}" ]; then
  exec "${command[@]}"
else
  exec "$repo_dir/tools/wine/own-display" "${command[@]}"
fi
