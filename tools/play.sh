#!/usr/bin/env bash
# Set-up, an optimised build, and the player started on a project folder:
#   tools/play.sh PROJECT_DIR [stage file, relative to the project folder]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup_debian.sh

if [ $# -lt 1 ]; then
  cat >&2 <<'USAGE'
No sample game exists yet. Give the folder of a game project (the folder that holds "data"):
  tools/play.sh PROJECT_DIR
  tools/play.sh PROJECT_DIR 'data\stg4\stage.stg4'   # play one stage at once
USAGE
  exit 1
fi
project=$(cd "$1" && pwd)
shift

build=build/release
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTW_TESTS=OFF -DTW_BENCH=OFF
fi
cmake --build "$build" --target tessellwhirl --parallel "$(nproc)"
exec "$build/src/app/tessellwhirl" --project "$project" "$@"
