#!/usr/bin/env bash
# Every picture and sound the game loads, missing, empty, cut in half or of
# the wrong format, one at a time: the game must end with a run-time error
# that names the file, never crash or hang. Then the real program's report
# for a missing picture and a missing or refused score.ini.
#
#   damaged_files.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
game=$build/game
replay=$build/tools/replay
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A script that makes the game load every file at least once.
cat >"$work/tour.txt" <<'TOUR'
tick 202
key down
key enter
tick 1
key down 3
key right 4
tick 1
key up
key right 2
tick 1
key back
tick 1
key enter
tick 141
tick 5
TOUR

files=$(cd "$game" && ls pic/*.bmp sound/*.wav)
passed=0 failed=0
for f in $files; do
  for damage in missing empty half wrong; do
    dir=$work/g
    rm -rf "$dir"
    mkdir -p "$dir/pic" "$dir/sound"
    # Hard links for the sound files, which are large: the damaged one is
    # removed first and made anew, so the built one stays whole.
    cp -l "$game"/pic/* "$dir/pic/"
    cp -l "$game"/sound/* "$dir/sound/"
    printf '000000000\r\n000000000\r\n' >"$dir/score.ini"
    rm "$dir/$f"
    case $damage in
      missing) ;;
      empty) : >"$dir/$f" ;;
      half) head -c $(($(stat -c %s "$game/$f") / 2)) "$game/$f" >"$dir/$f" ;;
      wrong) # the other kind of file under this name
        if [[ $f == *.bmp ]]; then cp "$game/sound/select.wav" "$dir/$f"; else cp "$game/pic/white.bmp" "$dir/$f"; fi ;;
    esac
    status=0
    timeout 60 "$replay" --dir "$dir/" "$work/tour.txt" >"$work/out" 2>"$work/err" || status=$?
    if [ "$status" = 3 ] && grep -q "$dir/$f" "$work/err"; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "FAIL: $f $damage: status $status: $(cat "$work/err")"
    fi
  done
done

# The real program, without a display: the report names the file, status 2.
dir=$work/real
mkdir -p "$dir"
cp "$game/sevenwell" "$dir/"
mkdir "$dir/pic"
cp "$game"/pic/* "$dir/pic/"
ln -s "$game/sound" "$dir/sound"
run() {
  status=0
  (cd "$dir" && env -u DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 20 ./sevenwell) >/dev/null 2>"$work/err" || status=$?
}
check() {  # check NAME STATUS TEXT
  if [ "$status" = "$2" ] && grep -qF "$3" "$work/err"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $1: status $status: $(cat "$work/err")"
  fi
}
run
check "missing score.ini" 2 "$dir/score.ini"
grep -q '000000000' "$work/err" || { failed=$((failed + 1)); echo "FAIL: no hint for a fresh score.ini"; }
printf '000000000\r\n000000000\r\n' >"$dir/score.ini"
rm "$dir/pic/logo.bmp"
run
check "missing logo" 2 "$dir/pic/logo.bmp"
printf '000000000\r\n000000001\r\n' >"$dir/score.ini"
run
check "refused score.ini" 1 "score.iniのファイルが不正です。"
[ "$(cat "$dir/score.ini")" = "$(printf '000000000\r\n000000001\r\n')" ] || { failed=$((failed + 1)); echo "FAIL: score.ini changed"; }

echo "damaged files: $passed passed, $failed failed"
[ "$failed" = 0 ]
