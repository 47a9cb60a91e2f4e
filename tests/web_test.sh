#!/usr/bin/env bash
# The browser page (`make web` builds it into build-web/) in a real, headless Chromium, in one
# session at 1280 x 720: the grain, the mask, the render and the frame on the canvas are the
# pinned bits of the Linux programs, with the SIMD module and again with the plain one in a
# browser without WebGL; the composite is exactly the soft light of the page's render under its
# mask, the render is the native one pixel for pixel, and nothing is reported on the console.
# Each module's memory is within its limit, and the visitor reads a sentence where the page
# cannot start: opened from a file, without its program, or with a program that will not
# compile. Exits 77 (skipped) where the page is not built or Chromium is missing.
set -u
. "$(dirname "$0")/skip.sh"
web=$1 bin=$2 png_pixels=$3
pins=$(dirname "$0")/picture.sha256
[ -f "$web/index.html" ] || skip "the page is not built in $web (make web builds it)"
command -v chromium >/dev/null || skip "chromium is not installed"
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

# The memory each module takes whole when the page starts, as its script asks for it: at most
# 40 MiB at 1280 x 720 and 80 MiB at 1920 x 1080, which a phone can give.
for limit in 720=40 1080=80; do
    bytes=$(sed -n 's/.*INITIAL_MEMORY=Module\["INITIAL_MEMORY"\]||\([0-9]*\).*/\1/p' "$web/vellum-${limit%=*}.js")
    [ -n "$bytes" ] || fail "vellum-${limit%=*}.js names no memory size"
    (( bytes <= ${limit#*=} * 1048576 )) || fail "vellum-${limit%=*} takes $bytes bytes, more than ${limit#*=} MiB"
    echo "vellum-${limit%=*}: $((bytes / 1048576)) MiB of memory"
done

# The modules are data, not programs; the icon the page names is beside it.
executable=$(find "$web" -name '*.wasm' -perm /111)
[ -z "$executable" ] || fail "modules marked executable: $executable"
icon=$(sed -n 's/.*rel="icon" href="\([^"]*\)".*/\1/p' "$web/index.html")
[ -n "$icon" ] && [ -f "$web/$icon" ] || fail "the page names no icon it ships ('$icon')"

# The page's files, the checking page and the native render to compare with, served from
# 127.0.0.1. The page is served under a strict Content-Security-Policy, as a careful site
# would serve it: nothing inline, scripts only from the site, WebAssembly compiled.
mkdir "$work/site"
ln -s "$web"/* "$work/site/"
with_policy() {  # POLICY DIRECTORY: index.html under that policy, into DIRECTORY
    sed "s|<head>|<head><meta http-equiv=\"Content-Security-Policy\" content=\"$1\">|" "$web/index.html" >"$2/index.html"
}
rm "$work/site/index.html"
with_policy "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'" "$work/site"
cp "$(dirname "$0")/web_check.html" "$work/site/check.html"
"$bin/vellum-capture-720" "$work/native.png" --stage render || fail "the native capture"
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

# Headless, with none of the browser's own network use. Virtual time lets the page's work run
# to its end before the page is read.
chrome() {
    timeout 600 chromium --headless --no-sandbox --disable-quic --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --hide-scrollbars --user-data-dir="$work/profile$1" "${@:2}"
}
chrome 1 --disable-gpu --virtual-time-budget=600000 --enable-logging=stderr --v=0 --dump-dom "http://127.0.0.1:$port/check.html?size=720&compare=native.rgba" \
    >"$work/page.html" 2>"$work/chrome.log"
report=$(sed -n '/<pre id="report">/,/<\/pre>/p' "$work/page.html")
echo "$report" | sed 's/<[^>]*>//g'
expect_pinned "$report" "the SIMD module"
grep -q 'composite: the soft light of the render under the mask, exact' <<<"$report" || fail "the composite"
# The page draws the pinned render on any machine, and so do the programs wherever Vellum's own
# OpenGL draws the passes.
if [[ $native == exact* ]]; then
    grep -q '^render: 0 of 921600 pixels differ' <<<"$report" || fail "the render differs from the native one"
else
    echo "the native render: $native"
fi
grep -q 'GET /vellum-720-simd.wasm' "$work/server.log" || fail "the page did not take the SIMD module"

# The plain module, which browsers without SIMD take, served in place of the SIMD one, in a
# browser without WebGL: the same stages must come out.
mkdir "$work/site/plain"
ln -s "$web"/* "$work/site/plain/"
ln -sf "$web/vellum-720.wasm" "$work/site/plain/vellum-720-simd.wasm"
cp "$work/site/check.html" "$work/site/plain/check.html"
chrome 5 --disable-gpu --disable-3d-apis --disable-webgl --virtual-time-budget=600000 --dump-dom "http://127.0.0.1:$port/plain/check.html?size=720&only=stages" 2>/dev/null >"$work/plain.html"
expect_pinned "$(sed -n '/<pre id="report">/,/<\/pre>/p' "$work/plain.html")" "the plain module"
echo "the plain module without WebGL: the pinned grain, vignette, render, composite and frame"

grep -q '^canvas: 1920 x 1080 in a 1920 x 1080 frame; F asked for full screen 1 times' <<<"$report" ||
    fail "the canvas does not fill its frame, or Ctrl+F or Cmd+F toggles full screen"
# Console messages of level 1 (warnings) and 2 (errors) from the page: there must be none.
console=$(grep -E 'CONSOLE:[12]\]' "$work/chrome.log")
[ -z "$console" ] || fail "the console says: $console"

# Where the page cannot start, the visitor reads why: the text of the page's message element
# once the page has given up (never the page's own source, which holds every sentence).
message() {  # PROFILE URL [FLAGS...]
    chrome "$1" --disable-gpu --virtual-time-budget=60000 "${@:3}" --dump-dom "$2" 2>/dev/null |
        tr -d '\n' | sed -n 's|.*<div id="message">\([^<]*\)</div>.*|\1|p'
}
# A copy of the page in $work/NAME, served as /NAME/; the program's files linked in.
copy() {
    mkdir "$work/$1" && ln -s "$web"/* "$work/$1/" && ln -s "$work/$1" "$work/site/$1"
}
said=$(message 2 "file://$web/index.html?size=720")
[[ $said == *"serve this folder over HTTP"* ]] || fail "opened from a file, the page says: '$said'"
mkdir "$work/bare" && cp "$web"/{index.html,page.js,page.css} "$work/bare/" && ln -s "$work/bare" "$work/site/bare"
said=$(message 3 "http://127.0.0.1:$port/bare/index.html?size=720")
[[ $said == *"could not load its program"* ]] || fail "without its program, the page says: '$said'"
mkdir "$work/broken" && cp "$web"/{index.html,page.js,page.css,vellum-720.js} "$work/broken/" && ln -s "$work/broken" "$work/site/broken"
echo "not a module" >"$work/broken/vellum-720.wasm" && cp "$work/broken/vellum-720.wasm" "$work/broken/vellum-720-simd.wasm"
said=$(message 4 "http://127.0.0.1:$port/broken/index.html?size=720")
[[ $said == *"could not load its program"* ]] || fail "with a program that does not compile, the page says: '$said'"
# A script that arrives but does not run to its end: cut short by an interrupted upload, a host's
# HTML page in its place, or one that throws.
copy cut && rm "$work/cut/vellum-720.js" && head -c 6000 "$web/vellum-720.js" >"$work/cut/vellum-720.js"
copy html && rm "$work/html/vellum-720.js" && echo '<!doctype html><title>Not found</title>' >"$work/html/vellum-720.js"
copy throws && rm "$work/throws/vellum-720.js" && { echo 'throw new Error("broken");'; cat "$web/vellum-720.js"; } >"$work/throws/vellum-720.js"
for broken in cut html throws; do
    said=$(message 6 "http://127.0.0.1:$port/$broken/index.html?size=720")
    [[ $said == *"could not load its program"* ]] || fail "with a script that $broken, the page says: '$said'"
done
# The other size's program under this size's names, as after a mixed upload.
copy mixed && rm "$work/mixed"/vellum-1080* && for f in .js .wasm -simd.wasm; do ln -s "$web/vellum-720$f" "$work/mixed/vellum-1080$f"; done
said=$(message 7 "http://127.0.0.1:$port/mixed/index.html")
[[ $said == *"draws 1280 x 720, not the 1920 x 1080"* ]] || fail "with the 720 program under the 1080 names, the page says: '$said'"
# A browser without WebAssembly is told that it cannot run it, not that the site is at fault;
# and where no script may run, the visitor reads that the page needs them.
said=$(message 8 "http://127.0.0.1:$port/index.html?size=720" --js-flags=--jitless)
[[ $said == *"cannot run Vellum"* ]] || fail "without WebAssembly, the page says: '$said'"
copy blocked && rm "$work/blocked/index.html" && with_policy "script-src 'none'" "$work/blocked"
said=$(message 9 "http://127.0.0.1:$port/blocked/index.html?size=720")
[[ $said == *"JavaScript and WebAssembly"* ]] || fail "with scripts blocked, the page says: '$said'"
echo "the page's sentences: from a file, without its program, with a broken program or script, of the other size, without WebAssembly or scripts"
echo "web: 1 passed, 0 failed"
