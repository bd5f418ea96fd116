#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build/fuzz and fuzzes each one until
# it has had its budget of CPU seconds (user + system). libFuzzer's own -max_total_time is
# wall time, which on a shared machine buys far less work than it says, so a target runs in
# chunks whose CPU time is measured and added up; the sum is kept in build/fuzz/state, so a
# second call carries on where the first stopped (--fresh starts the count again).
#
#   fuzz/run.sh [--scale F] [--jobs N] [--until TIME] [--fresh] [--no-build] [target ...]
#
# Targets: the names of fuzz/fuzz_*.cpp (default: all of them, HP-GL and DXF first).
# Budgets: 3600 CPU s for fuzz_hpgl and fuzz_dxf, 600 for the others (fuzz_project, the .con
# reader, fuzz_hpr, the rotary project reader, and fuzz_raw, the 3D_raw mesh reader, among
# them); WIRVELA_FUZZ_BUDGET_<NAME>
# (NAME = target without "fuzz_", upper case, e.g. WIRVELA_FUZZ_BUDGET_HPGL=7200) sets one,
# --scale multiplies them all (--scale 0.01 for a quick try). --jobs runs that many targets
# at once (default 1). Inputs are kept to 16 KiB (the shipped plots are far larger and would
# make every run slow); WIRVELA_FUZZ_OPTIONS adds libFuzzer options of your own. --until
# (a time `date -d` reads, e.g. 14:30) stops every target by then, budget reached or not.
#
# Each target keeps a corpus in build/fuzz/corpus/<target>, seeded on its first run from
# examples/, tests/data/ and data/ where the target reads such files; its dictionary is
# fuzz/<target>.dict when there is one. Findings go to build/fuzz/crashes/<target>/. Per
# target the script prints CPU seconds, executions, corpus size and any finding, and writes
# the same to build/fuzz/figures.txt. Exit status 1 when a target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/fuzz

scale=1
jobs=1
fresh=0
do_build=1
until=
targets=()
while (($#)); do
  case $1 in
    --scale) scale=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --until) until=$2; shift 2 ;;
    --fresh) fresh=1; shift ;;
    --no-build) do_build=0; shift ;;
    -h | --help) awk 'NR > 1 && !/^#/ { exit } NR > 1' "$0"; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

# Everything below runs at the lowest priority, builds included: the machine is shared.
if [[ $(nice) -lt 19 ]]; then
  exec nice -n 19 "$0" --scale "$scale" --jobs "$jobs" ${until:+--until "$until"} $( ((fresh)) && echo --fresh) \
    $( ((do_build)) || echo --no-build) "${targets[@]}"
fi

deadline=$(date -d "${until:-next year}" +%s)

