#!/usr/bin/env bash
# Time to the first frame of built pages in headless Chromium, side by side:
#   bench/page_time.sh RUNS NAME=DIR [NAME=DIR ...]
# For each size, RUNS interleaved rounds each start one browser session per page, and one on
# a blank page, and time it from the browser's start until the page has shown its frame (the
# timing page then asks the server for done?...). Real timers throughout: no virtual time.
# Prints the median of each, less the blank session's median: the page's own time; and the
# median time from the frame's creation to the shown frame, as the timing page measured it;
# and the spread of the rounds, each less the blank session's median.
set -u
runs=$1
shift
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/site"
cp "$(dirname "$0")/page_time.html" "$work/site/time.html"
names=()
for entry in "$@"; do
    names+=("${entry%%=*}")
    ln -s "$(realpath "${entry#*=}")" "$work/site/${entry%%=*}"
done
port=$((20000 + RANDOM % 20000))
python3 -m http.server $port --bind 127.0.0.1 --directory "$work/site" >"$work/server.log" 2>&1 &
server=$!
sleep 1

# One session: seconds from the browser's start to the done request.
session() {
    local before profile=$work/profile$RANDOM
    before=$(grep -c 'GET /done' "$work/server.log")
    local start=$(date +%s.%N)
    setsid chromium --headless --no-sandbox --disable-gpu --use-angle=swiftshader --enable-unsafe-swiftshader \
        --no-first-run --disable-background-networking --disable-component-update --disable-sync \
        --window-size=1920,1080 --user-data-dir="$profile" "http://127.0.0.1:$port/time.html?$1" >/dev/null 2>&1 &
    local browser=$!
    for _ in $(seq 6000); do
        [ "$(grep -c 'GET /done' "$work/server.log")" -gt "$before" ] && break
        sleep 0.005
    done
    local end=$(date +%s.%N)
    kill -- -$browser 2>/dev/null
    wait $browser 2>/dev/null
    sleep 0.5
    rm -rf "$profile" 2>/dev/null
    echo "$(echo "$end - $start" | bc) $(grep 'GET /done' "$work/server.log" | tail -1 | sed 's/.*after=\([0-9]*\).*/\1/')"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# The least and the most of a column less an amount: the spread of the rounds.
spread() { sort -n | awk -v less="$1" '{ v[NR] = $1 - less } END { printf "%.2f-%.2f", v[1], v[NR] }'; }

for size in $(awk '/^[0-9]/ { print $1 }' "$(dirname "$0")/../cmake/resolutions.txt"); do
    : >"$work/blank"
    for name in "${names[@]}"; do : >"$work/$name"; done
    for _ in $(seq "$runs"); do
        session "" >>"$work/blank"
        for name in "${names[@]}"; do session "page=$name&size=$size" >>"$work/$name"; done
    done
    blank=$(cut -d' ' -f1 "$work/blank" | median)
    for name in "${names[@]}"; do
        printf '%s %s: %.2f s, rounds %s s (blank session %.2f s); in the page %.2f s\n' "$size" "$name" \
            "$(echo "$(cut -d' ' -f1 "$work/$name" | median) - $blank" | bc)" "$(cut -d' ' -f1 "$work/$name" | spread "$blank")" \
            "$blank" "$(echo "$(cut -d' ' -f2 "$work/$name" | median) / 1000" | bc -l)"
    done
done
