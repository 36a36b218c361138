#!/usr/bin/env bash
# End to end: the real game in a real window under Xvfb with a small window
# manager, keys sent with xdotool, screenshots compared with frames the
# replay tool renders for the same state (the picture is scaled 2x with
# nearest-neighbour pixels, so halving a screenshot gives the frame back).
#
#   e2e.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
game=$build/game
replay=$build/tools/replay
source "$(dirname "$0")/xserver.sh" 1280x960

# A private copy of the game: its own binary (the program folder is the
# binary's) with its own score.ini, sharing the built pictures and sounds.
setup() {
  local dir=$work/$1
  mkdir -p "$dir"
  cp "$game/sevenwell" "$dir/"
  ln -s "$game/pic" "$dir/pic"
  ln -s "$game/sound" "$dir/sound"
  ln -s "$game/icon.bmp" "$dir/icon.bmp"
  printf "$2" >"$dir/score.ini"
  echo "$dir"
}

# Starts the game in its folder; $game_pid is the game itself.
start() {
  local dir=$1
  (cd "$dir" && SDL_AUDIODRIVER=dummy exec ./sevenwell 2>"$dir/stderr") &
  game_pid=$!
  pids+=("$game_pid")
}

game_window() { xdotool search --name '^Seven Well$' 2>/dev/null | head -1 || true; }

focus() {
  local w=""
  for _ in $(seq 100); do
    w=$(game_window)
    [ -n "$w" ] && break
    sleep 0.1
  done
  [ -n "$w" ] || fail "no game window"
  xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
  xdotool windowfocus --sync "$w" >/dev/null 2>&1 || true
}

key() {
  xdotool key --clearmodifiers "$1"
  sleep "${2:-0.3}"
}

shot() {
  import -window root "$work/$1.png"
  convert "$work/$1.png" -sample 50% "$work/$1-640.png"
}

# Pixels that differ between a screenshot and an expected frame.
differ() {
  compare -metric AE -fuzz 3% "$work/$1-640.png" "$2" null: 2>&1 || true
}

# Waits until the screen shows the expected frame.
wait_for() {
  local expected=$1 name=$2 n=""
  for _ in $(seq "${3:-40}"); do
    shot "$name"
    n=$(differ "$name" "$expected")
    [ "$n" -le 200 ] 2>/dev/null && return 0
    sleep 0.25
  done
  fail "$name: the screen never matched $(basename "$expected") ($n pixels differ)"
}

# Waits for the game to end and leaves its exit status in $status. It runs
# in this shell, not in a $(...): only the shell that started the game can
# collect its status.
wait_exit() {
  for _ in $(seq 100); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
      status=0
      wait "$game_pid" || status=$?
      return 0
    fi
    sleep 0.1
  done
  fail "the game did not end"
}

# --- 1. A refused score.ini: the message as glyphs in a box whose caption
# names the file, no game window; SIGTERM ends the program and its box.
dir=$(setup refused '000004560\r\n000000071\r\n')
start "$dir"
box=""
for _ in $(seq 50); do
  box=$(xwininfo -root -tree | grep "\"Seven Well: $dir/score.ini\"" | head -1 || true)
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || fail "no message box naming $dir/score.ini: $(xwininfo -root -tree | grep Seven || true)"
case "$box" in *1280x960*) fail "a game window opened: $box" ;; esac
grep -q 'score.iniのファイルが不正です。' "$dir/stderr" || fail "the message is not on stderr"
sleep 0.3
import -window "$(awk '{print $1}' <<<"$box")" "$work/box.png"
n=$(compare -metric AE -fuzz 10% "$work/box.png" "$here/refusal_box.png" null: 2>&1 || true)
[ "$n" -le 100 ] 2>/dev/null || fail "the box does not show the message as glyphs ($n pixels differ, see $work/box.png)"
box_pid=$(pgrep -P "$game_pid" || true)
kill -TERM "$game_pid"
status=0
wait "$game_pid" || status=$?
[ "$status" = 143 ] || fail "SIGTERM during the box should end the game by that signal, not with $status"
sleep 0.2
for p in $box_pid; do
  case "$(ps -o stat= -p "$p" || true)" in "" | Z*) ;; *) fail "the box process $p outlived the game" ;; esac
