#!/usr/bin/env bash
# The fuzz campaign: every target (or those named) for CPU_SECONDS of processor time each
# (default 600), two at a time, each in one process, stopped once its own processor time
# (user and system) reaches the budget, so that a busy machine lengthens the run instead of
# shortening the search. Each grows its own corpus under build/fuzz/campaign/<target>/, started
# from the committed seeds and kept across runs; a finding goes to build/fuzz/findings/. Prints
# one line per target: CPU minutes, executions per second, edges at the end, corpus files and
# bytes, and whether it found anything.
#   fuzz/campaign.sh [CPU_SECONDS] [TARGET...]       e.g. fuzz/campaign.sh 600 probe_paths
set -u
cd "$(dirname "$0")/.."
budget=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(keyboard_sysex setup_file skin_package skin_document
                                     project_file scenario_file probe_description probe_paths)
scripts/build.sh fuzz "${targets[@]/#/fuzz_}" > build-fuzz.log 2>&1 || {
  tail -40 build-fuzz.log >&2
  exit 1
}
out=build/fuzz/campaign
mkdir -p "$out" build/fuzz/findings
ticks=$(getconf CLK_TCK)

# Processor seconds of one process so far (user and system, from /proc).
cpuSeconds() {
  awk -v t="$ticks" '{ sub(/^.*\) /, ""); print int(($12 + $13) / t) }' "/proc/$1/stat" 2>/dev/null
}

run() {
  local name=$1
  mkdir -p "$out/$name"
  cp -n "fuzz/corpus/$name"/* "$out/$name"/ 2>/dev/null
  # A wall-clock limit far beyond the budget only guards against a stall.
  local options=(-max_total_time=$((budget * 6)) -print_final_stats=1 -entropic=0
                 -artifact_prefix=build/fuzz/findings/"$name"-)
  [ -f "fuzz/dict/$name.dict" ] && options+=(-dict="fuzz/dict/$name.dict")
  # The keyboard and page targets keep their host and the module's workers across inputs by
  # design; the sanitizer's own check at exit is off for them too.
  local asan=${ASAN_OPTIONS:-}
  case "$name" in
    keyboard_sysex | page_request)
      options+=(-detect_leaks=0)
      asan="${asan:+$asan:}detect_leaks=0" ;;
  esac
  ASAN_OPTIONS=$asan "build/fuzz/fuzz_$name" "${options[@]}" "$out/$name" > "$out/$name.log" 2>&1 &
  local pid=$! used=0
  while kill -0 "$pid" 2>/dev/null; do
    used=$(cpuSeconds "$pid")
    if [ "${used:-0}" -ge "$budget" ]; then
      kill -INT "$pid"  # libFuzzer prints its final figures and exits with 72
      break
    fi
    sleep 5
  done
  wait "$pid"
  local status=$?
  [ "$status" -eq 72 ] && status=0
  echo "$status" > "$out/$name.status"
  echo "$used" > "$out/$name.cpu"
}

# Two at a time: the machine is shared.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run "${targets[i]}" &
  [ $((i + 1)) -lt ${#targets[@]} ] && run "${targets[i + 1]}" &
  wait
done

printf '%-18s %8s %10s %8s %14s %s\n' target cpu-min exec/s edges corpus result
for name in "${targets[@]}"; do
  log="$out/$name.log"
  execs=$(grep -oE 'stat::average_exec_per_sec: *[0-9]+' "$log" | grep -oE '[0-9]+$')
  edges=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)
  files=$(find "$out/$name" -type f | wc -l)
  bytes=$(du -sb "$out/$name" | cut -f1)
  cpu=$(awk '{ printf "%.1f", $1 / 60 }' "$out/$name.cpu" 2>/dev/null)
  result=clean
  [ "$(cat "$out/$name.status")" != 0 ] && result="FINDING (see $log)"
  printf '%-18s %8s %10s %8s %14s %s\n' "$name" "${cpu:-?}" "${execs:-?}" "${edges:-?}" "$files/${bytes}B" "$result"
done
