#!/usr/bin/env bash
# Speed and memory budgets, each printed beside its reference and target.
#   bench/budgets.sh BUILD_DIR
# SW_SWEEP="1024x768 1920x1080 ..." measures play at those screen sizes
# instead; SW_GAME_BIN times another build of the game with the same script.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
game=$build/game
bin=${SW_GAME_BIN:-$game/sevenwell}
shim=$build/bench/libframe_shim.so
work=$(mktemp -d)
pids=()
firsts=()
stop() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  pids=()
}
trap 'stop; rm -rf "$work"' EXIT

row() { printf '%-44s %14s %22s %10s  %s\n' "$@"; }
verdict() { (($(echo "$1 < $2" | bc))) && echo met || echo MISSED; }

dir=$work/game
mkdir -p "$dir"
cp "$bin" "$dir/sevenwell"
ln -s "$game/pic" "$dir/pic"
ln -s "$game/sound" "$dir/sound"

# Lines of the frame log between two times (ns) starting with a word.
count() { awk -v w="$1" -v a="$2" -v b="$3" '$1 == w && $2 >= a && $2 < b' "$work/frames" | wc -l; }

# The real game under Xvfb at the size $1 with a window manager: sets
# title and play (% of a core), tps and pps (ticks and presents a second
# in play), rss (kB) and first_ms. $2 seconds of play.
measure() {
  # Xvfb picks a free display and writes its number once it takes clients.
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$work/display")
  HOME=$work openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
  printf '000000000\r\n000000000\r\n' >"$dir/score.ini"
  local start_ns
  start_ns=$(date +%s%N)
  (cd "$dir" && SDL_AUDIODRIVER=dummy SW_FRAME_LOG="$work/frames" LD_PRELOAD="$shim" \
    exec ./sevenwell 2>"$work/stderr") &
  pid=$!
  pids+=("$pid")
  sleep 4.5  # the logo: 201 ticks
  title=$(cpu 5)
  local w
  w=$(xdotool search --name '^Seven Well$' | head -1 || true)
  xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
  xdotool key Return
  sleep 3  # the ready sequence: 140 ticks
  # Play: steer now and then, as a player would.
  (for _ in $(seq "$(($2 * 10 / 8 + 1))"); do xdotool key Left; sleep 0.4; xdotool key Up; sleep 0.4; done) &
  local steer=$! t0 t1
  t0=$(date +%s%N)
  play=$(cpu "$2")
  t1=$(date +%s%N)
  kill "$steer" 2>/dev/null || true
  wait "$steer" 2>/dev/null || true
  tps=$(echo "scale=1; $(count draw "$t0" "$t1") * 1000000000 / ($t1 - $t0)" | bc)
  pps=$(echo "scale=1; $(count present "$t0" "$t1") * 1000000000 / ($t1 - $t0)" | bc)
  rss=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  local first_ns
  first_ns=$(awk '/first-present-ns/ {print $2; exit}' "$work/stderr")
  first_ms=$(((first_ns - start_ns) / 1000000))
  firsts+=("$first_ms")
  stop
}
cpu() {  # percent of one core used by the game over $1 seconds
  local t0 t1
  t0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep "$1"
  t1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  echo "scale=1; ($t1 - $t0) * 100 / ($(getconf CLK_TCK) * $1)" | bc
}
if [ -e /dev/dri ] || [ -e /dev/nvidia0 ]; then path="a graphics device: SDL's renderer"; else path="no graphics device: the window surface"; fi

if [ -n "${SW_SWEEP:-}" ]; then
  printf '%-10s %12s %12s %12s %12s\n' screen "title %" "play %" "ticks/s" "presents/s"
  for size in $SW_SWEEP; do
    measure "$size" "${SW_SECONDS:-20}"
    printf '%-10s %12s %12s %12s %12s\n' "$size" "$title" "$play" "$tps" "$pps"
  done
  echo "(Xvfb with openbox, ${SW_SECONDS:-20} s of play each; $(nproc) cores; $path)"
  exit 0
fi

row "budget" "measured" "reference" "target" "verdict"

# 1 and 2: the frame and the headless play run, from Google Benchmark; the
# present into windows of the common screen sizes beside the plain copy.
"$build/bench/frame_bench" --benchmark_format=csv 2>/dev/null >"$work/bench.csv"
median() { grep "^\"$1.*_median\"" "$work/bench.csv" | cut -d, -f4; }  # cpu_time
full=$(median FullFrame)
playf=$(median PlayFrame)
titlef=$(median TitleFrame)
copy=$(median TwoScreenCopy)
ticks=$(median TenThousandPlayTicks)
ratio() { echo "scale=3; $1 / $copy" | bc | sed 's/^\./0./'; }
# Only what changed since the frame before last is composed: a falling pair
# costs less than copying two screens, the still title next to nothing.
row "play frame composed (median, us)" "$(printf %.2f "$playf")" "2-screen memcpy $(printf %.1f "$copy")" "1.0x" \
  "$(ratio "$playf")x: $(verdict "$(ratio "$playf")" 1.0001)"
row "title frame composed (median, us)" "$(printf %.2f "$titlef")" "2-screen memcpy $(printf %.1f "$copy")" "0.2x" \
  "$(ratio "$titlef")x: $(verdict "$(ratio "$titlef")" 0.2001)"
row "full play frame, everything (median, us)" "$(printf %.1f "$full")" "2-screen memcpy $(printf %.1f "$copy")" "-" \
  "$(ratio "$full")x"
# A whole picture is presented at the first frame, a resize or an expose;
# in play only the changed bands are. A quarter of a 60 Hz refresh keeps a
# whole one from ever costing a frame.
for size in 1024x768 1280x720 1366x768 1600x900 1920x1080 2560x1440; do
  us=$(median "Present/${size/x/\/}")
  r=$(echo "scale=1; $us / $copy" | bc)
  row "whole picture presented at $size (us)" "$(printf %.1f "$us")" "2-screen memcpy x $r" "4167 us" \
    "$(verdict "$us" 4167)"
done
secs=$(echo "scale=3; $ticks / 1000" | bc)
row "10,000 play ticks, composed, headless (s)" "$secs" "-" "0.4 s" "$(verdict "$secs" 0.4001)"

# 3 on: the real game under Xvfb with a window manager.
measure 1280x960 8
row "CPU on the title (% of one core)" "$title" "-" "1.0 %" "$(verdict "$title" 1.0001)"
row "CPU while playing (% of one core)" "$play" "-" "1.5 %" "$(verdict "$play" 1.5001)"
row "ticks a second while playing" "$tps" "display refresh 60" "60" \
  "$( (($(echo "$tps >= 58" | bc))) && echo met || echo MISSED)"
# The tunes are streams: none is decoded whole into memory at start-up.
row "peak resident memory while playing (MB)" "$((rss / 1024))" "-" "36 MB" "$(verdict $((rss / 1024)) 36.001)"
for size in 1366x768 1600x900; do
  measure "$size" 20
  row "CPU while playing at $size, 20 s (%)" "$play" "-" "1.5 %" "$(verdict "$play" 1.5001)"
done
# Start-up, from the shell's fork to the first picture on screen: the
# median of the three starts above (the first one may find a cold cache).
start=$(printf '%s\n' "${firsts[@]}" | sort -n | sed -n 2p)
row "start to first presented frame, median (ms)" "$start" "${firsts[*]}" "60 ms" "$(verdict "$start" 60.001)"
echo "(Xvfb 1280x960, 1366x768 and 1600x900 with openbox; $(nproc) cores; $path)"
