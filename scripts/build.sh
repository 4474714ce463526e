#!/usr/bin/env bash
# Configures and builds one preset: scripts/build.sh native|windows
set -eu
cd "$(dirname "$0")/.."
preset="$1"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2
