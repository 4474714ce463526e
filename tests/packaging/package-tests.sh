#!/usr/bin/env bash
# The packaging suite: the packages scripts/package.sh built, used as a user would use them.
# Windows: the version resources of the built and the installed binaries; the archive's files;
# the installer run silently into a fresh Wine prefix (its folders, the list of installed
# programs, the installed module loaded by the reference host, a module in use left alone) and
# its uninstaller (what it installed goes, what the user put beside it stays). Linux: the
# Debian package's declared dependencies, installed into and removed from a scratch root, and
# the demo run from the installed files.
# Usage: tests/packaging/package-tests.sh [PACKAGES_DIR]   (default build/packages)
# Prints one line per check and ends with "N passed, N failed".
set -u
cd "$(dirname "$0")/../.." || exit 1
packages="${1:-build/packages}"
version=$(sed -n 's/^project(qentlink VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
passed=0
failed=0
scratch=$(mktemp -d)
export WINEPREFIX="$scratch/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  # Only this suite's own Wine server: the prefix is ours alone.
  [ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1
  rm -rf "$scratch"
}
trap cleanup EXIT

pass() { echo "PASS $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }

# version_resource_problem FILE NAME: what is wrong with FILE's version resource, or nothing.
version_resource_problem() {
  local file="$1" name="$2" rc major minor patch
  if ! rc=$(x86_64-w64-mingw32-windres -i "$file" -O rc 2>&1); then
    echo "windres cannot read it: $rc"
    return
  fi
  IFS=. read -r major minor patch <<<"$version"
  local expected=(
    "FILEVERSION $major, $minor, $patch, 0"
    "PRODUCTVERSION $major, $minor, $patch, 0"
    "VALUE \"FileVersion\", \"$version\""
    "VALUE \"ProductVersion\", \"$version\""
    "VALUE \"ProductName\", \"qentlink\""
    "VALUE \"OriginalFilename\", \"$name\""
  )
  local line
  for line in "${expected[@]}"; do
    grep -qF "$line" <<<"$rc" || { echo "no '$line' in: $rc"; return; }
  done
  grep -qE 'VALUE "FileDescription", "[^"]+"' <<<"$rc" || echo "no description in: $rc"
}

# check_version_resources LABEL DIR: the four Windows binaries under DIR.
check_version_resources() {
  local label="$1" dir="$2" name problem
  for name in qentlink.hox3 plugprobe.exe plugscan.exe qentsim.exe; do
    [ -f "$dir/$name" ] || continue
    problem=$(version_resource_problem "$dir/$name" "$name")
    if [ -z "$problem" ]; then pass "$label: version resource of $name"; else
      fail "$label: version resource of $name" "$problem"; fi
  done
}

win=build/windows
setup="$packages/qentlink-$version-win64-setup.exe"
archive="$packages/qentlink-$version-win64.zip"
deb="$packages/qentlink_${version}_amd64.deb"

# ---------------------------------------------------------------- the built programs

for program in plugscan qentsim; do
  out=$(build/release/$program --version 2>&1)
  if [ "$out" = "$program $version" ]; then pass "$program --version"; else
    fail "$program --version" "printed '$out'"; fi
done
check_version_resources "build" "$win"
# plugprobe keeps its command line: one argument is too few, so it does nothing and says nothing.
out=$(build/release/plugprobe --version 2>&1)
rc=$?
if [ -z "$out" ] && [ "$rc" -eq 0 ]; then pass "plugprobe --version prints nothing"; else
  fail "plugprobe --version prints nothing" "exit $rc, printed '$out'"; fi

# ---------------------------------------------------------------- the archive

listing=$(python3 - "$archive" <<'PY' 2>&1
import sys, zipfile
print("\n".join(sorted(n for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))))
PY
)
top="qentlink-$version-win64"
want=$(printf '%s\n' "$top/HOX3/qentlink.hox3" "$top/INSTALL.txt" "$top/README.txt" \
  "$top/plugprobe.exe" "$top/plugscan.exe")
if [ "$listing" = "$want" ]; then pass "archive holds the module, the tools and the notes"; else
  fail "archive holds the module, the tools and the notes" "holds: $listing"; fi
# The installer must put down the very files of the archive (both stripped, unlike the build's).
python3 -m zipfile -e "$archive" "$scratch/zip"
shipped="$scratch/zip/$top"

# ---------------------------------------------------------------- the installer under Wine

drive="$WINEPREFIX/drive_c"
wineboot -i >/dev/null 2>&1
wineserver -w
modules="$drive/Program Files/Common Files/HOX3"
tools="$drive/Program Files/qentlink"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\qentlink'
# Everything under the program files folders, to compare before the install and after the
# uninstall.
program_files() { (cd "$drive" && find "Program Files" "Program Files (x86)" 2>/dev/null | sort); }
before=$(program_files)

# Default folders.
wine "$setup" /S >/dev/null 2>&1
rc=$?
wineserver -w
missing=""
for f in "$modules/qentlink.hox3" "$tools/plugprobe.exe" "$tools/plugscan.exe" \
  "$tools/README.txt" "$tools/Uninstall.exe"; do
  [ -f "$f" ] || missing+=" ${f#"$drive"/}"
done
if [ "$rc" -eq 0 ] && [ -z "$missing" ] && cmp -s "$modules/qentlink.hox3" "$shipped/HOX3/qentlink.hox3"; then
  pass "silent install: module in Common Files\\HOX3, tools and README in Program Files\\qentlink"
else
  fail "silent install into the default folders" "exit $rc, missing:$missing"
fi
check_version_resources "installed" "$tools"
check_version_resources "installed" "$modules"

key=$(wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
if grep -q "DisplayVersion.*$version" <<<"$key" && grep -q 'UninstallString.*Uninstall.exe' <<<"$key"; then
  pass "installed programs list the uninstaller"
else
  fail "installed programs list the uninstaller" "key: $key"
fi

# The installed module through its exports, as a host loads it.
out=$(wine "$win/qentsim.exe" classes --module 'C:\Program Files\Common Files\HOX3\qentlink.hox3' 2>&1 | tr -d '\r')
rc=$?
if [ "$rc" -eq 0 ] && grep -q '^classes: 3$' <<<"$out" && grep -q 'category "Service"' <<<"$out" &&
  grep -q 'category "Remote Devices"' <<<"$out" && grep -q 'category "Device Detection"' <<<"$out"; then
  pass "the installed module's factory and classes"
else
  fail "the installed module's factory and classes" "exit $rc: $out"
fi

# The installed tools together: plugscan finds plugprobe beside it.
out=$(wine "$tools/plugscan.exe" --cache 'C:\scan-cache.json' 'C:\Program Files\Common Files\HOX3' 2>&1 | tr -d '\r')
rc=$?
if [ "$rc" -eq 0 ] && grep -q 'no-instrument' <<<"$out"; then
  pass "the installed plugscan runs the installed plugprobe"
else
  fail "the installed plugscan runs the installed plugprobe" "exit $rc: $out"
fi
rm -f "$drive/scan-cache.json"

# A module a host has loaded is not replaced: the installer stops, changing nothing.
holder="$win/tests/module_holder.exe"
# Built with the windows preset's tests; scripts/package.sh alone does not build it.
[ -f "$holder" ] || scripts/build.sh windows module_holder >/dev/null 2>&1
if [ -f "$holder" ]; then
  mkfifo "$scratch/holder-in" "$scratch/holder-out"
  wine "$holder" 'C:\Program Files\Common Files\HOX3\qentlink.hox3' <"$scratch/holder-in" \
    >"$scratch/holder-out" 2>/dev/null &
  holder_pid=$!
  exec 7>"$scratch/holder-in"
  read -r said <"$scratch/holder-out"
  said=${said%$'\r'}
  printf 'changed' >"$tools/README.txt"
  wine "$setup" /S >/dev/null 2>&1
  rc=$?
  readme=$(cat "$tools/README.txt")
  # The uninstaller likewise, run in place (_?=) so that its exit code is its own; the short
  # name, since _?= takes the rest of the line and Wine would quote a path with a blank.
  wine 'C:\Program Files\qentlink\Uninstall.exe' /S '_?=C:\PROGRA~1\qentlink' >/dev/null 2>&1
  un_rc=$?
  exec 7>&-
  wait "$holder_pid"
  wineserver -w
  if [ "$said" = loaded ] && [ "$rc" -ne 0 ] && [ "$readme" = changed ] &&
    cmp -s "$modules/qentlink.hox3" "$shipped/HOX3/qentlink.hox3"; then
    pass "an install over a loaded module stops and changes nothing"
  else
    fail "an install over a loaded module stops and changes nothing" \
      "holder said '$said', installer exit $rc, README now '$readme'"
  fi
  if [ "$said" = loaded ] && [ "$un_rc" -ne 0 ] && [ -f "$modules/qentlink.hox3" ] &&
    [ -f "$tools/plugscan.exe" ] && [ -f "$tools/Uninstall.exe" ]; then
    pass "an uninstall while the module is loaded stops and removes nothing"
  else
    fail "an uninstall while the module is loaded stops and removes nothing" "exit $un_rc"
  fi
  # Once the host lets go, the same install goes through.
  wine "$setup" /S >/dev/null 2>&1
  rc=$?
  wineserver -w
  if [ "$rc" -eq 0 ] && cmp -s "$tools/README.txt" "$shipped/README.txt"; then
    pass "the install goes through once the module is free"
  else
    fail "the install goes through once the module is free" "exit $rc"
  fi
else
  fail "an install over a loaded module stops and changes nothing" "$holder not built"
fi

# The uninstaller runs a copy of itself and returns at once: wineserver -w waits for it.
wine 'C:\Program Files\qentlink\Uninstall.exe' /S >/dev/null 2>&1
wineserver -w
after=$(program_files)
if [ "$after" = "$before" ] && ! wine reg query "$uninstall_key" >/dev/null 2>&1; then
  pass "uninstall removes every file, folder and registry entry it made"
else
  fail "uninstall removes every file, folder and registry entry it made" \
    "left: $(diff <(echo "$before") <(echo "$after") | tr '\n' ' ')"
fi

# Chosen folders, and files of the user's own beside the installed ones.
mkdir -p "$drive/Audio/Modules"
printf 'other' >"$drive/Audio/Modules/other.hox3"
wine "$setup" /S '/MODULEDIR=C:\Audio\Modules' '/D=C:\Tools\qentlink' >/dev/null 2>&1
rc=$?
wineserver -w
if [ "$rc" -eq 0 ] && [ -f "$drive/Audio/Modules/qentlink.hox3" ] &&
  [ -f "$drive/Tools/qentlink/plugscan.exe" ] && [ ! -e "$modules" ]; then
  pass "silent install into chosen folders (/MODULEDIR=, /D=)"
else
  fail "silent install into chosen folders (/MODULEDIR=, /D=)" "exit $rc"
fi
printf 'mine' >"$drive/Tools/qentlink/notes.txt"
wine 'C:\Tools\qentlink\Uninstall.exe' /S >/dev/null 2>&1
wineserver -w
left=$(cd "$drive" && find Tools Audio | sort | tr '\n' ' ')
want="Audio Audio/Modules Audio/Modules/other.hox3 Tools Tools/qentlink Tools/qentlink/notes.txt "
if [ "$left" = "$want" ]; then
  pass "uninstall keeps the user's files and the folders that hold them"
else
  fail "uninstall keeps the user's files and the folders that hold them" "left: $left"
fi
wineserver -k >/dev/null 2>&1

# ---------------------------------------------------------------- the Debian package

depends=$(dpkg-deb -f "$deb" Depends 2>&1)
if grep -q 'libc6' <<<"$depends" && grep -q 'libstdc++6' <<<"$depends" &&
  apt-get install -s "./$deb" >/dev/null 2>&1; then
  pass "the .deb declares its libraries and apt can install it"
else
  fail "the .deb declares its libraries and apt can install it" "Depends: $depends"
fi

root="$scratch/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# The scratch root's own package list is empty: its libraries are the machine's, checked above.
dpkg_root=(dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless)
out=$("${dpkg_root[@]}" -i "$deb" 2>&1)
rc=$?
if [ "$rc" -eq 0 ] && [ -x "$root/usr/bin/qentsim" ] && [ -x "$root/usr/bin/plugscan" ] &&
  [ -x "$root/usr/bin/plugprobe" ] && [ -f "$root/usr/lib/qentlink/qentlink.hox3" ] &&
  cmp -s "$root/usr/share/doc/qentlink/qentsim.md" sim/README.md; then
  pass "the .deb installs plugprobe, plugscan and qentsim with the module and the manuals"
else
  fail "the .deb installs plugprobe, plugscan and qentsim with the module and the manuals" \
    "exit $rc: $out"
fi
out=$("$root/usr/bin/qentsim" demo 2>&1)
rc=$?
if [ "$rc" -eq 0 ] && grep -q '+-- keyboard 1 ' <<<"$out"; then
  pass "qentsim demo from the installed files"
else
  fail "qentsim demo from the installed files" "exit $rc: $(tail -5 <<<"$out")"
fi
out=$("$root/usr/bin/plugscan" --version 2>&1)
if [ "$out" = "plugscan $version" ]; then pass "the installed plugscan --version"; else
  fail "the installed plugscan --version" "printed '$out'"; fi
out=$("${dpkg_root[@]}" -r qentlink 2>&1)
rc=$?
left=$(cd "$root" && find . -path ./var -prune -o -print | sed 1d)
if [ "$rc" -eq 0 ] && [ -z "$left" ]; then
  pass "the .deb removes cleanly"
else
  fail "the .deb removes cleanly" "exit $rc, left: $left $out"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
