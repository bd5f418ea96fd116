#!/usr/bin/env bash
# Writes what wirvela-cli prints for every example drawing (info, plan, estimate, simulate,
# cut with its motion trace, protocol frames) into one folder, each command in a fresh copy
# of the shipped settings, with the run times blanked out. Two folders made by two builds
# compare with `diff -r`: a change that must not alter any result shows no difference.
#
#   scripts/cli-outputs.sh CLI OUTDIR
#   scripts/cli-outputs.sh --compare OLD_CLI NEW_CLI   (writes both, diffs, exit 1 on a difference)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--compare" ]; then
  [ $# -eq 3 ] || { echo "usage: $0 --compare OLD_CLI NEW_CLI" >&2; exit 2; }
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  "$0" "$2" "$scratch/old"
  "$0" "$3" "$scratch/new"
  if diff -r "$scratch/old" "$scratch/new"; then
    echo "cli-outputs: $(ls "$scratch/new" | wc -l) outputs identical"
  else
    echo "cli-outputs: outputs differ" >&2
    exit 1
  fi
  exit 0
fi

[ $# -eq 2 ] || { echo "usage: $0 CLI OUTDIR" >&2; exit 2; }
[ -x "$1" ] || { echo "cli-outputs: no program at $1" >&2; exit 2; }
cli=$(realpath "$1")
out=$2
mkdir -p "$out"
out=$(realpath "$out")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The loading and joining times that plan and info report are measured on the host and
# differ from run to run; everything else (tables, counts, estimates, simulated times,
# traces) must not.
blank_times() {
  case "$1" in
    plan | info) sed -E -e 's/^(Seconds:).*/\1 T/' -e 's/^(  "seconds":) *[-0-9.e+]+/\1 T/' ;;
    *) cat ;;
  esac
}

# run NAME ARGS...: the command's standard output, standard error and exit code. With
# CONE=1 the settings ask for two-figure cutting first.
run() {
  local name=$1
  shift
  rm -rf "$work/dir" && mkdir -p "$work/dir" && cp data/wirvela.ini data/local.txt "$work/dir/"
  if [ "${CONE:-0}" = 1 ]; then
    "$cli" --dir "$work/dir" param set Ploter Cone 1 >/dev/null
  fi
  local rc=0
  "$cli" --dir "$work/dir" "$@" >"$work/stdout" 2>"$work/stderr" </dev/null || rc=$?
  {
    echo "# wirvela-cli ${*//$work/WORK}"
    echo "# exit $rc"
    echo "## stdout"
    blank_times "$1" <"$work/stdout"
    echo "## stderr"
    blank_times "$1" <"$work/stderr"
  } >"$out/$name.txt"
  if [ -f "$work/trace.csv" ]; then
    mv "$work/trace.csv" "$out/$name.trace.csv"
  fi
}

for drawing in examples/*.plt examples/*.dxf; do
  base=$(basename "$drawing")
  extra=()
  case "$base" in
    wing_two_figure.plt) extra=(--yes) ;;
  esac
  run "$base.info" info "$drawing" "${extra[@]}"
  run "$base.info-json" info "$drawing" "${extra[@]}" --json --geometry
  run "$base.plan" plan "$drawing" "${extra[@]}"
  run "$base.plan-json" plan "$drawing" "${extra[@]}" --json --geometry
  run "$base.estimate" estimate "$drawing"
  run "$base.estimate-json" estimate "$drawing" --json
  run "$base.simulate" simulate "$drawing" "${extra[@]}"
  run "$base.simulate-json" simulate "$drawing" "${extra[@]}" --json
  [ "$base" = large_lettering.plt ] && continue  # a long cut; the smaller ones cover the road
  run "$base.cut" cut "$drawing" "${extra[@]}" --speedup 0 --trace "$work/trace.csv"
  run "$base.cut-json" cut "$drawing" "${extra[@]}" --speedup 0 --json
done

# The two-figure drawing split into its figures and cut as two.
CONE=1 run "wing-cone.info" info examples/wing_two_figure.plt --yes --json --geometry
CONE=1 run "wing-cone.plan" plan examples/wing_two_figure.plt --yes --json --geometry
CONE=1 run "wing-cone.simulate" simulate examples/wing_two_figure.plt --yes --json
CONE=1 run "wing-cone.cut" cut examples/wing_two_figure.plt --yes --speedup 0 --trace "$work/trace.csv"

run "protocol.line" protocol line 1000 250 --period 300
run "protocol.line-rot" protocol line -400 1200 --period 120 --rot 7 --delay
run "protocol.line-json" protocol line 10 -3 --period 77 --json
run "protocol.line-two" protocol line 500 500 --period 50 --two-figure --clock 16000000
run "protocol.turn" protocol turn 90 --period 200
run "protocol.turn-json" protocol turn -45 --period 30 --json
run "param.list" param list
run "devices" devices
echo "cli-outputs: $(ls "$out" | wc -l) files in $out"
