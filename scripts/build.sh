#!/usr/bin/env bash
# Configures and builds one preset (default: "default"); further arguments go to
# `cmake --build`, e.g. `--target wirvela-cli`.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" "${@:2}"
