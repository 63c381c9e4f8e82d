#!/usr/bin/env bash
# The web command: installs what the page needs when missing, builds the page alone
# (build/web/page, a static folder any web server can host) and serves it on 127.0.0.1 until
# stopped with Ctrl+C.
# usage: scripts/web.sh [PORT]    (default 8080)
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
port=${1:-8080}

cd "$project"
./scripts/install-deps.sh web
source scripts/node-path.sh
cmake --preset web >/dev/null
# The page alone (the program, its scripts, pictures, icons and service worker): the tests and
# benchmarks of the web build are the test command's business.
cmake --build --preset web --target varnelo-page -j "$(nproc)"

echo "varnelo in a web page: http://127.0.0.1:$port/"
# From file:// the browser refuses to fetch the wasm: the page needs a server.
exec python3 -m http.server --bind 127.0.0.1 --directory build/web/page "$port"
