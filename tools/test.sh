#!/usr/bin/env bash
# Set-up, build with AddressSanitizer and UndefinedBehaviorSanitizer, and run every test.
#
#   tools/test.sh [ctest arguments] [-- test program arguments]
#
# The arguments before "--" go to ctest, which runs each test alone. With "--", each test
# program then also runs whole with the arguments after it, e.g.
#   tools/test.sh -- --gtest_shuffle --gtest_repeat=3
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup_debian.sh
# ccache, when present, keys the compiled objects by paths relative to the checkout, so that
# another checkout of the same tree (CI's clean one) finds them too.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

build=build/test
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
# The benchmarks are built too, and CTest runs each once for a moment (label "bench") so that
# none stops building or running; their figures are measured in the optimised tree.
if [ ! -f "$build/CMakeCache.txt" ] || ! grep -q '^TW_BENCH:BOOL=ON$' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON -DTW_BENCH=ON
fi
cmake --build "$build" --parallel "$(nproc)"

ctest_args=()
program_args=()
whole=0
for arg in "$@"; do
  if [ "$whole" = 0 ] && [ "$arg" = "--" ]; then
    whole=1
  elif [ "$whole" = 0 ]; then
    ctest_args+=("$arg")
  else
    program_args+=("$arg")
  fi
done

# Any sanitizer report fails the run.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" "${ctest_args[@]}"
[ "$whole" = 1 ] || exit 0

# Each test program whole, all at once; the output of a failed one is shown.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
pids=()
programs=()
for program in "$build"/tests/*/test_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  programs+=("$program")
  "$program" "${program_args[@]}" >"$logs/${#pids[@]}.log" 2>&1 &
  pids+=($!)
done
failed=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "passed: ${programs[$i]} ${program_args[*]}"
  else
    cat "$logs/$i.log"
    echo "FAILED: ${programs[$i]} ${program_args[*]}"
    failed=1
  fi
done
exit "$failed"
