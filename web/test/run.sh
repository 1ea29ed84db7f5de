#!/usr/bin/env bash
# Builds the browser page and drives it in headless Chromium against a native
# quaven binary (the ctest test `web.page`). Exits 77, which ctest counts as
# skipped, where emscripten, node, npm or Chromium is missing.
#
#   web/test/run.sh QUAVEN_BINARY OUT_DIR [SCREENSHOT_DIR]
set -euo pipefail
quaven=$1
out=$2
shots=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)

for tool in emcc emcmake node npm; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool not found"; exit 77; }
done
export CHROMIUM=${CHROMIUM:-/usr/bin/chromium}
[ -x "$CHROMIUM" ] || { echo "skipped: $CHROMIUM not found"; exit 77; }

QUAVEN_WASM_BUILD="$out/wasm" "$here/build.sh" "$out"
[ -z "$shots" ] || mkdir -p "$shots"
node "$here/test/page.test.mjs" "$out/quaven.html" "$quaven" ${shots:+"$shots"}
