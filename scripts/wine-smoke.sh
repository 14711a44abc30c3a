#!/usr/bin/env bash
# Smoke run of the Windows program under Wine and Xvfb (1024 x 768), in a throwaway Wine prefix,
# driven with xdotool as a visitor would:
#   - the window "Velmora" opens at the screen's size; the menu appears;
#   - each of the four seasons is entered from the menu; in each the reading pause is skipped with a
#     click, the left button is held and moved, the camera is dragged round with the right button, the
#     wheel is turned, an F12 screenshot is saved, and Escape leaves the scene;
#   - quick input during the fades: clicks while a scene fades out, the next season chosen while the
#     last one is still fading (its row clicked until the program takes it), a flood of pointer moves,
#     Escape and F12 during the closing; Escape on the menu ends the program with exit code 0;
#   - every wait is bounded: a screenshot that does not come, a state not reached or a program that does
#     not end fails the run (frames that stop while messages are still read show up here);
#   - the program keeps a journal of the input it was given, frame by frame (app/input_journal.h); the
#     Linux build replays it headless and draws the same screenshots, which must match the program's
#     within the tolerance stated in tests/wine/journal_replay.cc;
#   - then the Windows-only tests (velmora_win32_tests.exe) pass in the same Wine.
#
# usage: wine-smoke.sh [build-windows dir] [Linux build dir]
#   The Linux build dir must hold tests/velmora_journal_replay (built with the tests).
#   VELMORA_WINE_BITS=64 runs the 64-bit fallback even where 32-bit Wine can be had.
#   VELMORA_SMOKE_KEEP=<folder> keeps the screenshots, the journal and the logs there.
#
# Wine is installed as a user would (scripts/wine-install.sh): 32-bit Wine from Debian's i386
# architecture. Where that cannot be had but wine64 can, the same sources are built for 64-bit Windows
# (scripts/build-windows.sh --64) and run instead, and the run says so. With neither, the run prints
# "SKIPPED: <reason>" and exits 0 (no root, no answer from the package servers); every other problem
# prints "FAIL: <reason>" and exits 1.
# Under pipefail no output is piped into a command that may stop reading early (grep -q, head): it is
# read into a variable first (see scripts/wine-install.sh).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build-windows}")
linux_build=$(readlink -f "${2:-$root/build}")
width=1024
height=768
start_seconds=$SECONDS

