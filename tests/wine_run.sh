#!/usr/bin/env bash
# Runs a cross-built test program under Wine. Where this Wine cannot start it at all (a 32-bit
# program where only the 64-bit Wine can run), the test is skipped (status 77) and says why.
set -u
if ! listing=$(wine "$1" --gtest_list_tests 2>&1) || ! grep -q '^  ' <<<"$listing"; then
    . "$(dirname "$0")/skip.sh"
    skip "this Wine cannot run $(basename "$1"): $(head -n 1 <<<"$listing")"
fi
exec wine "$@"
