#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job of the program: a drawing
# loaded, joined into one wire path, timed and cut on the simulated controller, in a
# working directory of its own (build/run) that starts as a copy of the shipped settings
# and texts, so the shipped files stay untouched.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# Only the program the job runs: the tests and benchmarks are the test command's.
./scripts/build.sh default --target wirvela-cli
cli=build/default/src/cli/wirvela-cli
work=build/run
drawing=examples/letters.plt
speedup=100
mkdir -p "$work"
for f in wirvela.ini local.txt; do
  [ -f "$work/$f" ] || cp "data/$f" "$work/$f"
done
# Every cut charges the wire wear counters; a worn wire is replaced before the demo.
used=$("$cli" --dir "$work" param number Ploter CzasDrutu 0)
if awk -v u="$used" 'BEGIN { exit !(u > 500) }'; then
  "$cli" --dir "$work" param set Ploter CzasDrutu 0 >/dev/null
  "$cli" --dir "$work" param set Ploter DlugDrutu 0 >/dev/null
  echo "=== wire replaced (the wear counters were near their limit)"
fi
echo "=== $($cli --version), start-up directory $work"
echo "=== estimate of $drawing"
"$cli" --dir "$work" estimate "$drawing"
echo "=== cut of $drawing on the simulated controller, $speedup times faster than the machine"
"$cli" --dir "$work" cut "$drawing" --speedup "$speedup"
