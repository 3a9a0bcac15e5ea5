#!/bin/sh
# Screenshots of the player under a virtual X display: the player's window on the test project,
# the start dialog, the name dialog and the open and save file dialogs, driven with xdotool.
#   tools/screenshots.sh [BUILD_DIR] [OUT_DIR]   (defaults: build/test, build/screenshots)
# Needs Xvfb, xdotool, xwd and python3 (apt-get install xvfb xdotool x11-apps; x11-xserver-utils for
# the grey desktop), and the Japanese fonts of tools/setup_debian.sh for the dialogs' texts.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/test}
out=${2:-build/screenshots}
player=$build/src/app/tessellwhirl
writer=$build/tests/app/write_test_project
request=$build/tests/app/show_request
for f in "$player" "$writer" "$request"; do
  [ -x "$f" ] || { echo "screenshots: $f is missing; build first" >&2; exit 1; }
done
player=$(realpath "$player"); writer=$(realpath "$writer"); request=$(realpath "$request")
mkdir -p "$out"
out=$(realpath "$out")
work=$(mktemp -d)
display=:${SCREEN_DISPLAY:-97}

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pids=""
cleanup() {
  for p in $pids; do kill -KILL "$p" 2>/dev/null || true; done
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display SDL_AUDIODRIVER=dummy
# The X libraries' own allocations kept to the end are not the program's leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
unset SDL_VIDEODRIVER
# Until the display answers.
n=0
until xwininfo -root >/dev/null 2>&1; do
  n=$((n + 1)); [ $n -lt 100 ] || { echo "screenshots: Xvfb did not start on $display" >&2; exit 1; }
  sleep 0.1
done
# A grey desktop, so that the player's black window stands out.
command -v xsetroot >/dev/null && xsetroot -solid '#808080'

# The screen as a PNG: xwd's dump of a 24-bit display (24 or 32 bits a pixel) turned into RGB rows.
shot() {
  xwd -root -silent | python3 -c '
import struct, sys, zlib
d = sys.stdin.buffer.read()
h = struct.unpack(">25I", d[:100])
size, w, ht, order, bpp, stride, ncolors = h[0], h[4], h[5], h[7], h[11], h[12], h[19]
if bpp not in (24, 32): sys.exit("screenshots: %d bits a pixel not handled" % bpp)
n = bpp // 8
px = d[size + 12 * ncolors:]
rows = bytearray()
for y in range(ht):
    rows.append(0)
    line = px[y * stride:y * stride + n * w]
    for x in range(0, n * w, n):
        v = int.from_bytes(line[x:x + n], "little" if order == 0 else "big")
        rows += bytes(((v >> 16) & 255, (v >> 8) & 255, v & 255))
def chunk(t, b): return struct.pack(">I", len(b)) + t + b + struct.pack(">I", zlib.crc32(t + b))
sys.stdout.buffer.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, ht, 8, 2, 0, 0, 0))
                       + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b""))
' > "$out/$1.png"
  echo "$out/$1.png"
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
