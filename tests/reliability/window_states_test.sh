#!/usr/bin/env bash
# The real program in a real window under Xvfb at 1024 x 768 (the screen's size; F12's screenshot has
# the TGA header of the whole screen), minimised, restored and squashed: it keeps running,
# saves whole screenshots in every state, draws the menu whole again at full size and closes with exit
# code 0. No window manager runs here, so after asking for the minimise the window is unmapped and
# mapped again as a window manager would; X refuses a height of 0, so 1 pixel is the flattest window.
# usage: window_states_test.sh <velmora binary> <close_window binary>
set -u
velmora=$1
close_window=$2
for tool in Xvfb xdotool od awk; do
  command -v $tool >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

. "$(dirname "$0")/../window/x_session.sh"
fail() { echo "FAIL: $*"; echo "--- program output:"; cat "$work/velmora.log"; exit 1; }
alive() { kill -0 "$velmora_pid" 2>/dev/null || fail "the program ended $1"; }
whole=$((18 + 3 * 1024 * 768))

# Saves a screenshot with F12 and waits until it is written whole (pressing again every 2 s, should a
# press come before the program reads its input); its name is left in $last.
shot=0
last=
screenshot() {
  local name="Screenshot_$shot.tga"
  for try in $(seq 150); do
    [ $((try % 20)) = 1 ] && { xdotool windowfocus "$window" 2>/dev/null; xdotool key F12; }
    [ "$(stat -c %s "$name" 2>/dev/null || echo 0)" = "$whole" ] && break
    sleep 0.1
  done
  [ "$(stat -c %s "$name" 2>/dev/null || echo 0)" = "$whole" ] || fail "$name is not a whole screenshot $1"
  shot=$(ls Screenshot_*.tga | wc -l)
  last=$name
}
# The pixels of a 1024-wide screenshot that are not white, and the number of rows they lie on.
marked() {
  od -An -v -tu1 -j18 "$1" |
    awk '{ for (i = 1; i <= NF; i++) { b[n % 3] = $i; n++
             if (n % 3 == 0 && !(b[0] == 255 && b[1] == 255 && b[2] == 255)) { c++; rows[int((n / 3 - 1) / 1024)] = 1 } } }
         END { r = 0; for (k in rows) r++; print c + 0, r }'
}

start_xvfb
start_velmora
geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ { print $2 }')
[ "$geometry" = "1024x768" ] || fail "the window is $geometry, not the screen's 1024x768"
screenshot "at the start"
header=$(od -An -tu1 -N18 Screenshot_0.tga | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
[ "$header" = "0 0 2 0 0 0 0 0 0 0 0 0 0 4 0 3 24 0" ] || fail "screenshot header $header"

# Minimised: input keeps arriving at a window nobody sees.
xdotool windowminimize "$window"
xdotool windowunmap --sync "$window"
xdotool mousemove 500 400 click 1 click 3 click 4 key a Escape
alive "while minimised"

# Restored: the screenshot is taken after the input above was read.
xdotool windowmap --sync "$window"
screenshot "after the restore"
alive "when restored"

# Squashed: X keeps a height of at least 1.
xdotool windowsize "$window" 1024 0 2>/dev/null
xdotool windowsize --sync "$window" 1024 1
geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ { print $2 }')
[ "$geometry" = "1024x1" ] || fail "the window is $geometry, not 1024x1"
alive "at height 1"
xdotool mousemove 10 0 click 1 mousemove 1000 0
screenshot "at height 1"
alive "after a screenshot at height 1"

# Full size again: once the menu shows, it is drawn whole: its dark lettering on white spans rows
# over much of the panel's height, not one squashed row.
xdotool windowsize --sync "$window" 1024 768
menu=
for _ in $(seq 40); do
  screenshot "at full size again"
  read -r count rows < <(marked "$last")
  if [ "$count" -gt 500 ] && [ "$count" -lt 100000 ] && [ "$rows" -gt 40 ]; then menu="$count pixels on $rows rows"; break; fi
  sleep 0.5
done
[ -n "$menu" ] || fail "no whole menu after the window came back to full size (last: $count pixels on $rows rows)"

"$close_window" "$window"
for _ in $(seq 50); do kill -0 "$velmora_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$velmora_pid" 2>/dev/null; then fail "still running 5 s after the window was closed"; fi
wait "$velmora_pid"
code=$?
velmora_pid=
[ "$code" = 0 ] || fail "exit code $code"
echo "PASS: minimised, restored, 1 pixel high and back; $shot whole screenshots; menu drawn with $menu; exit code 0"
