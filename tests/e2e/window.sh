#!/usr/bin/env bash
# The real game's window under Xvfb 1920x1080 with a window manager: the
# pace of its flips (read from a frame log written by bench/frame_shim.c),
# and a resizable window that always shows crisp pixels.
#
#   window.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
game=$build/game
shim=$build/bench/libframe_shim.so
source "$(dirname "$0")/xserver.sh" 1920x1080
[ -f "$shim" ] || fail "no $shim: build the frame_shim target"

dir=$work/game
mkdir -p "$dir"
cp "$game/sevenwell" "$dir/"
ln -s "$game/pic" "$dir/pic"
ln -s "$game/sound" "$dir/sound"
printf '000000000\r\n000000000\r\n' >"$dir/score.ini"
"$build/tools/replay" --dir "$dir/" >/dev/null <<EOF2
tick 202
png $work/title.png
EOF2

start() {  # the game with its frame log in $work/$1
  (cd "$dir" && SDL_AUDIODRIVER=dummy SW_FRAME_LOG="$work/$1" SW_FRAME_HASH=1 LD_PRELOAD="$shim" \
    exec ./sevenwell 2>"$work/stderr") &
  game_pid=$!
  pids+=("$game_pid")
  for _ in $(seq 100); do
    win=$(xdotool search --name '^Seven Well$' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "no window titled Seven Well"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
}
stop() {
  kill "$game_pid" 2>/dev/null || true
  wait "$game_pid" 2>/dev/null || true
}
key() {
  xdotool key --clearmodifiers "$1"
  sleep "${2:-0.3}"
}
# Flips: each present that follows a drawn tick, as "time rects hash".
flips() { awk '$1 == "draw" {d = 1} $1 == "present" && d {print $2, $3, $4; d = 0}' "$work/$1"; }

# --- 1. The logo's 201 ticks at the display's pace, every flip presented.
start logo
sleep 4.5
log=$work/logo
[ "$(flips logo | wc -l)" -ge 203 ] || fail "only $(flips logo | wc -l) flips in 4.5 s"
# Flip 1 is start-up's white frame, 2 to 202 the logo, 203 the title.
t2=$(flips logo | sed -n 2p | cut -d' ' -f1)
t203=$(flips logo | sed -n 203p | cut -d' ' -f1)
ms=$(((t203 - t2) / 1000000))
[ "$ms" -ge 3200 ] || fail "the logo lasted $ms ms, less than 3.2 s"
[ "$(flips logo | sed -n 203p | cut -d' ' -f2)" -gt 0 ] || fail "the title frame was not sent"
# From the first present on, each drawn tick is followed by its present
# before the next tick draws.
lost=$(awk '$1 == "present" {p = 1; d = 0} $1 == "draw" && p {if (d) n++; if (++k > 204) exit; d = 1}
  END {print n + 0}' "$log")
[ "$lost" = 0 ] || fail "$lost drawn frames never reached the screen"
echo "ok: the logo's 201 ticks lasted $ms ms, every one of its frames presented"

# --- 2. Out of fullscreen: a window of 2 x 640 x 480 (3x does not fit in
# 1080 rows with a frame), freely resized, never below 640 x 480, always
# whole-number pixels, letterboxed.
geometry() { xwininfo -id "$win" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }
crisp() {  # window size, then picture box: x y w h scale
  local name=$1 x=$2 y=$3 w=$4 h=$5 k=$6 got=""
  for _ in $(seq 20); do
    got=$(geometry)
    [ "$got" = "$name" ] && break
    sleep 0.1
  done
  [ "$got" = "$name" ] || fail "the window is $got, not $name"
  sleep 0.5
  import -window "$win" "$work/$name.png"
  convert "$work/$name.png" -crop "${w}x${h}+${x}+${y}" +repage "$work/$name-pic.png"
  convert "$work/$name-pic.png" -sample "$((100 / k))%" "$work/$name-640.png"
  # Every picture pixel a whole k x k square of one colour...
  convert "$work/$name-640.png" -sample "$((k * 100))%" "$work/$name-back.png"
  n=$(compare -metric AE "$work/$name-pic.png" "$work/$name-back.png" null: 2>&1 || true)
  [ "$n" = 0 ] || fail "$name: $n pixels are not whole ${k}x$k squares"
  # ...showing the frame, with black bars around it.
  n=$(compare -metric AE -fuzz 3% "$work/$name-640.png" "$work/title.png" null: 2>&1 || true)
  [ "$n" -le 50 ] 2>/dev/null || fail "$name: $n pixels differ from the frame"
  if [ "$x" -gt 0 ]; then
    bar=$(convert "$work/$name.png" -crop "${x}x${h}+0+${y}" -format '%[fx:maxima]' info:)
    [ "$bar" = 0 ] || fail "$name: the bar left of the picture is not black"
  fi
  echo "ok: window $name shows the frame ${k}x at ($x, $y), crisp"
}
key alt+Return 1
crisp 1280x960 0 0 1280 960 2
xdotool windowsize "$win" 1500 1000
crisp 1500x1000 110 20 1280 960 2
xdotool windowsize "$win" 1000 700
crisp 1000x700 180 110 640 480 1
xdotool windowsize "$win" 500 400
sleep 0.5
crisp 640x480 0 0 640 480 1
stop

# --- 3. Every blink frame reaches the screen: in play, the 21 frames of a
# removal alternate between the marked and the plain look, so their
# presents send the same rectangles with two contents in turn.
start play
sleep 4.5
key Return 3
best=0
for _ in $(seq 200); do
  case $((RANDOM % 3)) in 0) key Left 0.05 ;; 1) key Right 0.05 ;; esac
  key Down 0.25
  # The longest run of flips each showing what the flip before last showed.
  best=$(flips play | awk '{if ($2 > 0 && $3 == h2 && $3 != h1) run++; else run = 0;
    if (run > best) best = run; h2 = h1; h1 = $3} END {print best + 0}')
  [ "$best" -ge 18 ] && break
  # After a game over the title comes back: start the next game.
  if [ $((RANDOM % 8)) = 0 ]; then key Return 0.1; fi
done
[ "$best" -ge 18 ] || fail "no removal blinked with all its frames shown (longest run $best)"
echo "ok: a removal's blink frames all reached the screen ($best alternating presents in a row)"
stop

echo "window: 3 passed, 0 failed"
