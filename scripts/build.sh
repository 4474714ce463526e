#!/usr/bin/env bash
# Configures and builds one preset, all of it or the targets named:
# scripts/build.sh release|native|tsan|windows [TARGET...]
set -eu
cd "$(dirname "$0")/.."
preset="$1"
shift
cmake --preset "$preset" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build --preset "$preset" -j2 --target "$@"
else
  cmake --build --preset "$preset" -j2
fi
