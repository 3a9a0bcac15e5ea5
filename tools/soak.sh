#!/usr/bin/env bash
# The soak: play_headless plays every stage of the sample game and of the soak's fixture project
# for a number of frames of random input, on a build with the sanitizers (any report ends the
# run with an error), records each run and plays the recording back. A recording holds the last
# attempt at the stage (a death restarts the stage and the recording with it), so the playback's
# per-frame digests must be those of the recorded run from that attempt's start to its end.
#
#   tools/soak.sh [--build DIR] [--frames N] [--seed S] [--jobs J]
#
# Defaults: build/test (the AddressSanitizer + UBSan build of tools/test.sh), 20000 frames, seed 1
# (the stage's random seed and the input's), as many jobs at once as there are processors.
# Ends with the figures: frames played, stages, replays verified.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/test
frames=20000
seed=1
jobs=$(nproc)
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --frames) frames=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    *) echo "usage: tools/soak.sh [--build DIR] [--frames N] [--seed S] [--jobs J]" >&2; exit 2 ;;
  esac
done
case "$frames$seed$jobs" in *[!0-9]*) echo "soak: --frames, --seed and --jobs take numbers" >&2; exit 2 ;; esac
[ "$frames" -gt 0 ] && [ "$jobs" -gt 0 ] || { echo "soak: --frames and --jobs must be above 0" >&2; exit 2; }

player=$build/tools/play_headless/play_headless
writer=$build/tests/tools/write_soak_projects
sample=$build/sample_game
for f in "$player" "$writer"; do
  [ -x "$f" ] || { echo "soak: $f is missing; build first" >&2; exit 1; }
done
[ -f "$sample/System.ini" ] || { echo "soak: the sample game is missing in $sample; build first" >&2; exit 1; }
player=$(realpath "$player")
sample=$(realpath "$sample")

export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$writer" "$work/fixture"

# The runs: project folder and stage file, a tab between them.
projects=("$sample" "$work/fixture")
runs=()
for project in "${projects[@]}"; do
  for file in "$project"/data/stg4/*.stg4_*; do
    [ -f "$file" ] && runs+=("$project"$'\t'"data\\stg4\\$(basename "$file")")
  done
done
[ ${#runs[@]} -gt 0 ] || { echo "soak: no stage found" >&2; exit 1; }

# The frames of the replay banner, which a playback shows where its stage shows no stage number.
banner=79

# One stage: recorded run, playback, comparison. Writes "ok COMPARED FIRST SHIFT HOW" or "fail TEXT" into
# $work/N.result.
soak_one() {
  local n=$1 project=$2 stage=$3
  local base=$work/$n rpl=$work/$n.rpl4_790
  local record=("$player" --project "$project" --frames "$frames" --seed "$seed" --random-input "$seed"
    --record "$rpl" --describe 1 "$stage")
  local replay=("$player" --project "$project" --frames "$((frames + banner))" --replay "$rpl" --describe 1)
  local how
  how="$(printf '%q ' "${record[@]}")&& $(printf '%q ' "${replay[@]}")"
  if ! "${record[@]}" >"$base.out" 2>"$base.err"; then
    echo "fail the recorded run failed (status $?): $how" >"$base.result"; return
  fi
  if [ -s "$base.err" ]; then
    echo "fail the recorded run reported on stderr: $how" >"$base.result"; return
  fi
  grep -E '^[0-9]+ [0-9a-f]{16}$' "$base.out" >"$base.run" || true
  local runFirst
  runFirst=$(grep -m 1 '^random=' "$base.out" | cut -d= -f2)
  if [ "$(wc -l <"$base.run")" -ne "$frames" ] || ! tail -n 1 "$base.out" | grep -q '^digest [0-9a-f]\{16\}$'; then
    echo "fail the recorded run did not print $frames frames and its digest: $how" >"$base.result"; return
  fi
  if ! "${replay[@]}" >"$base.out" 2>"$base.err"; then
    echo "fail the playback failed (status $?): $how" >"$base.result"; return
  fi
  if [ -s "$base.err" ]; then
    echo "fail the playback reported on stderr: $how" >"$base.result"; return
  fi
  grep -E '^[0-9]+ [0-9a-f]{16}$' "$base.out" >"$base.play" || true
  # The recorded attempt began at frame k+1: a start reads the clock for its seed, and the clock
  # stands at the seed plus 16 ms a frame; the first frame's state shows the seed (the generator
  # is not drawn from before play). Where the recorded run's first frame shows some other
  # state, the stage's start draws from it: then k is the smallest frame from which the
  # playback repeats the run.
  local first k=-1
  first=$(grep -m 1 '^random=' "$base.out" | cut -d= -f2)
  if [ -n "$runFirst" ] && [ -n "$first" ] && [ $((16#$runFirst)) -eq "$seed" ]; then
    k=$(((16#$first - seed) / 16))
    if [ $(((16#$first - seed) % 16)) -ne 0 ] || [ "$k" -lt 0 ] || [ "$k" -ge "$frames" ]; then
      echo "fail the replay's seed $first is not that of a start of the recorded run: $how" >"$base.result"; return
    fi
  fi
  # Every digest of the recorded run from frame k+1 to the last must be the playback's from its
  # frame d+1 on. d is 0, or the replay banner's frames where the stage shows no stage number:
  # the playback shows it before the recorded run's start display, and runs longer than the
  # recorded run to cover it.
  local match
  match=$(awk -v frames="$frames" -v banner="$banner" -v known="$k" '
    NR == FNR { a[$1] = $2; at[$2] = at[$2] " " $1; next }
    { b[$1] = $2 }
    END {
      best = -1
      for (d = 0; d <= banner; d += banner) {
        n = known >= 0 ? split(known + 1, starts, " ") : split(at[b[d + 1]], starts, " ")
        for (s = 1; s <= n; ++s) {
          k = starts[s] - 1
          if (best >= 0 && k >= best) break
          i = 1
          while (k + i <= frames && a[k + i] == b[d + i]) ++i
          if (k + i > frames) { best = k; shift = d; break }
        }
      }
      if (best < 0) print "none"
      else print frames - best, best + 1, shift
    }' "$base.run" "$base.play")
  if [ "$match" = none ]; then
    echo "fail the playback does not repeat the recorded run: $how" >"$base.result"; return
  fi
  local found="the replay's seed"
  [ "$k" -ge 0 ] || found="search"
  echo "ok $match $found" >"$base.result"
}

start=$(date +%s)
running=0
for n in "${!runs[@]}"; do
  IFS=$'\t' read -r project stage <<<"${runs[$n]}"
  soak_one "$n" "$project" "$stage" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
verified=0
compared=0
for n in "${!runs[@]}"; do
  IFS=$'\t' read -r project stage <<<"${runs[$n]}"
  result=$(cat "$work/$n.result" 2>/dev/null || echo "fail no result")
  where="${project##*/}: $stage"
  if [ "${result%% *}" = ok ]; then
    read -r _ count first shift found <<<"$result"
    verified=$((verified + 1))
    compared=$((compared + count))
    echo "$where: $frames frames; the playback repeats frames $first..$frames (after $shift frames of start display; attempt's start by $found)"
  else
    failed=1
    echo "$where: FAILED: ${result#fail }"
    head -n 40 "$work/$n.err" 2>/dev/null || true
  fi
done
echo "soak: $((frames * ${#runs[@]})) frames played, ${#runs[@]} stages, $verified replays verified" \
  "($compared frames compared), $(($(date +%s) - start)) s"
exit "$failed"
