#!/usr/bin/env bash
# Installs what is missing, builds Velmora and starts it full screen on this desktop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$root/build" --target velmora -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "velmora: no display to open a window on (DISPLAY is not set); built $root/build/velmora" >&2
  exit 1
fi
exec "$root/build/velmora"
