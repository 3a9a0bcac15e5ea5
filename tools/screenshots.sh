#!/bin/sh
# Screenshots of the player under a virtual X display: the player's window on the test project,
# the start dialog, the name dialog and the open and save file dialogs, and the sample game's
# screens (title, world map with its walker and its ranking, save, stage select and its ranking,
# options, each stage in play, a sign's message window, the meadow played to its clear with the
# result window, and a replay of the boss fight through the boss's defeat to the clear), driven
# with xdotool.
#   tools/screenshots.sh [BUILD_DIR] [OUT_DIR]   (defaults: build/test, build/screenshots)
# Needs Xvfb and xdotool (tools/setup_debian.sh installs them; x11-xserver-utils for the grey
# desktop), the build's x_shot, play_headless and sample game, and the Japanese fonts for the
# dialogs' texts.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/test}
out=${2:-build/screenshots}
player=$build/src/app/tessellwhirl
writer=$build/tests/app/write_test_project
request=$build/tests/app/show_request
xshot=$build/tests/e2e/x_shot
headless=$build/tools/play_headless/play_headless
for f in "$player" "$writer" "$request" "$xshot" "$headless"; do
  [ -x "$f" ] || { echo "screenshots: $f is missing; build first" >&2; exit 1; }
done
[ -f "$build/sample_game/System.ini" ] || { echo "screenshots: $build/sample_game is missing; build first" >&2; exit 1; }
player=$(realpath "$player"); writer=$(realpath "$writer"); request=$(realpath "$request"); xshot=$(realpath "$xshot")
headless=$(realpath "$headless")
sample=$(realpath "$build/sample_game")
mkdir -p "$out"
out=$(realpath "$out")
work=$(mktemp -d)

