#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job of the program on the
# simulated controller in a working directory of its own (build/run), which starts as
# a copy of the shipped settings and texts, so the shipped files stay untouched.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh default
cli=build/default/src/cli/wirvela-cli
work=build/run
mkdir -p "$work"
for f in wirvela.ini local.txt; do
  [ -f "$work/$f" ] || cp "data/$f" "$work/$f"
done
echo "=== $($cli --version), start-up directory $work"
echo "=== title: $($cli --dir "$work" msg 0)"
echo "=== settings (wirvela.ini with the names of local.txt)"
"$cli" --dir "$work" param list