done
status=0
(cd "$dir" && env -u DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./sevenwell 2>"$dir/stderr") || status=$?
[ "$status" = 1 ] || fail "a refused score file should end with status 1, not $status"
grep -q 'score.iniのファイルが不正です。' "$dir/stderr" || fail "the message is not on stderr"
[ "$(cat "$dir/score.ini")" = "$(printf '000004560\r\n000000071\r\n')" ] || fail "score.ini changed"
echo "ok: a refused score.ini shows its message, ends before any window and on SIGTERM"

# Without a display the game does not run unseen: it says so and ends.
status=0
(cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 10 ./sevenwell 2>"$dir/stderr") || status=$?
[ "$status" = 2 ] || fail "with no display the game should end with status 2, not $status"
grep -q 'needs a display' "$dir/stderr" || fail "no word of the missing display: $(cat "$dir/stderr")"
echo "ok: with no display the game ends at once and says why"

# --- 2. Title cursor and the options screen with prepared records.
dir=$(setup records '000004560\r\n000000070\r\n')
"$replay" --dir "$dir/" >/dev/null <<EOF
tick 202
png $work/want-title0.png
key down
tick 1
png $work/want-title1.png
key enter
tick 1
png $work/want-options.png
EOF
start "$dir"
focus
wait_for "$work/want-title0.png" title-start
key Down
wait_for "$work/want-title1.png" title-moved 8
key Return
wait_for "$work/want-options.png" options 8
echo "ok: the title cursor moves; the options show best score 00000456 and chain 007"
key Escape 0.1
wait_exit
[ "$status" = 0 ] || fail "Escape should end the game with status 0, not $status"
[ "$(cat "$dir/score.ini")" = "$(printf '000004560\r\n000000070\r\n')" ] || fail "score.ini changed"
echo "ok: Escape ends the game and leaves score.ini alone"

# --- 3. The hold: while the window is minimised, and while another window
# has the focus, the clock and the pair stand still.
# Frames of the clock's seconds 0 to 9, to read the clock off the screen.
for n in 0 1 2 3 4 5 6 7 8 9; do
  printf 'set SngTime %s\ntick 1\npng %s/clock%s.png\n' "$n" "$work" "$n"
