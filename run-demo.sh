#!/usr/bin/env bash
# The demo on a fresh Debian machine: installs what is missing, builds the release preset's
# module and reference host and runs the reference host's demo on the module.
set -eu
cd "$(dirname "$0")"
scripts/install-deps.sh native
scripts/build.sh release qentlink qentsim > build-release.log 2>&1 ||
  { tail -40 build-release.log; exit 1; }
exec build/release/qentsim demo
