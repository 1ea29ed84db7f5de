#!/usr/bin/env bash
# Builds the browser page: QUAVEN's library and command line compiled to
# WebAssembly with emscripten, bundled with the page's script and charts into
# one self-contained file, OUT_DIR/quaven.html (default web/dist).
#
#   web/build.sh [OUT_DIR]
#
# Needs emcc (Debian's emscripten), node and npm; the npm packages come from
# package-lock.json (`npm ci`, offline once the npm cache holds them).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "${1:-$here/dist}" && cd "${1:-$here/dist}" && pwd)
build=${QUAVEN_WASM_BUILD:-$here/build-wasm}

# Debian's emscripten needs its JavaScript modules on the node path when the
# node on PATH is not Debian's own.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

if [ ! -f "$here/node_modules/.package-lock.json" ] ||
   [ "$here/package-lock.json" -nt "$here/node_modules/.package-lock.json" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --prefer-offline)
fi

mkdir -p "$build"
emcmake cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j2

# The worker (the WebAssembly module inside it) is bundled first and goes
# into the page's script as text, from which the page starts it. It is a
# classic script, not a module: a page opened from disk has no origin, and
# Chromium refuses a module worker from such a page's Blob URL.
esbuild="$here/node_modules/.bin/esbuild"
"$esbuild" "$here/src/worker.js" --bundle --format=iife --minify --log-level=warning \
  --define:import.meta.url=self.location.href \
  --alias:quaven-wasm="$build/quaven.mjs" --outfile="$build/worker.bundle.txt"
"$esbuild" "$here/src/app.js" --bundle --format=esm --minify --log-level=warning \
  --alias:quaven-worker="$build/worker.bundle.txt" --loader:.txt=text --outfile="$build/app.bundle.js"
node "$here/tools/inline.mjs" "$here/src/index.html" "$here/src/style.css" "$build/app.bundle.js" "$out/quaven.html"
echo "$out/quaven.html ($(stat -c %s "$out/quaven.html") bytes)"
