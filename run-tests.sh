#!/usr/bin/env bash
# The whole test suite on a fresh Debian machine: installs what is missing, builds the native
# and the Windows preset, runs every test of both, and ends with one line "N passed, N failed".
set -u
cd "$(dirname "$0")"
scripts/install-deps.sh all
passed=0
failed=0
for preset in native windows; do
  if scripts/build.sh "$preset" > "build-$preset.log" 2>&1; then
    line=$(scripts/run-suites.sh "$preset" | tee /dev/stderr | tail -1)
    passed=$((passed + $(echo "$line" | cut -d' ' -f1)))
    failed=$((failed + $(echo "$line" | cut -d' ' -f3)))
  else
    tail -40 "build-$preset.log" >&2
    echo "[$preset] build failed" >&2
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
