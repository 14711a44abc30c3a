#!/usr/bin/env bash
# Frame pacing of the real program: Velmora in its own window under Xvfb, with its opt-in frame log
# (VELMORA_FRAME_LOG), driven with xdotool into a scenario and kept busy there; then frames per second,
# lateness, frame work and the process's CPU use between frames over the measuring window.
#
# usage: bench/frame_pacing.sh [-s SECONDS] [-g WxH] [-b BUILD_DIR] [-o OUT_DIR] [SCENARIO...]
#   SCENARIO: menu spring summer autumn winter (default: all five, one program run each)
#   -s  length of the measuring window (default 60)
#   -g  screen size of the Xvfb server, which is the window's size (default 1920x1080)
#   -b  build folder with velmora and bench/velmora_bench (default: build-perf, else build)
#   -o  where the logs go (default: a new folder under /tmp)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=60
geometry=1920x1080
build=
out=
while getopts "s:g:b:o:" opt; do
  case $opt in
    s) seconds=$OPTARG ;;
    g) geometry=$OPTARG ;;
    b) build=$OPTARG ;;
    o) out=$OPTARG ;;
    *) sed -n '2,12p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=(menu spring summer autumn winter)
if [ -z "$build" ]; then
  build=$root/build-perf
  [ -x "$build/velmora" ] || build=$root/build
fi
build=$(cd "$build" && pwd) || { echo "frame_pacing: no build folder $build"; exit 1; }
velmora=$build/velmora
bench=$build/bench/velmora_bench
for f in "$velmora" "$bench"; do
  [ -x "$f" ] || { echo "frame_pacing: $f is not built"; exit 1; }
done
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || { echo "frame_pacing: $tool is not installed"; exit 1; }
done
width=${geometry%x*}
height=${geometry#*x}
[ -n "$out" ] || out=$(mktemp -d /tmp/velmora_pacing.XXXXXX)
mkdir -p "$out"

xvfb_pid=
velmora_pid=
driver_pid=
cleanup() {
  [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null
  [ -n "$velmora_pid" ] && kill "$velmora_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

now_us() { date +%s%6N; }
# CPU time of a process in clock ticks (user + system, all threads).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

# The input of the measuring window as one long xdotool command line, so that no process is started
# per move. Every scenario repeats a short gesture until the window is over.
gesture() {
  local scenario=$1 x y i k
  local cx=$((width / 2)) cy=$((height / 2))
  case $scenario in
    menu)
      # The pointer visits the four rows; the hover bar follows.
      local rows=()
      for i in 0 1 2 3; do rows+=("$("$bench" --menu-row "$geometry" $i 2>/dev/null | tail -n1)"); done
      for ((k = 0; k < seconds * 10 / 8 + 1; k++)); do
        echo "mousemove ${rows[$((k % 4))]} sleep 0.8"
      done
      ;;
    spring)
      # Two-second strokes with the left button held across the middle of the meadow.
      for ((k = 0; k < seconds / 4 + 1; k++)); do
        y=$((height * (55 + (k % 3) * 5) / 100))
        echo "mousemove $((width * 30 / 100)) $y mousedown 1"
        for ((i = 1; i <= 60; i++)); do echo "mousemove $((width * 30 / 100 + width * 40 / 100 * i / 60)) $y sleep 0.033"; done
        for ((i = 59; i >= 0; i--)); do echo "mousemove $((width * 30 / 100 + width * 40 / 100 * i / 60)) $y sleep 0.033"; done
        echo "mouseup 1"
      done
      ;;
    summer)
      # The net sweeps an ellipse, left button held.
      awk -v n=$((seconds * 30)) -v cx=$cx -v cy=$cy -v rx=$((height / 4)) -v ry=$((height * 15 / 100)) 'BEGIN {
        printf "mousemove %d %d mousedown 1\n", cx + rx, cy
        for (k = 0; k < n; k++) printf "mousemove %d %d sleep 0.033\n", cx + rx * cos(k * 6.2831853 / 60), cy + ry * sin(k * 6.2831853 / 60)
        print "mouseup 1" }'
      ;;
    autumn)
      # A kick each second: the left button held for a third of a second while the pointer drifts.
      awk -v n=$seconds -v w=$width -v cx=$cx -v cy=$cy -v rx=$((height * 18 / 100)) -v ry=$((height * 12 / 100)) 'BEGIN {
        for (k = 0; k < n; k++) {
          x = int(cx + rx * cos(k * 1.3)); y = int(cy + ry * sin(k * 1.3))
          printf "mousemove %d %d mousedown 1\n", x, y
          for (i = 1; i <= 10; i++) printf "mousemove %d %d sleep 0.033\n", x + int(i * w / 400), y
          print "mouseup 1 sleep 0.67"
        } }'
      ;;
    winter)
      # Every five seconds the ring at the trunk's foot is pulled past its rim and let go.
      local foot rim
      foot=$("$bench" --ground-pixel "$geometry" 3 0 0 2>/dev/null | tail -n1)
      rim=$("$bench" --ground-pixel "$geometry" 3 10 45 2>/dev/null | tail -n1)
      local fx=${foot% *} fy=$((${foot#* } - 2)) rx=${rim% *} ry=${rim#* }
      for ((k = 0; k < seconds / 5 + 1; k++)); do
        echo "mousemove $fx $fy sleep 0.05 mousedown 1"
        for ((i = 1; i <= 12; i++)); do echo "mousemove $((fx + (rx - fx) * i / 12)) $((fy + (ry - fy) * i / 12)) sleep 0.017"; done
        echo "sleep 0.15 mouseup 1 sleep 4.6"
      done
      ;;
  esac
}

season_index() {
  case $1 in spring) echo 0 ;; summer) echo 1 ;; autumn) echo 2 ;; winter) echo 3 ;; *) echo -1 ;; esac
}

