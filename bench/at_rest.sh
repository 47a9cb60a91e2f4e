#!/usr/bin/env bash
# bench/at_rest.sh NAME=BUILD_DIR ... : the share of a core that vellum-720 of each build uses
# while it shows its picture, over 10 s from 5 s after it starts (its render done by then).
# Needs an X display (DISPLAY); for the display-mode change, a real one or Xorg with the dummy
# driver: tests/with_xorg.sh bench/at_rest.sh before=DIR after=DIR
set -euo pipefail
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
for build in "$@"; do
    name=${build%%=*} dir=${build#*=}
    "$dir/vellum-720" &
    pid=$!
    sleep 5
    before=$(ticks $pid)
    sleep 10
    after=$(ticks $pid)
    kill -TERM $pid
    wait $pid 2>/dev/null || true
    awk -v n="$name" -v t=$((after - before)) -v hz="$hz" 'BEGIN { printf "%-12s %5.1f%% of a core over 10 s\n", n, 100 * t / hz / 10 }'
done
