#!/usr/bin/env bash
# With no display at all the program says so in one line and stops with a non-zero exit code, rather
# than running unseen.
# usage: no_display_test.sh <velmora binary>
set -u
velmora=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"  # a session's runtime directory with no display socket in it

# The sanitizer build: the system's X, Wayland and GL libraries keep one-time allocations at exit.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}detect_leaks=0"
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$work/runtime" \
    timeout 30 "$velmora" >"$work/out" 2>&1)
code=$?
lines=$(grep -c '' "$work/out")
if [ "$code" = 124 ]; then echo "FAIL: still running after 30 s with no display"; cat "$work/out"; exit 1; fi
if [ "$code" = 0 ]; then echo "FAIL: exit code 0 with no display"; cat "$work/out"; exit 1; fi
if [ "$lines" != 1 ]; then echo "FAIL: $lines lines of output, not one:"; cat "$work/out"; exit 1; fi
grep -q 'display' "$work/out" || { echo "FAIL: the line does not say what is missing:"; cat "$work/out"; exit 1; }
ls "$work" | grep -q Screenshot && { echo "FAIL: files left behind"; exit 1; }
echo "PASS: exit code $code, one line: $(cat "$work/out")"