if ((${#targets[@]} == 0)); then
  targets=(fuzz_hpgl fuzz_dxf)
  for src in fuzz/fuzz_*.cpp; do
    name=$(basename "$src" .cpp)
    [[ $name == fuzz_hpgl || $name == fuzz_dxf ]] || targets+=("$name")
  done
fi

if ((do_build)); then
  if [[ ! -f $build/build.ninja ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DWIRVELA_FUZZ=ON -DWIRVELA_TESTS=OFF -DWIRVELA_BENCH=OFF \
      $(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache) >/dev/null
  fi
  cmake --build "$build" --target "${targets[@]}"
fi

budget_of() {
  local name=${1#fuzz_} base=600
  [[ $name == hpgl || $name == dxf ]] && base=3600
  local var=WIRVELA_FUZZ_BUDGET_${name^^}
  awk -v b="${!var:-$base}" -v s="$scale" 'BEGIN { printf "%d", b * s + 0.5 }'
}

# Files of the project that are inputs of the target's reader, copied into a new corpus.
seeds_of() {
  case $1 in
    fuzz_hpgl) ls examples/*.plt tests/data/*.plt ;;
    fuzz_dxf) ls examples/*.dxf tests/data/*.dxf ;;
    fuzz_ini) ls data/*.ini data/local.txt ;;
    fuzz_local) ls data/local.txt ;;
    fuzz_raw) ls examples/*.raw tests/data/*.raw ;;
  esac 2>/dev/null || true
  [[ -d fuzz/seeds/$1 ]] && find "fuzz/seeds/$1" -type f || true
}

# The figures of target $1 as kept in build/fuzz; $2: what to say when it left no finding
# file although its last run failed.
figure_line() {
  local t=$1 cpu execs findings
  read -r cpu execs <"$build/state/$t"
  # slow-unit-* files only mark inputs that took over ten seconds, on a loaded machine too.
  findings=$(cd "$build/crashes/$t" 2>/dev/null && ls crash-* leak-* timeout-* oom-* 2>/dev/null | tr '\n' ' ' || true)
  printf '%-20s cpu_s %8.1f  executions %12d  corpus %6d  findings %s\n' "$t" "$cpu" "$execs" \
    "$(ls "$build/corpus/$t" | wc -l)" "${findings:-${2:-none}}"
}

# state/<target>: accumulated "cpu_seconds executions" over every chunk run so far.
fuzz_target() {
  local t=$1 budget corpus=$build/corpus/$1 crashes=$build/crashes/$1 state=$build/state/$1
  budget=$(budget_of "$t")
  mkdir -p "$corpus" "$crashes" "$build/state" "$build/logs"
  if [[ -z $(ls -A "$corpus") ]]; then
    local seed
    for seed in $(seeds_of "$t"); do cp "$seed" "$corpus/seed-$(basename "$seed")"; done
  fi
  ((fresh)) && rm -f "$state"
  [[ -f $state ]] || echo "0 0" >"$state"
  local dict=() cpu execs chunk used n status=0
  [[ -f fuzz/$t.dict ]] && dict=(-dict="fuzz/$t.dict")
  read -r cpu execs <"$state"
  while awk -v c="$cpu" -v b="$budget" 'BEGIN { exit !(c < b) }'; do
    # A chunk of at most ten minutes of wall time can never use more CPU than is left.
    chunk=$(awk -v c="$cpu" -v b="$budget" -v w=$((deadline - $(date +%s))) \
      'BEGIN { r = b - c; if (r > 600) r = 600; if (r > w) r = w; printf "%d", r < 1 ? 0 : r + 0.999 }')
    ((chunk > 0)) || break
    local times=$build/logs/$t.time log=$build/logs/$t.log
    status=0
    /usr/bin/time -f "%U %S" -o "$times" "$build/fuzz/$t" "${dict[@]}" -max_total_time="$chunk" \
      -timeout=120 -max_len=16384 ${WIRVELA_FUZZ_OPTIONS:-} -print_final_stats=1 -artifact_prefix="$crashes/" \
      "$corpus" >"$log" 2>&1 || status=$?
    used=$(awk 'END { print $(NF - 1) + $NF }' "$times")
    n=$(awk '/stat::number_of_executed_units/ { print $NF + 0 }' "$log" | tail -n 1)
    cpu=$(awk -v a="$cpu" -v b="$used" 'BEGIN { printf "%.1f", a + b }')
    execs=$((execs + ${n:-0}))
    echo "$cpu $execs" >"$state"
    ((status == 0)) || break
  done
  local note= line
  ((status == 0)) || note="exit status $status, see $build/logs/$t.log"
  line=$(figure_line "$t" "$note")
  echo "$line"
  [[ $line == *"findings none" ]]
}

trap 'kill $(jobs -p) 2>/dev/null' INT TERM
failed=0
running=0
for t in "${targets[@]}"; do
  [[ -x $build/fuzz/$t ]] || { echo "run.sh: no fuzz target $t" >&2; failed=1; continue; }
  if ((running >= jobs)); then
    wait -n || failed=1
    running=$((running - 1))
  fi
  fuzz_target "$t" &
  running=$((running + 1))
done
while ((running > 0)); do
  wait -n || failed=1
  running=$((running - 1))
done

{
  echo "# target             CPU seconds (user+sys), executions, corpus files, findings; $(date -u '+%F %H:%M UTC')"
  for state in "$build"/state/fuzz_*; do
    [[ $state == *.line ]] || figure_line "$(basename "$state")"
  done
} >"$build/figures.txt"
exit "$failed"
