#!/usr/bin/env bash
# The web command: installs what is missing, builds the page (build/web/page, a static folder any
# web server can host) and serves it on 127.0.0.1 until stopped with Ctrl+C.
# usage: scripts/web.sh [PORT]    (default 8080)
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
port=${1:-8080}

cd "$project"
./scripts/install-deps.sh
# Debian's emscripten finds its own node modules there.
export NODE_PATH=/usr/share/nodejs
cmake --preset web >/dev/null
cmake --build --preset web -j "$(nproc)"

echo "varnelo in a web page: http://127.0.0.1:$port/"
# From file:// the browser refuses to fetch the wasm: the page needs a server.
exec python3 -m http.server --bind 127.0.0.1 --directory build/web/page "$port"
