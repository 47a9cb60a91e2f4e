#!/usr/bin/env bash
# The programs in a real Wayland session: a headless weston with Xwayland.
#  - GLFW's Wayland build (EGL, no accumulation buffer) and Debian's X11 build under Xwayland
#    both render the pinned frame (tests/picture.sha256), or one that differs only where this
#    OpenGL places edges differently;
#  - vellum-720 runs there, prints nothing and ends by SIGTERM as the signal would.
# Exits 77 (skipped) when weston, Xwayland or GLFW's Wayland build is not at hand.
set -u
. "$(dirname "$0")/skip.sh"
bin=$1
work=$(mktemp -d)
weston=
trap '[ -n "$weston" ] && kill $weston 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

wayland_glfw=$(find -L "$bin/wayland-glfw" -name 'libglfw.so.3' 2>/dev/null | head -n 1)
for need in weston Xwayland; do
    command -v $need >/dev/null || skip "$need is not installed"
done
[ -n "$wayland_glfw" ] || skip "GLFW's Wayland build is not unpacked in $bin/wayland-glfw"

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --xwayland --width=1280 --height=720 --socket=vellum-test \
    >"$work/weston.log" 2>&1 &
weston=$!
for _ in $(seq 100); do
    grep -q 'xserver listening on display' "$work/weston.log" && break
    sleep 0.1
done
xwayland_display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log")
[ -n "$xwayland_display" ] || { echo "weston did not start:"; cat "$work/weston.log"; exit 1; }

fail() { echo "FAILED: $*"; exit 1; }

# The pinned frame, or one whose edges only this OpenGL places differently.
pinned() { "$bin/tests/picture_check_720" frame "$1"; }

# Wayland through EGL: no accumulation buffer, so the CPU average.
env -u DISPLAY WAYLAND_DISPLAY=vellum-test LD_LIBRARY_PATH=$(dirname "$wayland_glfw") \
    "$bin/vellum-capture-720" "$work/wayland.png" --timings 2>"$work/timings.txt" || fail "capture on Wayland"
grep -q 'accumulation buffer: 0 bits' "$work/timings.txt" || fail "Wayland gave an accumulation buffer"
pinned "$work/wayland.png" || fail "the Wayland frame is not the pinned frame"

# Xwayland through Debian's X11 build of GLFW.
DISPLAY=$xwayland_display "$bin/vellum-capture-720" "$work/xwayland.png" || fail "capture on Xwayland"
pinned "$work/xwayland.png" || fail "the Xwayland frame is not the pinned frame"

# The deliverable itself on Wayland: quiet, and ended by SIGTERM.
env -u DISPLAY WAYLAND_DISPLAY=vellum-test LD_LIBRARY_PATH=$(dirname "$wayland_glfw") \
    "$bin/vellum-720" 2>"$work/stderr.txt" &
program=$!
sleep 8
kill -TERM $program
wait $program
status=$?
[ $status -eq 143 ] || fail "vellum-720 on Wayland ended with status $status, not by SIGTERM"
[ ! -s "$work/stderr.txt" ] || fail "vellum-720 printed: $(cat "$work/stderr.txt")"
echo "Wayland: 1 passed, 0 failed"
