#!/usr/bin/env bash
# Installs what is missing, builds the browser version and serves it on this machine only; open the
# address it prints. Ctrl+C stops the server. The port: VELMORA_PORT, else 8080 or the next free one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/build-web.sh"
exec python3 - "$root/build-web" "${VELMORA_PORT:-8080}" <<'PY'
import functools, http.server, sys
folder, port = sys.argv[1], int(sys.argv[2])
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
handler.func.extensions_map[".wasm"] = "application/wasm"
handler.func.log_message = lambda *args: None
for attempt in range(20):
    try:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", port + attempt), handler)
        break
    except OSError:
        continue
else:
    sys.exit("velmora: no free port from %d" % port)
print("Velmora is served at http://127.0.0.1:%d/  (Ctrl+C stops it)" % server.server_address[1], flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
PY
