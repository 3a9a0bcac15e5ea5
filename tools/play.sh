#!/usr/bin/env bash
# Set-up, an optimised build, and the player started on a game:
#   tools/play.sh                  the sample game (written into build/release/sample_game when
#                                  missing or older than its generator)
#   tools/play.sh PROJECT_DIR [stage file, relative to the project folder]
#                                  the game project in PROJECT_DIR (the folder that holds "data")
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup_debian.sh
# ccache, when present, keys the compiled objects by paths relative to the checkout, so that
# another checkout of the same tree (CI's clean one) finds them too.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

build=build/release
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTW_TESTS=OFF -DTW_BENCH=OFF
fi

if [ $# -lt 1 ]; then
  cmake --build "$build" --target tessellwhirl sample_game_data --parallel "$(nproc)"
  project="$PWD/$build/sample_game"
else
  project=$(cd "$1" && pwd)
  shift
  cmake --build "$build" --target tessellwhirl --parallel "$(nproc)"
fi
exec "$build/src/app/tessellwhirl" --project "$project" "$@"
