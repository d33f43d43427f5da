#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window when there is a
# display to show it on (a picture path may follow: ./run.sh photo.jpg).
# Without one, warps the start-up picture into the heart shape instead.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
quorvel_install_missing

build=${QUORVEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/bin/quorvel" "$@"
fi
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the command-line demo."
"$build/bin/quorvel-cli" warp resources/splash.png -s heart -o quorvel-demo.jpg
echo "Wrote $(pwd)/quorvel-demo.jpg: the start-up picture warped into the heart shape."