done | cat <(printf 'tick 201\nkey enter\ntick 141\n') - | "$replay" >/dev/null
for n in 0 1 2 3 4 5 6 7 8 9; do convert "$work/clock$n.png" -crop 38x33+154+175 "$work/clock$n.png"; done
clock() {
  convert "$work/$1-640.png" -crop 38x33+154+175 "$work/$1-clock.png"
  for n in 0 1 2 3 4 5 6 7 8 9; do
    local d
    d=$(compare -metric AE -fuzz 3% "$work/$1-clock.png" "$work/clock$n.png" null: 2>&1 || true)
    [ "$d" -le 20 ] 2>/dev/null && echo "$n" && return 0
  done
  echo none
}
# Pixels the pair has moved between two screenshots: the height of what
# changed in its two columns, less the height of a block.
moved() {
  local h
  h=$(convert "$work/$1-640.png" "$work/$2-640.png" -compose difference -composite \
    -crop 64x416+304+32 +repage -colorspace gray -threshold 8% -format '%@' info: 2>/dev/null)
  h=${h#*x}
  h=${h%%+*}
  echo $((h > 32 ? h - 32 : 0))
}
# Screenshots until the game is back on screen (a window mapped again is
# black until it repaints); cheap ones, so little play passes unseen.
shot_back() {
  for _ in $(seq 100); do
    import -window root "$work/$1.png"
    [ "$(convert "$work/$1.png" -crop 76x66+308+350 -format '%[fx:mean>0.05]' info:)" = 1 ] && break
  done
  convert "$work/$1.png" -sample 50% "$work/$1-640.png"
}
# Away for 3 s, the game may have played only in the moments it was seen:
# from the first screenshot to the hold, and from the return to the
# second. At most 100 ticks a second, a pixel a tick at level 1, so the
# pair falls no further than that allows (plus a row), and the clock
# gains no more seconds. Without the hold the 3 s away would show.
now() { date +%s.%N; }
away_check() {
  local c1 c2 d seen
  c1=$(clock "$1-before")
  c2=$(clock "$1-after")
  d=$(moved "$1-before" "$1-after")
  seen=$(awk -v a="$t0" -v b="$t1" -v c="$t2" -v e="$t3" 'BEGIN { print b - a + e - c }')
  [ "$c1" != none ] || fail "$2: no clock on the screen before"
  awk -v s="$seen" -v d="$d" -v c="$((c2 - c1))" 'BEGIN { exit !(d <= 100 * s + 32 && c <= int(s) + 1) }' ||
    fail "$2: the clock went from $c1 to $c2 s and the pair fell $d pixels in ${seen}s of play seen"
  echo "ok: $2 for 3 s: clock $c1 -> $c2 s, pair moved $d pixels (${seen}s of play seen)"
}
dir=$(setup hold '000000000\r\n000000000\r\n')
start "$dir"
focus
w=$(game_window)
wait_for "$work/want-title0.png" hold-title
key Return 3.5
t0=$(now)
shot min-before
xdotool windowminimize --sync "$w"
t1=$(now)
sleep 3
t2=$(now)
xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
shot_back min-after
t3=$(now)
away_check min "minimised"
key r 3.5
xmessage -geometry 200x100+0+0 elsewhere &
xm=$!
pids+=("$xm")
other=""
for _ in $(seq 50); do
  other=$(xdotool search --name '^xmessage$' 2>/dev/null | head -1 || true)
  [ -n "$other" ] && break
  sleep 0.05
done
[ -n "$other" ] || fail "no other window to give the focus to"
t0=$(now)
shot unfocused-before
xdotool windowactivate --sync "$other" >/dev/null 2>&1 || xdotool windowfocus --sync "$other"
t1=$(now)
sleep 3
t2=$(now)
xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
xdotool windowfocus --sync "$w" >/dev/null 2>&1 || true
shot_back unfocused-after
t3=$(now)
away_check unfocused "without the focus"
kill "$xm"
key Escape 0.1
wait_exit
[ "$status" = 0 ] || fail "status $status after Escape"

# --- 4. Installed under a prefix, the launcher starts the game; a game
# ended by hard drops writes a valid score.ini in the program folder, and
# uninstalling leaves only that file.
prefix=$work/prefix
"$here/../../scripts/install.sh" install "$prefix" "$build" >/dev/null
dir=$prefix/share/sevenwell
touch -d '2000-01-01' "$dir/score.ini"
(cd / && SDL_AUDIODRIVER=dummy exec "$prefix/bin/sevenwell" 2>"$work/installed.stderr") &
game_pid=$!
pids+=("$game_pid")
focus
wait_for "$work/want-title0.png" play-title
key Return 2.2
saved=""
for _ in $(seq 120); do
  key Down 0.35
  if [ "$(stat -c %Y "$dir/score.ini")" != "$(date -d 2000-01-01 +%s)" ]; then
    saved=yes
    break
  fi
done
[ -n "$saved" ] || fail "no game over after 120 hard drops"
grep -qP '^[0-9]{8}0\r$' <(sed -n 1p "$dir/score.ini") || fail "line 1 of score.ini: $(sed -n 1p "$dir/score.ini" | od -c)"
grep -qP '^[0-9]{8}0\r$' <(sed -n 2p "$dir/score.ini") || fail "line 2 of score.ini"
[ "$(wc -l <"$dir/score.ini")" = 2 ] || fail "score.ini has more than two lines"
[ "$(wc -c <"$dir/score.ini")" = 22 ] || fail "score.ini is not 22 bytes"
echo "ok: the installed game wrote score.ini at game over: $(tr -d '\r' <"$dir/score.ini" | tr '\n' ' ')"
# After the game-over scene the title is back, cursor on the first item.
wait_for "$work/want-title0.png" back-to-title 40
key Escape 0.1
wait_exit
[ "$status" = 0 ] || fail "status $status after Escape"
"$here/../../scripts/install.sh" uninstall "$prefix" >/dev/null
left=$(cd "$prefix" && find . -type f)
[ "$left" = ./share/sevenwell/score.ini ] || fail "uninstall left: $left"
echo "ok: back to the title after game over; uninstalled, the records stay"

echo "e2e: 7 passed, 0 failed"
