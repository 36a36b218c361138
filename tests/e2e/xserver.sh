# Shared by the real-window tests: a scratch folder, fail(), and a private
# Xvfb of the given size with openbox, all cleaned up on exit.
#   source xserver.sh WIDTHxHEIGHT
work=$(mktemp -d)
display=":$((200 + RANDOM % 600))"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
HOME=$work openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
