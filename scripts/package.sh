#!/usr/bin/env bash
# Builds the release packages into build/packages/: the Windows installer
# qentlink-<version>-win64-setup.exe, the archive qentlink-<version>-win64.zip and the Debian
# package qentlink_<version>_amd64.deb. Installs what is missing and builds what the packages
# hold (the windows and release presets), so it works from a clean checkout.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
out=build/packages
mkdir -p "$out"
for preset in windows release; do
  programs=(qentlink plugprobe plugscan)
  [ "$preset" = release ] && programs+=(qentsim)
  if ! scripts/build.sh "$preset" "${programs[@]}" > "build-package-$preset.log" 2>&1; then
    tail -40 "build-package-$preset.log" >&2
    echo "package: the $preset build failed" >&2
    exit 1
  fi
  if ! (cd "build/$preset" && cpack -B "$PWD/../packages") > "build-package-$preset.log" 2>&1; then
    tail -40 "build-package-$preset.log" >&2
    echo "package: cpack failed for $preset" >&2
    exit 1
  fi
done
# CPack's own working folders are no part of the result.
rm -rf "$out/_CPack_Packages"
ls -1 "$out"/*.exe "$out"/*.zip "$out"/*.deb
