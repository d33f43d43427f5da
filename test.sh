#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with ctest.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
quorvel_install_missing

build=${QUORVEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
