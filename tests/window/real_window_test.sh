#!/usr/bin/env bash
# The real program in a real window: Xvfb at 1024 x 768, F12 saves a screenshot of the whole screen,
# closing the window ends the program with exit code 0.
# usage: real_window_test.sh <velmora binary> <close_window binary>
set -u
velmora=$1
close_window=$2
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

. "$(dirname "$0")/x_session.sh"

start_xvfb
start_velmora
geometry=$(xdotool getwindowgeometry "$window" | grep Geometry | awk '{print $2}')
[ "$geometry" = "1024x768" ] || { echo "FAIL: window is $geometry, not the screen's 1024x768"; exit 1; }

# F12, pressed again every 2 s should a press come before the program reads its input, until the
# first screenshot is written whole.
xdotool mousemove 300 300
for try in $(seq 150); do
  [ $((try % 20)) = 1 ] && xdotool key F12
  [ "$(stat -c %s Screenshot_0.tga 2>/dev/null)" = $((18 + 3 * 1024 * 768)) ] && break
  sleep 0.1
done
size=$(stat -c %s Screenshot_0.tga 2>/dev/null || echo 0)
[ "$size" = $((18 + 3 * 1024 * 768)) ] || { echo "FAIL: Screenshot_0.tga is $size bytes"; exit 1; }
header=$(od -An -tu1 -N18 Screenshot_0.tga | tr -s ' ' | sed 's/^ //; s/ $//' | tr '\n' ' ' | sed 's/ $//')
[ "$header" = "0 0 2 0 0 0 0 0 0 0 0 0 0 4 0 3 24 0" ] || { echo "FAIL: header $header"; exit 1; }

"$close_window" "$window"
for _ in $(seq 50); do kill -0 "$velmora_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$velmora_pid" 2>/dev/null; then echo "FAIL: still running 5 s after the window was closed"; exit 1; fi
wait "$velmora_pid"
code=$?
velmora_pid=
[ "$code" = 0 ] || { echo "FAIL: exit code $code"; cat "$work/velmora.log"; exit 1; }
echo "PASS: window 1024x768, screenshot $size bytes, closed with exit code 0"
