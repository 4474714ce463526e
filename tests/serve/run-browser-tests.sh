#!/usr/bin/env bash
# The page of `qentsim serve` in headless Chromium (python3-selenium with chromium-driver):
# prints PASS/FAIL per scenario and ends with "N passed, N failed".
# Usage: tests/serve/run-browser-tests.sh [BUILD_DIR]   (default build/release)
set -u
cd "$(dirname "$0")/../.."
build="${1:-build/release}"
if [ ! -x "$build/qentsim" ]; then
  echo "FAIL page: $build/qentsim is not built"
  echo "0 passed, 1 failed"
  exit 1
fi
# Debian's selenium belongs to Debian's Python, whatever python3 is first on the PATH.
exec timeout 240 /usr/bin/python3 tests/serve/browser_tests.py "$build/qentsim"
