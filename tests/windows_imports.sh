#!/usr/bin/env bash
# The Windows programs import only from the system: KERNEL32, USER32, GDI32, OPENGL32 and the C
# runtime. Anything else (libstdc++, libgcc, winpthread DLLs) would have to ship beside them.
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
done
[ $status -eq 0 ] && echo "imports: $# passed, 0 failed"
exit $status