pids=""
xvfb=""
cleanup() {
  for p in $pids; do kill -KILL "$p" 2>/dev/null || true; done
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The first free display number, as the server reports it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
n=0
until [ -s "$work/display" ]; do
  n=$((n + 1)); [ $n -lt 100 ] || { echo "screenshots: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
display=:$(head -n 1 "$work/display")
export DISPLAY=$display SDL_AUDIODRIVER=dummy
# The X libraries' own allocations kept to the end are not the program's leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
unset SDL_VIDEODRIVER
# A grey desktop, so that the player's black window stands out.
command -v xsetroot >/dev/null && xsetroot -solid '#808080'

# The screen (or the window given) as a PNG.
shot() {
  "$xshot" "$out/$1.png" ${2:-} && echo "$out/$1.png"
}
# The dialog over the request's main window (there is no window manager to stack them), focused
# for typed keys.
raise_dialog() {
  for w in $(xdotool search --name '.*' 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = show_request ] && continue
    xdotool windowraise "$w" windowfocus "$w" 2>/dev/null || true
  done
}

# The player on the test project, playing its stage.
"$writer" "$work/game"
sed -i 's/^ShowFps=.*/ShowFps=1/' "$work/game/System.ini"  # the frame rate in the second font
"$player" --project "$work/game" 'data\stg4\free.stg4' &
p=$!; pids="$pids $p"
sleep 5
shot player
kill -TERM "$p"; wait "$p" || true

# The start dialog: Direct3D=2 and no saved choice.
"$writer" "$work/ask"
sed -i 's/^Direct3D=.*/Direct3D=2/' "$work/ask/System.ini"
"$player" --project "$work/ask" &
p=$!; pids="$pids $p"
sleep 4
shot start_dialog
kill -KILL "$p"; wait "$p" 2>/dev/null || true

# The requests of the game side, each shown from another thread on a main window.
cd "$work/game"
for r in name stage replay save; do
  "$request" $r &
  p=$!; pids="$pids $p"
  sleep 3
  raise_dialog
  sleep 1
  if [ $r = name ]; then
    xdotool type --delay 100 "xyz"
    sleep 1
  fi
  shot "dialog_$r"
  if [ $r = name ]; then xdotool key Return; else xdotool key Escape; fi
  sleep 1
  kill -KILL "$p" 2>/dev/null || true
  wait "$p" 2>/dev/null || true
done

# The sample game's screens, each reached with the keys from the title menu. The game runs its
# frames only while its window has the focus.
cd "$work"
tap() {
  xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; sleep 0.3
}
start_sample() {
  rm -rf "$work/sample"
  cp -r "$sample" "$work/sample"
  "$player" --project "$work/sample" "$@" &
  p=$!; pids="$pids $p"
  w=""
  n=0
  while [ -z "$w" ] && [ $n -lt 300 ]; do
    w=$(xdotool search --onlyvisible --pid "$p" 2>/dev/null | head -n 1 || true)
    n=$((n + 1)); sleep 0.1
  done
  [ -n "$w" ] || { echo "screenshots: the player's window did not come" >&2; exit 1; }
  # Start-up may make its window again (the drawing back-end's fall-back): the one with the
  # game's title, once it runs.
  sleep 4
  w=$(xdotool search --onlyvisible --pid "$p" --name 'Star Sprout' 2>/dev/null | head -n 1 || true)
  xdotool windowfocus "$w"
  sleep 1
}
stop_sample() {
  kill -TERM "$p"; wait "$p" || true
}

start_sample
shot title "$w"
tap z; sleep 3
shot world_map "$w"
# The ranking of the stage the walker stands on (shown only on a stage), then hidden again.
tap c; sleep 1.5
shot world_map_ranking "$w"
tap c
# A step up the road: the walker turns its back.
xdotool keydown Up; sleep 0.3; xdotool keyup Up; sleep 0.5
shot world_map_walk "$w"
tap x; sleep 3
shot save "$w"
stop_sample

start_sample
tap Down; tap Down; tap z; sleep 4
shot stage_select "$w"
tap c; sleep 1.5
shot stage_select_ranking "$w"
stop_sample

start_sample
for k in 1 2 3 4 5; do tap Down; done
tap z; sleep 3
shot options "$w"
stop_sample

# A stage played at once from the command line; then the hero walks right, past the sign.
start_sample 'data\stg4\c01-1.stg4_000'
shot stage "$w"
sleep 2
shot stage_play "$w"
xdotool keydown Right; sleep 0.6
shot sign "$w"
sleep 0.4; xdotool keyup Right
shot stage_walk "$w"
stop_sample

# The meadow played through by keys: right held, X tapped every 0.17 s, Z held for half a second
# 5.45 s in (327 frames of play: the start banner went by while the window came up), and the
# end-of-play display with its result window after the clear.
start_sample 'data\stg4\c01-1.stg4_000'
t0=$(date +%s%3N)
xdotool keydown Right
jumped=0
while :; do
  t=$(( $(date +%s%3N) - t0 ))
  [ $t -lt 17000 ] || break
  if [ $jumped = 0 ] && [ $t -ge 5450 ]; then xdotool keydown z; jumped=$t; fi
  if [ $jumped -gt 0 ] && [ $t -ge $((jumped + 500)) ]; then xdotool keyup z; jumped=-1; fi
  xdotool keydown x; sleep 0.05; xdotool keyup x; sleep 0.12
done
xdotool keyup Right
sleep 2
shot stage_clear "$w"
stop_sample

# The other stages, once their start banners have gone.
for stage in 2 3 4; do
  start_sample "data\\stg4\\c0$stage-1.stg4_000"
  sleep 2
  shot "stage_$stage" "$w"
  stop_sample
done

# The boss fight of the scripted castle run, recorded by play_headless and played back from the
# title's replay entry: a picture every half second from the replay's start, through the boss's
# fall (its burst, its fireballs gone) to the clear, whose banner stays.
start_sample
frames=1000
{
  echo "1-286 right"
  f=170; while [ $f -le $frames ]; do echo "$f b2"; f=$((f + 12)); done
} >"$work/castle.txt"
mkdir -p "$work/sample/user_data/rpl4"
SDL_VIDEODRIVER=dummy "$headless" --project "$work/sample" --input "$work/castle.txt" --frames $frames \
  --record "$work/sample/user_data/rpl4/castle.rpl4_790" 'data\stg4\c04-1.stg4_000' >/dev/null
sleep 2  # the title's fade-in, before it takes keys
for k in 1 2 3 4; do tap Down; done
tap z
# The file dialog: the player's other window.
dialog=""
n=0
while [ -z "$dialog" ] && [ $n -lt 100 ]; do
  for d in $(xdotool search --onlyvisible --pid "$p" 2>/dev/null); do [ "$d" = "$w" ] || dialog=$d; done
  n=$((n + 1)); sleep 0.1
done
if [ -n "$dialog" ]; then
  xdotool windowraise "$dialog" windowfocus "$dialog" 2>/dev/null || true
  sleep 0.5
  tap Down; tap Return  # [..], castle.rpl4_790
else
  echo "screenshots: no replay dialog; the title missed a key" >&2
fi
xdotool windowfocus "$w"
for i in $(seq 10 29); do
  sleep 0.5
  shot "castle_replay_$i" "$w"
done
stop_sample
