#!/usr/bin/env bash
# The Windows download holds exactly a program of each resolution and the screen saver for each
# processor, the README and the licence, and the programs in it are the ones just built.
set -u
zip=$1 builds=$2
programs=$(for arch in x64 x86; do
    awk -v arch=$arch '/^[0-9]/ { print arch "/vellum-" $1 ".exe" }' "$(dirname "$0")/../cmake/resolutions.txt"
    echo $arch/vellum.scr
done)
listing=$(cmake -E tar tf "$zip" | LC_ALL=C sort | tr '\n' ' ')
expected=$(printf '%s\n' LICENSE.txt README.txt $programs | LC_ALL=C sort | tr '\n' ' ')
[ "$listing" = "$expected" ] || { echo "FAILED: $zip holds: $listing"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
for program in $programs; do
    cmp -s "$work/$program" "$builds/$program" || { echo "FAILED: $program in $zip is not the one built"; exit 1; }
done
grep -q 'Escape quits' "$work/README.txt" || { echo "FAILED: README.txt does not say how to quit"; exit 1; }
echo "$(basename "$zip"): 1 passed, 0 failed"
