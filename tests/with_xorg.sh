#!/usr/bin/env bash
# Runs a command against a private Xorg server with the dummy video driver, and stops the
# server afterwards whatever happens. Exits 77 (skipped) where Xorg or the driver is missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
command -v Xorg >/dev/null || { echo "skipped: Xorg is not installed"; exit 77; }
[ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || { echo "skipped: the dummy video driver is not installed"; exit 77; }

display=
for n in $(seq 70 99); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] || { display=:$n; break; }
done
[ -n "$display" ] || { echo "no free display number"; exit 1; }
log=$(mktemp /tmp/vellum-xorg.XXXXXX)
Xorg "$display" -config "$here/xorg-dummy.conf" -noreset -nolisten tcp -logfile "$log" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -f "$log"' EXIT
for _ in $(seq 100); do
    [ -e /tmp/.X11-unix/X${display#:} ] && break
    kill -0 $server 2>/dev/null || { echo "Xorg did not start:"; cat "$log"; exit 1; }
    sleep 0.1
done
DISPLAY=$display "$@"