say() { echo "wine-smoke: $*"; }
skip() {
  echo "SKIPPED: $*"
  exit 0
}
fail() {
  echo "FAIL: $*"
  [ -n "${work:-}" ] && keep
  exit 1
}
keep() {
  [ -n "${VELMORA_SMOKE_KEEP:-}" ] || return 0
  mkdir -p "$VELMORA_SMOKE_KEEP" && cp -r "$work/run" "$work/replay" "$work"/*.log "$VELMORA_SMOKE_KEEP"/ 2>/dev/null
}

replay=$linux_build/tests/velmora_journal_replay
[ -x "$replay" ] || fail "$replay is missing (build the Linux tests first)"
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || fail "$tool is not installed (scripts/install-deps.sh --test installs it)"
done

# ---- Wine: 32-bit, or the 64-bit fallback ---------------------------------------------------------

source "$root/scripts/wine-install.sh"
bits=32
if [ "${VELMORA_WINE_BITS:-32}" = 64 ]; then
  bits=64
  why="VELMORA_WINE_BITS=64 asks for it"
else
  wine_install 32
  case $? in
    0) ;;
    2) wine_installed 64 || skip "32-bit Wine cannot be had: $wine_reason"
       bits=64 why="32-bit Wine cannot be had: $wine_reason" ;;
    *) bits=64 why="32-bit Wine cannot be had: $wine_reason" ;;
  esac
fi
if [ $bits = 64 ]; then
  say "THE 64-BIT FALLBACK RUNS, not the 32-bit program ($why)"
  wine_install 64
  case $? in
    0) ;;
    2) skip "neither 32-bit nor 64-bit Wine can be had: $wine_reason" ;;
    *) fail "64-bit Wine: $wine_reason" ;;
  esac
  build=$root/build-windows64
  "$root/scripts/build-windows.sh" --64 "$build" || fail "the 64-bit build failed"
  export WINEARCH=win64
else
  export WINEARCH=win32
fi
exe=$build/velmora.exe
[ -f "$exe" ] || fail "$exe is missing (run scripts/build-windows.sh first)"
command -v wine >/dev/null || fail "wine is installed but not on PATH"
program="the $bits-bit program under $(wine --version 2>/dev/null) ($WINEARCH)"
say "$program ($((SECONDS - start_seconds)) s so far)"

# ---- Xvfb and a throwaway prefix --------------------------------------------------------------------

work=$(mktemp -d)
xvfb_pid=
velmora_pid=
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  [ -n "$velmora_pid" ] && kill "$velmora_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -screen 0 ${width}x${height}x24 -displayfd 3 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n1 "$work/display")
xdotool mousemove 1 1  # away from the menu rows

say "creating a throwaway Wine prefix"
timeout 180 wine wineboot --init >"$work/wineboot.log" 2>&1 || fail "wineboot failed: $(tail -n 5 "$work/wineboot.log")"
timeout 60 wineserver -w

# ---- Waiting on the program, each wait bounded ------------------------------------------------------

run=$work/run
journal=$run/journal.txt
mark=0  # journal lines already looked at
shots=0 # screenshots asked for
shot_bytes=$((18 + 3 * width * height))

running() { kill -0 "$velmora_pid" 2>/dev/null; }
# Waits up to $2 s for the journal to show state $1 after the lines already looked at.
wait_state() {
  local deadline=$((SECONDS + $2)) found
  while [ $SECONDS -lt $deadline ]; do
    found=$(tail -n +$((mark + 1)) "$journal" 2>/dev/null | grep -n " state $1\$" | cut -d: -f1)
    found=${found%%$'\n'*}
    if [ -n "$found" ]; then
      mark=$((mark + found))
      return 0
    fi
    running || fail "the program ended while waiting for state $1; $(tail -n 3 "$work/velmora.log")"
    sleep 0.05
  done
  fail "no state $1 within $2 s (last journal line: $(tail -n 1 "$journal"))"
}
# Waits for $1 more frames (the journal notes every thirtieth), at most $2 s.
wait_frames() {
  local target=$(($(tail -n 1 "$journal" | cut -d' ' -f1) + $1)) deadline=$((SECONDS + $2))
  until [ "$(tail -n 1 "$journal" | cut -d' ' -f1)" -ge $target ]; do
    [ $SECONDS -lt $deadline ] || fail "the frames stopped: not $1 frames within $2 s (last journal line: $(tail -n 1 "$journal"))"
    running || fail "the program ended while waiting for frames"
    sleep 0.05
  done
}
# Presses F12 and waits up to 20 s for the whole screenshot: one frame's work, so a longer wait means
# the frames have stopped.
screenshot() {
  local file=$run/Screenshot_$shots.tga deadline=$((SECONDS + 20)) lines before
  lines=$(wc -l <"$journal")
  before=$(tail -n 1 "$journal" | cut -d' ' -f1)
  xdotool key F12
  while [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" != $shot_bytes ]; do
    if [ $SECONDS -ge $deadline ]; then
      # Which of the two: F12 never reached the program, or the frames stopped after it did.
      [[ $'\n'$(tail -n +$((lines + 1)) "$journal")$'\n' == *' key_up 123'$'\n'* ]] || fail "no screenshot $shots ($1) within 20 s: F12 never reached the program"
      fail "no screenshot $shots ($1) within 20 s of F12: the frames stopped (frame $before before F12, $(tail -n 1 "$journal" | cut -d' ' -f1) now)"
    fi
    running || fail "the program ended while waiting for screenshot $shots ($1)"
    sleep 0.05
  done
  say "screenshot $shots: $1"
  shots=$((shots + 1))
}
steps() {  # steps x0 y0 x1 y1 n: xdotool commands for n pointer moves a few frames apart
  local i
  for i in $(seq 1 "$5"); do
    echo "mousemove $(($1 + ($3 - $1) * i / $5)) $(($2 + ($4 - $2) * i / $5)) sleep 0.03"
  done
}

# ---- The program ------------------------------------------------------------------------------------

mkdir -p "$run" "$work/replay"
mapfile -t rows < <(cd "$work/replay" && "$replay" ${width}x${height} --menu-rows | grep -E "^[0-9]+ [0-9]+$")
[ ${#rows[@]} = 4 ] || fail "no menu rows from $replay"
(cd "$run" && VELMORA_INPUT_JOURNAL=$journal exec timeout 600 wine "$exe") >"$work/velmora.log" 2>&1 &
velmora_pid=$!

window=
for _ in $(seq 600); do
  window=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null)
  window=${window%%$'\n'*}
  [ -n "$window" ] && break
  running || break
  sleep 0.1
done
[ -n "$window" ] || fail "no window named Velmora appeared; $(tail -n 5 "$work/velmora.log")"
geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
[ "$geometry" = "${width}x${height}" ] || fail "the window is $geometry, not the screen's ${width}x${height}"
say "window Velmora ${geometry} is open"

wait_state 3 120
screenshot "the menu"
cx=$((width / 2)) cy=$((height / 2))
for season in 0 1 2 3; do
  read -r rx ry <<<"${rows[$season]}"
  if [ $season = 0 ]; then
    xdotool mousemove "$rx" "$ry" click 1
  else
    # The row is clicked while the last scene still fades out (those clicks reach the scene) and while
    # the menu fades in (ignored there), until the menu takes one.
    deadline=$((SECONDS + 120))
    until [[ $(tail -n +$((mark + 1)) "$journal")$'\n' == *' state 4'$'\n'* ]]; do
      [ $SECONDS -lt $deadline ] || fail "season $season was not entered within 120 s of clicking its row"
      running || fail "the program ended while season $season was being chosen"
      xdotool mousemove "$rx" "$ry" click 1 sleep 0.1
    done
  fi
  wait_state 4 30
  wait_state 5 60
  # Skip the reading pause once the scene has faded in, wait for the camera to swing into place; then
  # hold the left button across the scene, swing the camera with the right button, turn the wheel.
  wait_frames 210 60
  xdotool mousemove $cx $cy click 1
  wait_frames 230 60
  xdotool mousemove $((width / 5)) $((height * 2 / 3)) mousedown 1 $(steps $((width / 5)) $((height * 2 / 3)) $((width * 4 / 5)) $((height / 2)) 20) mouseup 1
  xdotool mousemove $cx $cy mousedown 3 $(steps $cx $cy $((width * 2 / 3)) $((height / 3)) 15) mouseup 3
  xdotool click 4 sleep 0.1 click 4 sleep 0.1 click 5
  screenshot "season $season"
  xdotool key Escape
  if [ $season = 3 ]; then
    # A flood of pointer moves while the scene fades out, then clicks; the frames must go on.
    xdotool $(for i in $(seq 400); do echo "mousemove $((i % 200 + 300)) $((i % 150 + 300))"; done)
    screenshot "during the fade after a flood of pointer moves"
    xdotool mousemove 100 100 click 1 sleep 0.05 click 1 sleep 0.05 click 3
  fi
done
wait_state 3 120
xdotool mousemove 1 1
screenshot "the menu again"
xdotool key Escape
wait_state 6 30
xdotool key Escape sleep 0.1 key Escape
screenshot "the closing"
xdotool key Escape
for _ in $(seq 300); do running || break; sleep 0.1; done
running && fail "the program was still running 30 s after Escape on the menu"
wait "$velmora_pid"
code=$?
velmora_pid=
[ "$code" = 0 ] || fail "Escape on the menu ended the program with exit code $code; $(tail -n 5 "$work/velmora.log")"
say "Escape on the menu: exit code 0 ($(wc -l <"$journal") journal lines, $((SECONDS - start_seconds)) s so far)"

# ---- The same input replayed by the Linux build -----------------------------------------------------

(cd "$work/replay" && "$replay" ${width}x${height} "$journal" "$run") >"$work/replay.log" 2>&1
code=$?
sed 's/^/wine-smoke: replay: /' "$work/replay.log"
[ $code = 0 ] || fail "the Linux build's replay of the same input does not match $program"

# ---- The Windows-only tests -------------------------------------------------------------------------

tests=$build/velmora_win32_tests.exe
[ -f "$tests" ] || fail "$tests is missing (GoogleTest's sources or stb were not found when building)"
mkdir -p "$work/tests"
(cd "$work/tests" && timeout 300 wine "$tests") >"$work/tests.log" 2>&1
code=$?
grep -E '^\[  PASSED  \]|^\[  FAILED  \]|^\[==========\] [0-9]+ tests' "$work/tests.log" | sed 's/^/wine-smoke: /'
[ "$code" = 0 ] || { cat "$work/tests.log"; fail "velmora_win32_tests.exe exited with $code"; }
keep

verdict="PASS: $program"
[ $bits = 64 ] && verdict="PASS (THE 64-BIT FALLBACK, not the 32-bit program: $why): $program"
echo "$verdict: four seasons visited, $shots screenshots matching the Linux build's replay, Escape -> exit code 0, velmora_win32_tests.exe passed ($((SECONDS - start_seconds)) s)"
