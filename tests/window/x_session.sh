# Sourced by the real-window tests: a scratch folder, Xvfb (1024 x 768 unless asked) and the program in its window,
# all taken down when the test's shell exits. The caller sets $velmora and may define fail().
work=$(mktemp -d)
xvfb_pid=
velmora_pid=
window=
# Each waited for: an Xvfb still shutting down removes its socket under the display number, which the
# next test's Xvfb may already have taken, and that test's program then finds no display.
cleanup() {
  [ -n "$velmora_pid" ] && kill "$velmora_pid" 2>/dev/null && wait "$velmora_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb on a display of its own choosing, 1024 x 768 unless a size is given; DISPLAY names it.
start_xvfb() {
  exec 3>"$work/display"
  Xvfb -screen 0 "${1:-1024x768}x24" -displayfd 3 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
  export DISPLAY=:$(head -n1 "$work/display")
}

# The program started in $work (so screenshots land there), its output in $work/velmora.log; $window
# is its window once it shows. In the sanitizer build, leaks are checked by the headless tests, which run
# the same application code; here the system's X, D-Bus and GL libraries unload at exit and leave
# anonymous one-time allocations.
start_velmora() {
  cd "$work" || exit 1
  export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}detect_leaks=0"
  "$velmora" >"$work/velmora.log" 2>&1 &
  velmora_pid=$!
  for _ in $(seq 100); do
    window=$(xdotool search --name '^Velmora$' 2>/dev/null | head -n1)
    [ -n "$window" ] && return 0
    sleep 0.1
  done
  echo "FAIL: no window named Velmora"
  echo "--- program output:"
  cat "$work/velmora.log"
  exit 1
}
