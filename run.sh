#!/usr/bin/env bash
# Installs what is missing, builds, and warps the start-up picture into the
# heart shape: the main job until the window takes over.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
quorvel_install_missing

build=${QUORVEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)"

"$build/bin/quorvel-cli" warp resources/splash.png -s heart -o quorvel-demo.jpg
echo "Wrote $(pwd)/quorvel-demo.jpg: the start-up picture warped into the heart shape."
