#!/usr/bin/env bash
# Installs what is missing and builds the browser version into build-web/: index.html, velmora.js and
# velmora.wasm, the whole page (serve the folder as it is: scripts/run-web.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" --web
# The JavaScript optimiser needs Debian's acorn module, also where another node comes first on PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S "$root" -B "$root/build-web" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-web" -j"${VELMORA_JOBS:-$(nproc)}"
