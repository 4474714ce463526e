#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Usage: scripts/install-deps.sh [native|windows|fuzz|package|browser|all]
set -u
want="${1:-all}"
# python3-jsonschema: the scanner tests check its JSON report against the schema.
# libcivetweb-dev: the embedded web server (HTTP and WebSocket) behind qentsim serve.
pkgs=(python3 python3-jsonschema cmake ninja-build g++ libgtest-dev libbenchmark-dev zlib1g-dev
      libexpat1-dev nlohmann-json3-dev libcivetweb-dev)
if [ "$want" = windows ] || [ "$want" = package ] || [ "$want" = all ]; then
  pkgs+=(g++-mingw-w64-x86-64 googletest wine wine64)
fi
# The packages: nsis makes the Windows installer, dpkg-dev (dpkg-shlibdeps) and file find the
# Debian package's dependencies.
if [ "$want" = package ] || [ "$want" = all ]; then
  pkgs+=(nsis dpkg-dev file)
fi
# The page of qentsim serve is tested in a real browser: headless Chromium driven through its
# WebDriver with Debian's selenium; the same drive the README's pictures.
if [ "$want" = browser ] || [ "$want" = all ]; then
  pkgs+=(chromium chromium-driver python3-selenium)
fi
# clang with its runtime libraries (libFuzzer and the sanitizers) for the fuzz preset.
if [ "$want" = fuzz ] || [ "$want" = all ]; then
  pkgs+=(clang libclang-rt-dev)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq >/dev/null 2>&1 || true
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
