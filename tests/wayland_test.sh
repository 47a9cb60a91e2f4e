#!/usr/bin/env bash
# The programs in a real Wayland session: headless westons, one with Xwayland.
#  - GLFW's Wayland build (EGL, no accumulation buffer) and Debian's X11 build under Xwayland
#    both render the pinned frame (tests/picture.sha256), or one that differs only where this
#    OpenGL places edges differently;
#  - on Wayland itself, where no mode can change, each deliverable fills an output of the
#    other size with its frame scaled to fit, ends by SIGTERM as the signal would, and ends
#    with status 1 and one line when the compositor dies under it;
#  - under Xwayland the deliverable prints nothing.
# Exits 77 (skipped) when weston, Xwayland or GLFW's Wayland build is not at hand.
set -u
. "$(dirname "$0")/skip.sh"
bin=$1
fit_check=$2
work=$(mktemp -d)
westons=
trap 'for w in $westons; do kill $w 2>/dev/null; done; wait 2>/dev/null; rm -rf "$work"' EXIT

wayland_glfw=$(find -L "$bin/wayland-glfw" -name 'libglfw.so.3' 2>/dev/null | head -n 1)
for need in weston Xwayland weston-screenshooter; do
    command -v $need >/dev/null || skip "$need is not installed"
done
[ -n "$wayland_glfw" ] || skip "GLFW's Wayland build is not unpacked in $bin/wayland-glfw"

fail() { echo "FAILED: $*"; exit 1; }

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR" "$work/shots"
# A compositor with pixels to take screenshots of (--debug offers the screenshooter).
start_weston() {  # NAME WIDTH HEIGHT [OPTIONS]: the compositor's process id in $weston
    weston --backend=headless-backend.so --use-pixman --debug --width=$2 --height=$3 --socket=$1 "${@:4}" \
        >"$work/$1.log" 2>&1 &
    weston=$!
    westons="$westons $weston"
    for _ in $(seq 100); do
        [ -S "$XDG_RUNTIME_DIR/$1" ] && return
        sleep 0.1
    done
    fail "weston did not start: $(cat "$work/$1.log")"
}
start_weston small 1280 720 --xwayland
small=$weston
start_weston large 1920 1080
for _ in $(seq 100); do
    grep -q 'xserver listening on display' "$work/small.log" && break
    sleep 0.1
done
xwayland_display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/small.log")
[ -n "$xwayland_display" ] || fail "Xwayland did not start: $(cat "$work/small.log")"

on_wayland() {  # SOCKET PROGRAM ARGS...
    env -u DISPLAY WAYLAND_DISPLAY=$1 LD_LIBRARY_PATH=$(dirname "$wayland_glfw") "${@:2}"
}

# The pinned frame, or one whose edges only this OpenGL places differently.
pinned() { "$bin/tests/picture_check_$1" frame "$2"; }

# Wayland through EGL: no accumulation buffer, so Vellum's own OpenGL draws the passes.
on_wayland small "$bin/vellum-capture-720" "$work/720.png" --timings 2>"$work/timings.txt" || fail "capture on Wayland"
grep -q 'accumulation buffer: 0 bits' "$work/timings.txt" || fail "Wayland gave an accumulation buffer"
pinned 720 "$work/720.png" || fail "the Wayland frame is not the pinned frame"
on_wayland small "$bin/vellum-capture-1080" "$work/1080.png" || fail "capture of 1920 x 1080 on Wayland"

# Xwayland through Debian's X11 build of GLFW; its deliverable prints nothing (Xwayland has no
# screen saver extension to ask for).
DISPLAY=$xwayland_display "$bin/vellum-capture-720" "$work/xwayland.png" || fail "capture on Xwayland"
pinned 720 "$work/xwayland.png" || fail "the Xwayland frame is not the pinned frame"
DISPLAY=$xwayland_display "$bin/vellum-720" 2>"$work/xwayland.txt" &
program=$!
for _ in $(seq 200); do  # the desktop is held once its guardian runs
    pgrep -P $program >/dev/null && break
    sleep 0.05
done
kill -TERM $program
wait $program
[ $? -eq 143 ] || fail "vellum-720 on Xwayland did not end by SIGTERM"
[ ! -s "$work/xwayland.txt" ] || fail "vellum-720 on Xwayland printed: $(cat "$work/xwayland.txt")"

# Until a screenshot of the output shows FRAME scaled to fit it.
shows() {  # SOCKET FRAME
    for _ in $(seq 60); do
        rm -f "$work"/shots/*.png
        (cd "$work/shots" && WAYLAND_DISPLAY=$1 weston-screenshooter >/dev/null 2>&1)
        "$fit_check" "$2" "$work"/shots/*.png >"$work/fit.txt" 2>&1 && return 0
        sleep 0.5
    done
    cat "$work/fit.txt"
    return 1
}

# The deliverables on Wayland, each on an output of the other size: full screen, the frame
# scaled to fit. Ended by SIGTERM, vellum-720 ends as the signal would, quietly; with the
# compositor gone, vellum-1080 fails and says so in one line.
ended() {  # SOCKET SIZE END: the status of vellum-SIZE once END is done to it
    on_wayland $1 "$bin/vellum-$2" 2>"$work/$2.txt" &
    program=$!
    shows $1 "$work/$2.png" || fail "vellum-$2 does not show its whole frame scaled to the $1 output"
    eval "$3"
    wait $program
}
ended large 720 'kill -TERM $program'
status=$?
[ $status -eq 143 ] || fail "vellum-720 on Wayland ended with status $status, not by SIGTERM"
[ ! -s "$work/720.txt" ] || fail "vellum-720 printed: $(cat "$work/720.txt")"
ended small 1080 'kill -KILL $small'
status=$?
[ $status -eq 1 ] || fail "vellum-1080 ended with status $status when the compositor died"
[ "$(wc -l <"$work/1080.txt")" -eq 1 ] && grep -q 'Wayland' "$work/1080.txt" ||
    fail "vellum-1080 said, when the compositor died: $(cat "$work/1080.txt")"
echo "Wayland: 1 passed, 0 failed"
