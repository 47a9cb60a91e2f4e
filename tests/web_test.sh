#!/usr/bin/env bash
# The browser page (`make web` builds it into build-web/) in a real, headless Chromium:
#  - at both resolutions the grain and the mask are the pinned bits, the composite is exactly
#    the soft light of the page's render under its mask, and the frame is that composite
#    screened with the grain within WebGL's rounding;
#  - the render is the native picture wherever the two rasterisers agree: WebGL's (here
#    SwiftShader's) places some edge pixels differently from Mesa's, nowhere by much;
#  - without WebGL the page says so.
# Exits 77 (skipped) where the page is not built or Chromium is missing.
set -u
web=$1 png_pixels=$2 bin=$3
pins=$(dirname "$0")/picture.sha256
[ -f "$web/index.html" ] || { echo "SKIPPED: the page is not built in $web (make web builds it)"; exit 77; }
command -v chromium >/dev/null || { echo "SKIPPED: chromium is not installed"; exit 77; }
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 20000))
    python3 -m http.server $port --bind 127.0.0.1 --directory "$web" >"$work/server.log" 2>&1 &
    server=$!
    sleep 1
    kill -0 $server 2>/dev/null && break
    server=
done
[ -n "$server" ] || fail "no web server could be started"

# Headless, with WebGL on the software renderer, and none of the browser's own network use.
# Virtual time lets the page's work run to its end before the page is read.
chrome() {
    timeout 600 chromium --headless --no-sandbox --disable-gpu --use-angle=swiftshader --enable-unsafe-swiftshader \
        --disable-quic --no-first-run --disable-background-networking --disable-component-update --disable-sync \
        --hide-scrollbars --user-data-dir="$work/profile" --virtual-time-budget=600000 "$@" 2>>"$work/chrome.log"
}
pinned() { sed -n "s/  $1\$//p" "$pins"; }

for size in 720 1080; do
    chrome --dump-dom "http://127.0.0.1:$port/index.html?size=$size&hashes" >"$work/page-$size.html"
    for stage in grain vignette; do
        grep -q "^$(pinned $stage-$size)  $stage-$size\$" "$work/page-$size.html" ||
            fail "the page's $stage at $size is not the pinned one: $(grep -- "-$size" "$work/page-$size.html")"
    done
    grep -q '^composite: the soft light of the render under the mask, exact$' "$work/page-$size.html" ||
        fail "the page's composite at $size: $(grep '^composite' "$work/page-$size.html")"
    grep -q '^frame: the composite screened with the grain, within 1$' "$work/page-$size.html" ||
        fail "the page's frame at $size: $(grep '^frame' "$work/page-$size.html")"
done

# The render as the page shows it, unscaled in a window of its size, against the native one.
chrome --window-size=1280,720 --screenshot="$work/web-render.png" "http://127.0.0.1:$port/index.html?size=720&stage=render" >/dev/null
"$bin/vellum-capture-720" "$work/render.png" --stage render || fail "the native capture"
"$png_pixels" "$work/web-render.png" >"$work/web.rgba" && "$png_pixels" "$work/render.png" >"$work/native.rgba" ||
    fail "the renders could not be read"
python3 - "$work/web.rgba" "$work/native.rgba" <<'PY' || fail "the page's render is not the native picture"
import sys
web, native = (open(path, 'rb').read() for path in sys.argv[1:3])
assert len(web) == len(native) == 1280 * 720 * 4, (len(web), len(native))
differences = [abs(a - b) for a, b in zip(web, native) if a != b]
share = len(differences) / (1280 * 720 * 3)
print(f"render: {100 * share:.2f}% of the channels differ from the native render, by at most {max(differences, default=0)}")
sys.exit(0 if share < 0.05 and max(differences, default=0) <= 32 else 1)
PY

timeout 120 chromium --headless --no-sandbox --disable-3d-apis --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$work/profile2" \
    --dump-dom "http://127.0.0.1:$port/index.html" 2>/dev/null | grep -q 'Vellum needs WebGL' ||
    fail "without WebGL the page does not say so"
echo "web: 1 passed, 0 failed"
