#!/usr/bin/env bash
# The Windows download holds exactly the four programs and the README, and the programs in it
# are the ones just built.
set -u
zip=$1 builds=$2
listing=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
expected="LICENSE.txt README.txt x64/vellum-1080.exe x64/vellum-720.exe x86/vellum-1080.exe x86/vellum-720.exe "
[ "$listing" = "$expected" ] || { echo "FAILED: $zip holds: $listing"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
for program in x64/vellum-1080.exe x64/vellum-720.exe x86/vellum-1080.exe x86/vellum-720.exe; do
    cmp -s "$work/$program" "$builds/$program" || { echo "FAILED: $program in $zip is not the one built"; exit 1; }
done
grep -q 'Escape quits' "$work/README.txt" || { echo "FAILED: README.txt does not say how to quit"; exit 1; }
echo "$(basename "$zip"): 1 passed, 0 failed"
