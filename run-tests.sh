#!/usr/bin/env bash
# The whole test suite on a fresh Debian machine: installs what is missing, checks the includes
# against the layer table, builds the release, native and Windows presets and runs every test of
# each, tests qentsim serve's page in headless Chromium, builds the release packages and tests
# them, runs the threaded tests and the foreign binaries once more under ThreadSanitizer, runs
# every fuzz target briefly, and ends with one line "N passed, N failed".
set -u
cd "$(dirname "$0")"
scripts/install-deps.sh all
passed=0
failed=0
# Every #include against the layer table; one suite, failed by any upward or sideways include.
if out=$(scripts/check-includes.py 2>&1); then
  echo "[layers] include check: 1 passed, 0 failed"
  passed=$((passed + 1))
else
  printf '%s\n' "$out" | head -40
  echo "[layers] include check: 0 passed, 1 failed"
  failed=$((failed + 1))
fi
for preset in release native windows; do
  if scripts/build.sh "$preset" > "build-$preset.log" 2>&1; then
    out=$(scripts/run-suites.sh "$preset")
    printf '%s\n' "$out" | sed '$ s/^/['"$preset"'] total: /'
    line=$(printf '%s\n' "$out" | tail -1)
    passed=$((passed + $(echo "$line" | cut -d' ' -f1)))
    failed=$((failed + $(echo "$line" | cut -d' ' -f3)))
  else
    tail -40 "build-$preset.log" >&2
    echo "[$preset] build failed" >&2
    failed=$((failed + 1))
  fi
done
# The page of qentsim serve in headless Chromium, against the release build above: a person's
# session and the requests that must be refused.
out=$(tests/serve/run-browser-tests.sh build/release 2>&1)
printf '%s\n' "$out" | sed '$ s/^/[browser] page: /'
line=$(printf '%s\n' "$out" | tail -1)
bp=$(printf '%s' "$line" | sed -n 's/^\([0-9]\+\) passed, \([0-9]\+\) failed$/\1/p')
bf=$(printf '%s' "$line" | sed -n 's/^\([0-9]\+\) passed, \([0-9]\+\) failed$/\2/p')
passed=$((passed + ${bp:-0}))
failed=$((failed + ${bf:-1}))
# The release packages, built from the release and windows builds above and used as a user
# would: the installer under Wine, the archive, the Debian package in a scratch root.
if scripts/package.sh > build-package.log 2>&1; then
  out=$(timeout 900 tests/packaging/package-tests.sh build/packages 2>&1)
  printf '%s\n' "$out" | grep -v '^PASS' | sed '$ s/^/[package] packaging: /'
  line=$(printf '%s\n' "$out" | tail -1)
  pp=$(printf '%s' "$line" | sed -n 's/^\([0-9]\+\) passed, \([0-9]\+\) failed$/\1/p')
  pf=$(printf '%s' "$line" | sed -n 's/^\([0-9]\+\) passed, \([0-9]\+\) failed$/\2/p')
  passed=$((passed + ${pp:-0}))
  failed=$((failed + ${pf:-1}))
else
  tail -40 build-package.log >&2
  echo "[package] packaging failed" >&2
  failed=$((failed + 1))
fi
# The programs that start threads, under ThreadSanitizer; the foreign host drives the module's
# channel workers too; the scanner tests run plugscan, whose workers run the probes.
threaded=(platform_tests base_tests channel_tests hwremote_tests service_tests foreign_tests scanner_tests)
if scripts/build.sh tsan "${threaded[@]}" > build-tsan.log 2>&1; then
  out=$(scripts/run-suites.sh tsan)
  printf '%s\n' "$out" | sed '$ s/^/[tsan] total: /'
  line=$(printf '%s\n' "$out" | tail -1)
  passed=$((passed + $(echo "$line" | cut -d' ' -f1)))
  failed=$((failed + $(echo "$line" | cut -d' ' -f3)))
else
  tail -40 build-tsan.log >&2
  echo "[tsan] build failed" >&2
  failed=$((failed + 1))
fi
# Every fuzz target briefly (about two minutes in all), from its committed seeds and with its
# dictionary: one suite per target, failed by any finding (the input is kept under
# build/fuzz/findings/). The keyboard SysEx target, which drives the whole service, gets longest.
fuzzers=(fuzz_keyboard_sysex fuzz_setup_file fuzz_skin_package fuzz_skin_document
         fuzz_project_file fuzz_scenario_file fuzz_page_request fuzz_probe_description
         fuzz_probe_paths)
if scripts/build.sh fuzz "${fuzzers[@]}" > build-fuzz.log 2>&1; then
  mkdir -p build/fuzz/findings
  for target in "${fuzzers[@]}"; do
    name=${target#fuzz_}
    seconds=12
    [ "$target" = fuzz_keyboard_sysex ] && seconds=25
    corpus=$(mktemp -d)
    cp "fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null
    dict=()
    [ -f "fuzz/dict/$name.dict" ] && dict=(-dict="fuzz/dict/$name.dict")
    # Leak checks off: the host and the module's workers live across inputs by design. Off for
    # the sanitizer's check at exit too, which would stop the world while those workers end.
    if out=$(ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        timeout 300 "build/fuzz/$target" -max_total_time=$seconds -detect_leaks=0 \
        -entropic=0 "${dict[@]}" -artifact_prefix=build/fuzz/findings/ "$corpus" 2>&1); then
      echo "[fuzz] $name: 1 passed, 0 failed"
      passed=$((passed + 1))
    else
      printf '%s\n' "$out" | grep -vE '^#[0-9]+' | tail -40
      echo "[fuzz] $name: 0 passed, 1 failed"
      failed=$((failed + 1))
    fi
    rm -rf "$corpus"
  done
else
  tail -40 build-fuzz.log >&2
  echo "[fuzz] build failed" >&2
  failed=$((failed + 1))
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
