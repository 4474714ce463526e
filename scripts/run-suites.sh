#!/usr/bin/env bash
# Runs every test program of one built preset, each as one process, and prints one line
# "N passed, N failed" for that preset. Usage: scripts/run-suites.sh native|windows
set -u
cd "$(dirname "$0")/.."
preset="$1"
dir="build/$preset"
runner=()
suffix=""
if [ "$preset" = windows ]; then
  runner=(wine)
  suffix=".exe"
  # No debugger for a crashing program: Wine would spend seconds starting it for each crash the
  # tests provoke (the scanner's time limits count them).
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
fi
passed=0
failed=0
shopt -s nullglob
for prog in "$dir"/tests/*_tests$suffix; do
  name=$(basename "$prog")
  out=$(timeout 1200 "${runner[@]}" "$prog" 2>&1)
  rc=$?
  p=$(printf '%s\n' "$out" | sed -n 's/^\[  PASSED  \] \([0-9]\+\) test.*/\1/p' | tail -1)
  f=$(printf '%s\n' "$out" | sed -n 's/^\[  FAILED  \] \([0-9]\+\) test.*/\1/p' | tail -1)
  p=${p:-0}
  f=${f:-0}
  if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then
    f=1  # crashed or timed out before it could report
  fi
  if [ "$f" -ne 0 ]; then
    printf '%s\n' "$out" | grep -E -A4 '^\[  FAILED  \]|Failure|ERROR|Sanitizer' | head -60
  fi
  echo "[$preset] $name: $p passed, $f failed"
  passed=$((passed + p))
  failed=$((failed + f))
done
# Scenario suites of the reference host, every file in one run: a file that kills the host
# leaves its module behind, and qentsim gives every host after it a module of its own.
qentsim="$dir/qentsim$suffix"
all=(tests/scenarios/*.qscn)
# The tsan preset builds only the threaded test programs; every other one runs every file.
if [ "$preset" != tsan ] && ! { [ -x "$qentsim" ] && "${runner[@]}" "$qentsim" run --help >/dev/null 2>&1; }; then
  echo "[$preset] scenarios: $qentsim does not run"
  failed=$((failed + 1))
elif [ "$preset" != tsan ] && [ ${#all[@]} -gt 0 ]; then
  out=$(timeout 1800 "${runner[@]}" "$qentsim" run "${all[@]}" 2>&1)
  line=$(printf '%s\n' "$out" | tail -1)
  sp=$(printf '%s' "$line" | sed -n 's/^\([0-9]\+\) passed, \([0-9]\+\) failed.*/\1/p')
  sf=$(printf '%s' "$line" | sed -n 's/^\([0-9]\+\) passed, \([0-9]\+\) failed.*/\2/p')
  # Every file runs on every build: a file reported as skipped is a failure, so that a build
  # can never quietly lose coverage.
  ss=$(printf '%s\n' "$out" | grep -c '^SKIP')
  printf '%s\n' "$out" | grep -E '^(FAIL|SKIP)' | head -40
  sp=${sp:-0}
  sf=${sf:-1}  # no summary: the run itself failed
  sf=$((sf + ss))
  echo "[$preset] scenarios: $sp passed, $sf failed"
  passed=$((passed + sp))
  failed=$((failed + sf))
fi
echo "$passed passed, $failed failed"
