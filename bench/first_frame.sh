#!/usr/bin/env bash
# bench/first_frame.sh RUNS NAME=BUILD_DIR[:OPTIONS] ... : the time to the first frame of the
# capture tools of each build, side by side: rounds of one run each, interleaved, and the
# median of each over RUNS rounds. "first frame" is from the process's start to its frame drawn
# and read back (bench/first_frame_probe.cpp, preloaded, from this checkout's build/); "run" is
# the whole process, the PNG written to /dev/null included; RenderStill, its passes and frame
# are what --timings reports. OPTIONS go to the tool (t2=build:"--threads 2", say). Needs an X
# display (DISPLAY); extra environment (GALLIUM_DRIVER=softpipe, say) passes through.
set -euo pipefail
runs=${1:?usage: first_frame.sh RUNS NAME=BUILD_DIR[:OPTIONS] ...}
shift
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
probe=$(cd "$(dirname "$0")/.." && pwd)/build/bench/libfirst_frame_probe.so
[ -e "$probe" ] || { echo "first_frame.sh: build the benchmarks first (make build)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in $(awk '/^[0-9]/ { print $1 }' "$(dirname "$0")/../cmake/resolutions.txt"); do
    for round in $(seq "$runs"); do
        for build in "$@"; do
            name=${build%%=*} dir=${build#*=} options=
            [[ $dir == *:* ]] && options=${dir#*:} dir=${dir%%:*}
            start=$(date +%s%N)
            # shellcheck disable=SC2086 # the options are words
            LD_PRELOAD=$probe "$dir/vellum-capture-$size" /dev/null --timings $options 2>"$work/timings"
            end=$(date +%s%N)
            echo $(( (end - start) / 1000000 )) >>"$work/$name-$size-run"
            awk '$1 == "RenderStill" { print $2 }' "$work/timings" >>"$work/$name-$size-render"
            awk '$1 == "passes" { print $2 }' "$work/timings" >>"$work/$name-$size-passes"
            awk '/^first frame done after/ { print $5 }' "$work/timings" >>"$work/$name-$size-first"
            awk '$1 == "frame" { print $2 }' "$work/timings" >>"$work/$name-$size-frame"
        done
    done
    for build in "$@"; do
        name=${build%%=*}
        printf '%-12s %5s: first frame %7s ms (RenderStill %8s ms, passes %8s ms, frame %7s ms), run %6s ms\n' "$name" "$size" \
            "$(median <"$work/$name-$size-first")" "$(median <"$work/$name-$size-render")" "$(median <"$work/$name-$size-passes")" \
            "$(median <"$work/$name-$size-frame")" "$(median <"$work/$name-$size-run")"
    done
done
