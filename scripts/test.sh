#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in the release
# build and in the AddressSanitizer + UndefinedBehaviorSanitizer build.
#
# WIRVELA_TEST_BUDGET scales the case counts of the randomised tests (1 = their own
# counts; see tests/support/TestBudget.h). The release run takes it as set (default 1);
# the sanitizer run, whose code runs several times slower, takes WIRVELA_ASAN_TEST_BUDGET
# (default 0.25).
#
# At the end the time of each stage is printed (wall and compile/run CPU seconds) and
# written to build/stages.txt; the last line is the count of passed and failed tests of
# both runs.
set -euo pipefail
cd "$(dirname "$0")/.."

stages=()
passed=0
failed=0
tested=0
started=$EPOCHREALTIME

# CPU seconds (user + system) of the finished child processes so far, into $cpu. `times`
# runs in this shell: in a subshell it would see no children.
times_file=$(mktemp)
children_cpu() {
  times >"$times_file"
  cpu=$(awk 'NR == 2 {
    n = split($0, f, " "); total = 0
    for (i = 1; i <= n; ++i) { split(f[i], ms, "m"); total += ms[1] * 60 + ms[2] }
    printf "%.1f", total }' "$times_file")
}

# Runs one stage and keeps its wall and CPU seconds.
stage() {
  local name=$1
  shift
  local wall0=$EPOCHREALTIME cpu cpu0 rc=0
  children_cpu
  cpu0=$cpu
  "$@" || rc=$?
  children_cpu
  stages+=("$(awk -v n="$name" -v w0="$wall0" -v w1="$EPOCHREALTIME" -v c0="$cpu0" -v c1="$cpu" \
    'BEGIN { printf "%-28s %8.1f s wall %9.1f s CPU", n, w1 - w0, c1 - c0 }')")
  return "$rc"
}

# ctest, counting the passed and failed tests from its closing line.
run_tests() {
  local preset=$1 log="build/$1/ctest.log" rc=0
  ctest --preset "$preset" 2>&1 | tee "$log" || rc=$?
  local counts
  counts=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
  if [ -n "$counts" ]; then
    tested=1
    failed=$((failed + ${counts% *}))
    passed=$((passed + ${counts#* } - ${counts% *}))
  fi
  return "$rc"
}

summary() {
  local rc=$? cpu
  children_cpu
  rm -f "$times_file"
  stages+=("$(awk -v w0="$started" -v w1="$EPOCHREALTIME" -v c="$cpu" \
    'BEGIN { printf "%-28s %8.1f s wall %9.1f s CPU", "total", w1 - w0, c }')")
  echo
  echo "=== stage times"
  mkdir -p build
  printf '%s\n' "${stages[@]}" | tee build/stages.txt
  # Last, as ctest would close: both runs together.
  if [ "$tested" -eq 1 ]; then echo "$passed passed, $failed failed"; fi
  exit "$rc"
}
trap summary EXIT

stage "install-deps" ./scripts/install-deps.sh
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
release_budget="${WIRVELA_TEST_BUDGET:-1}"
asan_budget="${WIRVELA_ASAN_TEST_BUDGET:-0.25}"
for preset in default asan; do
  echo "=== $preset build"
  stage "configure+build $preset" ./scripts/build.sh "$preset"
  echo "=== $preset tests"
  if [ "$preset" = asan ]; then budget=$asan_budget; else budget=$release_budget; fi
  WIRVELA_TEST_BUDGET="$budget" stage "tests $preset (budget $budget)" run_tests "$preset"
done
