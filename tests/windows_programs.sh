#!/usr/bin/env bash
# The Windows programs as shipped: each imports only from the system (KERNEL32, USER32, GDI32,
# OPENGL32 and the C runtime; anything else would have to ship beside it), stays within
# 96 KiB (it carries Vellum's own OpenGL), and has its manifest (DPI awareness), icon and
# version.
status=0
for program in "$@"; do
    imports=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
    [ -n "$imports" ] || { echo "$program: no import table found"; status=1; }
    for dll in $imports; do
        case "${dll,,}" in
            kernel32.dll|user32.dll|gdi32.dll|opengl32.dll|msvcrt.dll) ;;
            *) echo "$program imports $dll"; status=1 ;;
        esac
    done
    size=$(stat -c %s "$program")
    [ "$size" -le 98304 ] || { echo "$program is $size bytes, more than 96 KiB"; status=1; }
    grep -q '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2' "$program" ||
        { echo "$program has no per-monitor DPI awareness in its manifest"; status=1; }
    # The resource types at the top of the resource directory: icon, icon group, version, manifest.
    types=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^0[0-9a-f]*   Entry: ID: 0x0000\(..\),.*/\1/p' | tr '\n' ' ')
    [ "$types" = "03 0e 10 18 " ] || { echo "$program has resources of types $types, not 03 0e 10 18"; status=1; }
done
[ $status -eq 0 ] && echo "Windows programs: $# passed, 0 failed"
exit $status
