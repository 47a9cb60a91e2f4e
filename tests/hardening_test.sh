#!/usr/bin/env bash
# Each program is a position-independent executable with full RELRO, stack protectors and
# fortified library calls.
status=0
for program in "$@"; do
    headers=$(readelf -h -d -l --dyn-syms -W "$program")
    grep -q 'Type:.*DYN' <<<"$headers" || { echo "$program: not position-independent"; status=1; }
    grep -q 'GNU_RELRO' <<<"$headers" || { echo "$program: no RELRO segment"; status=1; }
    grep -q 'BIND_NOW\|FLAGS.*NOW' <<<"$headers" || { echo "$program: relocations not bound at start-up"; status=1; }
    grep -q '__stack_chk_fail' <<<"$headers" || { echo "$program: no stack protector"; status=1; }
    grep -q '_chk@' <<<"$headers" || { echo "$program: no fortified calls"; status=1; }
done
[ $status -eq 0 ] && echo "hardening: $# passed, 0 failed"
exit $status
