#!/usr/bin/env bash
# Speed and memory budgets, each printed beside its reference and target.
#   bench/budgets.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
game=$build/game
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

row() { printf '%-44s %14s %22s %10s  %s\n' "$@"; }
row "budget" "measured" "reference" "target" "verdict"

# 1 and 2: the frame and the headless play run, from Google Benchmark.
"$build/bench/frame_bench" --benchmark_format=csv 2>/dev/null >"$work/bench.csv"
median() { grep "^\"$1.*_median\"" "$work/bench.csv" | cut -d, -f4; }  # cpu_time
frame=$(median FullFrame)
copy=$(median TwoScreenCopy)
ticks=$(median TenThousandPlayTicks)
ratio=$(echo "scale=2; $frame / $copy" | bc)
row "play frame composed (median, us)" "$(printf %.1f "$frame")" "2-screen memcpy $(printf %.1f "$copy")" "8x" \
  "$ratio x: $( (($(echo "$ratio < 8" | bc))) && echo met || echo MISSED)"
secs=$(echo "scale=3; $ticks / 1000" | bc)
row "10,000 play ticks, composed, headless (s)" "$secs" "-" "3 s" \
  "$( (($(echo "$secs < 3" | bc))) && echo met || echo MISSED)"

# 3 to 5: the real game under Xvfb with a window manager.
display=":$((200 + RANDOM % 600))"
Xvfb "$display" -screen 0 1280x960x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
HOME=$work openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
dir=$work/game
mkdir -p "$dir"
cp "$game/sevenwell" "$dir/"
ln -s "$game/pic" "$dir/pic"
ln -s "$game/sound" "$dir/sound"
printf '000000000\r\n000000000\r\n' >"$dir/score.ini"

start_ns=$(date +%s%N)
(cd "$dir" && SDL_AUDIODRIVER=dummy LD_PRELOAD="$build/bench/libfirst_frame_shim.so" exec ./sevenwell 2>"$work/stderr") &
pid=$!
pids+=("$pid")
cpu() {  # percent of one core used by the game over $1 seconds
  local t0 t1
  t0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep "$1"
  t1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  echo "scale=1; ($t1 - $t0) * 100 / ($(getconf CLK_TCK) * $1)" | bc
}
sleep 3.5
title=$(cpu 5)
w=$(xdotool search --name '^Seven Well$' | head -1 || true)
xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
xdotool key Return
sleep 2
# Play: steer now and then, as a player would.
(for _ in $(seq 12); do xdotool key Left; sleep 0.4; xdotool key Up; sleep 0.4; done) &
play=$(cpu 8)
wait $! 2>/dev/null || true
rss=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
first_ns=$(awk '/first-present-ns/ {print $2; exit}' "$work/stderr")
first_ms=$(( (first_ns - start_ns) / 1000000 ))

verdict() { (($(echo "$1 < $2" | bc))) && echo met || echo MISSED; }
row "CPU on the title (% of one core)" "$title" "-" "5 %" "$(verdict "$title" 5)"
row "CPU while playing (% of one core)" "$play" "-" "5 %" "$(verdict "$play" 5)"
row "peak resident memory while playing (MB)" "$((rss / 1024))" "-" "80 MB" "$(verdict $((rss / 1024)) 80)"
row "start to first presented frame (ms)" "$first_ms" "-" "300 ms" "$(verdict "$first_ms" 300)"
if [ -e /dev/dri ] || [ -e /dev/nvidia0 ]; then path="a graphics device: SDL's renderer"; else path="no graphics device: the window surface"; fi
echo "(Xvfb 1280x960 with openbox; $(nproc) cores; $path)"
