#!/usr/bin/env bash
# Runs the built program under Wine: on the current X display when there is one, otherwise on a
# virtual display of its own. Arguments after the build folder go to the program.
#
#   tools/run.sh <build-dir> [arguments...]
set -euo pipefail
repo_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-build}" && pwd)
shift || true

run() {
  cd "$build_dir/bin"
  "$repo_dir/tools/wine/winerun" "$build_dir/wineprefix" ./fernhold_pc_client.exe "$@"
}

if [ -n "${DISPLAY:-}" ]; then
  run "$@"
else
  export -f run
  export repo_dir build_dir
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c 'run "$@"' run "$@"
fi
