#!/usr/bin/env bash
# Set-up, build with AddressSanitizer and UndefinedBehaviorSanitizer, and run every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup_debian.sh

build=build/test
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON -DTW_BENCH=OFF
fi
cmake --build "$build" --parallel "$(nproc)"

# Any sanitizer report fails the run.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" "$@"
