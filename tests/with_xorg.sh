#!/usr/bin/env bash
# Runs a command against a private Xorg server with the dummy video driver, and stops the
# server afterwards whatever happens. Exits 77 (skipped) where Xorg or the driver is missing.
# VELLUM_XORG_ARGS adds server options (such as -extension GLX); VELLUM_XORG_SCREEN=WxH makes
# the screen that size at most, with that one mode (a small laptop's).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/skip.sh"
command -v Xorg >/dev/null || skip "Xorg is not installed"
[ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || skip "the dummy video driver is not installed"

log=$(mktemp /tmp/vellum-xorg.XXXXXX)
config=$here/xorg-dummy.conf
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; wait 2>/dev/null; rm -f "$log" "$log.conf"' EXIT
if [ -n "${VELLUM_XORG_SCREEN:-}" ]; then
    config=$log.conf
    sed -e "s/^\( *Virtual\) .*/\1 ${VELLUM_XORG_SCREEN/x/ }/" -e "s/^\( *Modes\) .*/\1 \"$VELLUM_XORG_SCREEN\"/" \
        "$here/xorg-dummy.conf" >"$config"
fi

# The first free display number from 70 on; another run may take it at the same moment, in
# which case that server stops at once and the next number is tried.
for n in $(seq 70 99); do
    [ -e /tmp/.X$n-lock ] && continue
    Xorg :$n -config "$config" -noreset -nolisten tcp -logfile "$log" ${VELLUM_XORG_ARGS:-} >/dev/null 2>&1 &
    server=$!
    ours() { [ "$(tr -d ' \n' 2>/dev/null </tmp/.X$n-lock)" = "$server" ] && [ -e /tmp/.X11-unix/X$n ]; }
    for _ in $(seq 100); do
        ours && break
        kill -0 $server 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $server 2>/dev/null && ours; then
        DISPLAY=:$n "$@"
        exit $?
    fi
    server=
done
echo "no private Xorg server could be started:"
cat "$log"
exit 1
