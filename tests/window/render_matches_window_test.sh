#!/usr/bin/env bash
# --render draws what the window shows, to the byte: a recording of a visit to Summer, with F12 at two
# play frames, is replayed in a real window under Xvfb (640 x 360), then rendered offscreen; each
# screenshot must equal the rendered frame of the same number. Summer's fish lie close together, so
# their letters' overlap shows any difference in depth precision between the two contexts.
# usage: render_matches_window_test.sh <velmora binary> <velmora_bench binary (for --compare)>
set -u
velmora=$1
bench=$2
command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is not installed"; exit 1; }

. "$(dirname "$0")/x_session.sh"

# Summer chosen on the menu, the reading pause skipped, the fish left to swim; F12 at frames 910 and 930.
cat >"$work/visit.vrec" <<'VISIT'
velmora-input 1
size 1024 768
425 move 512 363
426 press 512 363 1
427 release 512 363 1
790 press 512 384 1
791 release 512 384 1
910 key-down 123
910 key-up 123
930 key-down 123
930 key-up 123
end 932
VISIT

start_xvfb 640x360
cd "$work" || exit 1
export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}detect_leaks=0"
timeout 120 "$velmora" --replay visit.vrec >"$work/replay.log" 2>&1 ||
  { echo "FAIL: the replay ended with code $?"; cat "$work/replay.log"; exit 1; }
if grep -q "may differ from --render" "$work/replay.log"; then cat "$work/replay.log"; fi
"$velmora" --render visit.vrec --size 640x360 --out "$work/frames" --frames 910-930 >"$work/render.log" 2>&1 ||
  { echo "FAIL: the render failed"; cat "$work/render.log"; exit 1; }

status=0
for pair in 0:910 1:930; do
  shot=Screenshot_${pair%%:*}.tga frame=frames/frame_000${pair##*:}.png
  [ -s "$shot" ] || { echo "FAIL: the replay wrote no $shot"; status=1; continue; }
  "$bench" --compare "$shot" "$frame" || { echo "FAIL: $shot and $frame differ"; status=1; }
done
[ $status = 0 ] && echo "PASS: the window's screenshots of frames 910 and 930 equal --render's frames"
exit $status
