#!/usr/bin/env bash
# The soak run (tests/screen/soak.cpp): fresh starts of the conversion program that press Options
# at once, each window opened and closed again and again, the viewer stepping through a folder;
# on a bare X display and under openbox side by side (an X server each), first at rest, then
# beside four busy loops. No process may die. SOAK_STARTS and SOAK_OPENS set the counts.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
soak=$root/build/tests/test_screen_soak
cmake --build "$root/build" --target test_screen_soak >/dev/null

logs=$(mktemp -d)
servers=()
busy=()
finish() {
  ((${#busy[@]})) && kill "${busy[@]}" 2>/dev/null
  ((${#servers[@]})) && kill "${servers[@]}" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$logs"
}
trap finish EXIT

# An X server of its own: Xvfb takes a free display and tells its number.
display() {
  local fifo=$logs/display.$1
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  servers+=($!)
  read -r "$2" <"$fifo"
}

# One round: the fresh starts and the rest, on each desktop, side by side (an X server each);
# their summaries, and their failures in full.
round() {
  local name=$1 pids=() logs_of=() desk part n log failed=0
  for desk in bare openbox; do
    for part in "*FreshStarts*/DESK" "*Windows*/DESK:*Viewer*/DESK"; do
      display "$name-$desk-${#pids[@]}" n
      log=$logs/$name-$desk-${#pids[@]}
      DISPLAY=:$n QT_QPA_PLATFORM=xcb "$soak" --gtest_filter="${part//DESK/$desk}" >"$log" 2>&1 &
      pids+=($!)
      logs_of+=("$log")
    done
  done
  for p in "${pids[@]}"; do wait "$p" || failed=1; done
  for log in "${logs_of[@]}"; do
    if grep -q '^\[  FAILED  \]' "$log"; then cat "$log"; fi
    grep -E '^\[(bare|openbox)\]' "$log" | sed "s/^/$name /"
  done
  return $failed
}

start=$SECONDS
status=0
round "at rest" || status=1
kill "${servers[@]}" 2>/dev/null
servers=()
for _ in 1 2 3 4; do (while :; do :; done) & busy+=($!); done
round "busy" || status=1
kill "${busy[@]}" "${servers[@]}" 2>/dev/null
busy=()
servers=()
echo "soak: $((SECONDS - start)) s"
exit $status
