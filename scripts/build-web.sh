#!/usr/bin/env bash
# Installs what is missing and builds the browser version into build-web/: index.html, velmora.js,
# velmora.wasm and favicon.png, the whole page (serve the folder as it is: scripts/run-web.sh), and a
# gzip copy of each text and program file for servers that send those to browsers that take them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" --web
# The JavaScript optimiser needs Debian's acorn module, also where another node comes first on PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S "$root" -B "$root/build-web" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-web" -j"${VELMORA_JOBS:-$(nproc)}"

# The piece's icon, drawn by the desktop build's icon tool compiled for this machine.
out="$root/build-web"
if [ ! -s "$out/favicon.png" ] || [ "$root/packaging/make_icon.cpp" -nt "$out/favicon.png" ]; then
  c++ -O1 -isystem /usr/include/stb "$root/packaging/make_icon.cpp" -o "$out/make_icon" -lstb
  "$out/make_icon" 64 "$out/favicon.png" >/dev/null
fi
for f in index.html velmora.js velmora.wasm; do gzip -9 -n -k -f "$out/$f"; done
