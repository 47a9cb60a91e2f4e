#!/usr/bin/env bash
# The browser page (`make web` builds it into build-web/) in a real, headless Chromium, in one
# session at 1280 x 720: the grain, the mask, the render and the frame on the canvas are the
# pinned bits of the Linux programs, with the SIMD module and again with the plain one; the
# composite is exactly the soft light of the page's render under its mask, the render is the
# native CPU-averaged one pixel for pixel, and nothing is reported on the console. A second,
# bare session checks that a browser without WebGL is told so. Exits 77 (skipped) where the
# page is not built or Chromium is missing.
set -u
web=$1 bin=$2 png_pixels=$3
pins=$(dirname "$0")/picture.sha256
[ -f "$web/index.html" ] || { echo "SKIPPED: the page is not built in $web (make web builds it)"; exit 77; }
command -v chromium >/dev/null || { echo "SKIPPED: chromium is not installed"; exit 77; }
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
# Each stage's pinned SHA-256 must be in the checking page's report ($1), for $2.
expect_pinned() {
    for stage in grain vignette render composite frame; do
        grep -q "$(sed -n "s/  $stage-720\$//p" "$pins")  $stage-720" <<<"$1" || fail "$2: the $stage is not the pinned one"
    done
}

# The page's files, the checking page and the native render to compare with, served from
# 127.0.0.1.
mkdir "$work/site"
ln -s "$web"/* "$work/site/"
cp "$(dirname "$0")/web_check.html" "$work/site/check.html"
"$bin/vellum-capture-720" "$work/native.png" --stage render --no-accumulation-buffer || fail "the native capture"
"$png_pixels" "$work/native.png" >"$work/site/native.rgba" || fail "the native render could not be read"
native=$("$bin/tests/picture_check_720" render "$work/native.png") || fail "the native render: $native"
for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 20000))
    python3 -m http.server $port --bind 127.0.0.1 --directory "$work/site" >"$work/server.log" 2>&1 &
    server=$!
    sleep 1
    kill -0 $server 2>/dev/null && break
    server=
done
[ -n "$server" ] || fail "no web server could be started"

# Headless, with WebGL on the software renderer, and none of the browser's own network use.
# Virtual time lets the page's work run to its end before the page is read.
chrome() {
    timeout 600 chromium --headless --no-sandbox --disable-quic --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --hide-scrollbars --user-data-dir="$work/profile$1" "${@:2}"
}
chrome 1 --disable-gpu --use-angle=swiftshader --enable-unsafe-swiftshader --virtual-time-budget=600000 \
    --enable-logging=stderr --v=0 --dump-dom "http://127.0.0.1:$port/check.html?size=720&compare=native.rgba" \
    >"$work/page.html" 2>"$work/chrome.log"
report=$(sed -n '/<pre id="report">/,/<\/pre>/p' "$work/page.html")
echo "$report" | sed 's/<[^>]*>//g'
expect_pinned "$report" "the SIMD module"
grep -q 'composite: the soft light of the render under the mask, exact' <<<"$report" || fail "the composite"
# The page draws the pinned picture on any machine; the native one is that only on the
# reference rasteriser.
if [[ $native == exact* ]]; then
    grep -q '^render: 0 of 921600 pixels differ' <<<"$report" || fail "the render differs from the native one"
else
    echo "the native render: $native"
fi
grep -q 'GET /vellum-720-simd.wasm' "$work/server.log" || fail "the page did not take the SIMD module"

# The plain module, which browsers without SIMD take: served in place of the SIMD one, the
# same stages must come out.
mkdir "$work/site/plain"
ln -s "$web"/* "$work/site/plain/"
ln -sf "$web/vellum-720.wasm" "$work/site/plain/vellum-720-simd.wasm"
cp "$work/site/check.html" "$work/site/plain/check.html"
chrome 5 --disable-gpu --use-angle=swiftshader --enable-unsafe-swiftshader --virtual-time-budget=600000 \
    --dump-dom "http://127.0.0.1:$port/plain/check.html?size=720&only=stages" 2>/dev/null >"$work/plain.html"
expect_pinned "$(sed -n '/<pre id="report">/,/<\/pre>/p' "$work/plain.html")" "the plain module"
echo "the plain module: the pinned grain, vignette, render, composite and frame"

frame=$(sed -n "s/  frame-720\$//p" "$pins")
grep -q "^lost context: waited, frame $frame" <<<"$report" || fail "a context lost during the render"
grep -q '^canvas: 1920 x 1080 in a 1920 x 1080 frame; F asked for full screen 1 times' <<<"$report" ||
    fail "the canvas does not fill its frame, or Ctrl+F or Cmd+F toggles full screen"
# Console messages of level 1 (warnings) and 2 (errors) from the page: WebGL reports misuse so.
console=$(grep -E 'CONSOLE:[12]\]' "$work/chrome.log")
[ -z "$console" ] || fail "the console says: $console"

chrome 2 --disable-3d-apis --dump-dom "http://127.0.0.1:$port/index.html" 2>/dev/null | grep -q 'Vellum needs WebGL' ||
    fail "without WebGL the page does not say so"
# Opened from a file, or served without its program, the page says what is wrong.
chrome 3 --disable-gpu --use-angle=swiftshader --enable-unsafe-swiftshader --virtual-time-budget=60000 \
    --dump-dom "file://$web/index.html?size=720" 2>/dev/null | grep -q 'serve this folder over HTTP' ||
    fail "opened from a file, the page does not say to serve it"
mkdir "$work/bare" && cp "$web/index.html" "$work/bare/" && ln -s "$work/bare" "$work/site/bare"
chrome 4 --disable-gpu --use-angle=swiftshader --enable-unsafe-swiftshader --virtual-time-budget=60000 \
    --dump-dom "http://127.0.0.1:$port/bare/index.html?size=720" 2>/dev/null | grep -q 'could not load its program' ||
    fail "without its program, the page does not say so"
echo "web: 1 passed, 0 failed"
