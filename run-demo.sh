#!/usr/bin/env bash
# The demo on a fresh Debian machine: installs what is missing, builds the native preset and
# runs the reference host's demo on the module.
set -eu
cd "$(dirname "$0")"
scripts/install-deps.sh native
scripts/build.sh native > build-native.log 2>&1 || { tail -40 build-native.log; exit 1; }
exec build/native/qentsim demo
