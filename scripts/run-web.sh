#!/usr/bin/env bash
# Installs what is missing, builds the browser version and serves it; open the address it prints.
# Ctrl+C stops the server. The port: VELMORA_PORT, else 8080 or the next free one.
#   run-web.sh          on this machine only (127.0.0.1)
#   run-web.sh --lan    also on the local network this machine is on, to open the piece on a phone in
#                       the same network: anyone on that network can open it while the server runs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  "") address=127.0.0.1 ;;
  --lan) address=0.0.0.0 ;;
  *) echo "usage: $0 [--lan]" >&2; exit 2 ;;
esac

"$root/scripts/build-web.sh"
exec python3 - "$root/build-web" "${VELMORA_PORT:-8080}" "$address" <<'PY'
import http.server, os, socket, sys
folder, port, address = sys.argv[1], int(sys.argv[2]), sys.argv[3]

class Handler(http.server.SimpleHTTPRequestHandler):
    """The folder's files; a file's gzip copy (name.gz, made by the build) to a browser that takes it."""
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{".wasm": "application/wasm"})

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=folder, **kwargs)

    def log_message(self, *args):
        pass

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        packed = path + ".gz"
        if "gzip" not in self.headers.get("Accept-Encoding", "") or not os.path.isfile(packed) or \
                os.path.getmtime(packed) < os.path.getmtime(path):
            return super().send_head()
        f = open(packed, "rb")
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Vary", "Accept-Encoding")
        self.send_header("Content-Length", str(os.fstat(f.fileno()).st_size))
        self.end_headers()
        return f

for attempt in range(20):
    try:
        server = http.server.ThreadingHTTPServer((address, port + attempt), Handler)
        break
    except OSError:
        continue
else:
    sys.exit("velmora: no free port from %d" % port)
port = server.server_address[1]
print("Velmora is served at http://127.0.0.1:%d/  (Ctrl+C stops it)" % port, flush=True)
if address == "0.0.0.0":
    # This machine's address on its network: the one a connection out would leave from (nothing is sent).
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        try:
            probe.connect(("192.0.2.1", 9))
            lan = probe.getsockname()[0]
        except OSError:
            lan = socket.gethostname()
    print("and on this network at http://%s:%d/ for a phone on the same network; anyone on it can open the "
          "piece while this runs" % (lan, port), flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
PY
