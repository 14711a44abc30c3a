#!/usr/bin/env bash
# The browser build in headless Chromium against the headless run, then the page's own input
# (tests/web/browser_frames.py).
# Installs emscripten and chromium when missing; skips (exit 77) only when they cannot be installed.
#   browser_frames_test.sh REFERENCE_TOOL
set -uo pipefail
tool=$1
root=$(cd "$(dirname "$0")/../.." && pwd)

if ! "$root/scripts/install-deps.sh" --web || ! "$root/scripts/install-deps.sh" --browser; then
  echo "SKIP: emscripten or chromium is not installed and cannot be installed here"
  exit 77
fi
"$root/scripts/build-web.sh" >/dev/null || { echo "the browser build failed"; exit 1; }
out=$(dirname "$tool")/browser_frames
rm -rf "$out"
timeout 720 python3 "$root/tests/web/browser_frames.py" "$root/build-web" "$tool" "$out"