run_one() {
  local scenario=$1
  local log=$out/$scenario.log
  local index
  index=$(season_index "$scenario")
  [ "$scenario" = menu ] || [ "$index" -ge 0 ] || { echo "frame_pacing: unknown scenario $scenario"; return 1; }
  local commands
  commands=$(gesture "$scenario" | tr '\n' ' ')

  exec 3>"$out/display"
  Xvfb -screen 0 "${geometry}x24" -displayfd 3 -nolisten tcp >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$out/display" ] && break; sleep 0.1; done
  [ -s "$out/display" ] || { echo "frame_pacing: Xvfb did not start"; return 1; }
  export DISPLAY=:$(head -n1 "$out/display")

  local launched
  launched=$(now_us)
  # Started in the output folder, so that a screenshot (F12) lands there.
  (cd "$out" && VELMORA_FRAME_LOG=$log exec "$velmora" >"$out/$scenario.out" 2>&1) &
  velmora_pid=$!
  sleep 8  # the opening and the menu's fade-in: 420 frames
  if [ "$scenario" != menu ]; then
    local row
    row=$("$bench" --menu-row "$geometry" "$index" 2>/dev/null | tail -n1)
    xdotool mousemove $row click 1
    sleep 6    # into the scene (150 frames) and its fade-in (200)
    xdotool mousemove $((width / 2)) $((height / 2)) click 1
    sleep 4    # past the reading: the dissolve and the swing
    case $scenario in
      spring) sleep 14 ;;  # the heads ripen
      winter) sleep 20 ;;  # snow settles on the branches
      autumn) sleep 4 ;;   # the whirlwind at full strength
      summer) sleep 2 ;;
    esac
  fi

  local start_us cpu0 cpu1 end_us
  start_us=$(now_us)
  cpu0=$(cpu_ticks $velmora_pid)
  # shellcheck disable=SC2086
  xdotool $commands >/dev/null 2>&1 &
  driver_pid=$!
  sleep "$seconds"
  cpu1=$(cpu_ticks $velmora_pid)
  end_us=$(now_us)
  kill "$driver_pid" 2>/dev/null
  wait "$driver_pid" 2>/dev/null
  driver_pid=
  xdotool mouseup 1 >/dev/null 2>&1
  kill -TERM "$velmora_pid" 2>/dev/null  # SDL turns it into a quit; the log is written out
  wait "$velmora_pid" 2>/dev/null
  velmora_pid=
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=

  # The window starts this long after the first frame (the marks carry realtime stamps).
  local first from
  first=$(awk '$2 == "mark" && $3 == "first_frame" {print $6}' "$log")
  [ -n "$first" ] || { echo "frame_pacing: no frame in $log"; cat "$out/$scenario.out"; return 1; }
  from=$(awk -v s="$start_us" -v f="$first" 'BEGIN{printf "%.3f", (s - f) / 1e6}')
  echo "== $scenario at $geometry, ${seconds} s window (log $log)"
  "$bench" --pacing "$log" "$from" "$launched"
  local hz
  hz=$(getconf CLK_TCK)
  awk -v a="$cpu0" -v b="$cpu1" -v hz="$hz" -v s="$start_us" -v e="$end_us" \
    'BEGIN{printf "process CPU from /proc over the window: %.1f %% of a core\n", 100 * (b - a) / hz / ((e - s) / 1e6)}'
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); load $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
for scenario in "${scenarios[@]}"; do
  run_one "$scenario" || status=1
done
exit $status
