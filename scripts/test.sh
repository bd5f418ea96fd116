#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in the release
# build and in the AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
for preset in default asan; do
  echo "=== $preset build"
  ./scripts/build.sh "$preset"
  echo "=== $preset tests"
  ctest --preset "$preset"
done
