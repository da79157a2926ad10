#!/usr/bin/env bash
# Runs every fuzzing harness of a fuzz build for a set time and reports, per harness, the
# executions and whether it found a crash, a leak, a hang (over 1 s per input) or a
# sanitizer report. Exits 1 when any harness found something.
#   fuzz/run.sh [seconds per harness, default 30] [fuzz build directory, default build/fuzz]
# FUZZ_JOBS harnesses run side by side (default 2); FUZZ_RUNS, when set, also stops each
# harness after that many executions; FUZZ_FLAGS passes more libFuzzer flags (for example
# -fork=4 to spread one harness over four processes). New inputs collect in <build>/fuzz-corpus/<harness>
# (kept between runs, so campaigns go on where the last stopped); inputs that failed are
# saved as <build>/fuzz-artifacts/<harness>/crash-*, leak-*, timeout-* or oom-*.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
build="${2:-$root/build/fuzz}"
jobs="${FUZZ_JOBS:-2}"
runs="${FUZZ_RUNS:--1}"

harnesses=()
for program in "$build"/fuzz/*_fuzz; do
  [ -x "$program" ] && harnesses+=("$(basename "$program" _fuzz)")
done
if [ "${#harnesses[@]}" -eq 0 ]; then
  echo "no harnesses in $build/fuzz: configure with -DENABLE_FUZZING=ON and build 'fuzzers'" >&2
  exit 2
fi

# Binary catalogs are larger than the text files the other readers take.
max_len_of() {
  case "$1" in
    dgc_file | glass_catalog) echo 8192 ;;
    # Movies of a few small pictures.
    avi_file) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

# A harness that loads whole systems prepares them, and the stop search grows with the square
# of the surfaces (up to the readers' limit of a thousand): give them more than a second
# under the instrumentation before an input counts as a hang.
timeout_of() {
  case "$1" in
    system_file | system_image | component_library) echo 5 ;;
    *) echo 1 ;;
  esac
}

run_one() {
  local name="$1"
  local corpus="$build/fuzz-corpus/$name"
  local artifacts="$build/fuzz-artifacts/$name"
  local log="$build/fuzz-logs/$name.log"
  mkdir -p "$corpus" "$artifacts" "$build/fuzz-logs"
  rm -f "$artifacts"/*
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$build/fuzz/${name}_fuzz" "$corpus" "$root/fuzz/corpus/$name" \
      -max_total_time="$seconds" -runs="$runs" -timeout="$(timeout_of "$name")" -rss_limit_mb=2048 \
      -max_len="$(max_len_of "$name")" -print_final_stats=1 \
      -artifact_prefix="$artifacts/" ${FUZZ_FLAGS:-} >"$log" 2>&1 &
  echo $! >"$build/fuzz-logs/$name.pid"
  wait $!
  echo $? >"$build/fuzz-logs/$name.rc"
  rm -f "$build/fuzz-logs/$name.pid"
}

# The harnesses write their inputs to files, in a directory of this run: in memory when
# /dev/shm is there (a harness makes its directory again should someone clear it).
mkdir -p "$build/fuzz-logs"
rm -f "$build"/fuzz-logs/*.pid
scratch_base=/dev/shm
[ -d "$scratch_base" ] && [ -w "$scratch_base" ] || scratch_base="$build"
FUZZ_SCRATCH="$(mktemp -d "$scratch_base/reader-fuzz-XXXXXX")"
export FUZZ_SCRATCH
# Interrupted: stop the harnesses still running before their files go away, so they do not
# report the missing directory as a crash.
stop_harnesses() {
  local pidfile
  for pidfile in "$build"/fuzz-logs/*.pid; do
    [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
  done
  wait
  rm -rf "$FUZZ_SCRATCH"
}
trap stop_harnesses EXIT
trap 'exit 130' INT TERM

start=$(date +%s)
for name in "${harnesses[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  run_one "$name" &
done
wait

failed=0
passed_count=0
failed_count=0
printf '%-18s %12s  %s\n' harness executions result
for name in "${harnesses[@]}"; do
  log="$build/fuzz-logs/$name.log"
  executions="$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')"
  # Fork mode reports only its running totals ("#N ...").
  [ -n "$executions" ] || executions="$(grep -ao '^#[0-9]*' "$log" | tr -d '#' | sort -n | tail -1)"
  found="$(ls "$build/fuzz-artifacts/$name" 2>/dev/null | head -1)"
  rc="$(cat "$build/fuzz-logs/$name.rc")"
  if [ "$rc" = 0 ] && [ -z "$found" ]; then
    result="ok"
    passed_count=$((passed_count + 1))
  else
    failed=1
    failed_count=$((failed_count + 1))
    result="FAILED (exit $rc) ${found:+$build/fuzz-artifacts/$name/$found}; log: $log"
  fi
  printf '%-18s %12s  %s\n' "$name" "${executions:-?}" "$result"
done
echo "fuzzing took $(($(date +%s) - start)) s"
if [ "$failed" -ne 0 ]; then
  for name in "${harnesses[@]}"; do
    grep -h -m3 -E 'ERROR: |SUMMARY: |reader expectation failed' "$build/fuzz-logs/$name.log"
  done
fi
echo "fuzz: $passed_count passed, $failed_count failed"
exit "$failed"
