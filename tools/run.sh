#!/usr/bin/env bash
# Runs the program: installs what is missing, builds, and plays Read, mark all and Write against the
# stand-in host with the demo part program, printing the features' vectors before and after.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target korvane-demo >/dev/null
exec build/native/sim/korvane-demo sim/demo/demo.json
