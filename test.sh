#!/usr/bin/env bash
# Installs what is missing, builds, runs every test with ctest, and builds and
# checks the Debian package; then the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a minute. Any
# sanitizer report fails the run.
#   QUORVEL_SANITIZE=0     skips the sanitizer build
#   QUORVEL_FUZZ_SECONDS=N runs each fuzz target N seconds (0 skips them)
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
quorvel_install_missing

build=${QUORVEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
packaging/check_deb.sh "$build"

# The window tests join: offscreen they run as quickly and quietly under the
# sanitizers as the rest.
if [ "${QUORVEL_SANITIZE:-1}" != 0 ]; then
  sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-O1 -g $sanitize" -DCMAKE_EXE_LINKER_FLAGS="$sanitize"
  cmake --build build-asan -j "$(nproc)"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
fi

fuzz_seconds=${QUORVEL_FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" != 0 ]; then
  mkdir -p build-fuzz
  for target in bmp_load png_decode jpeg_decode webp_decode tiff_decode heif_decode shape_file svg_build; do
    echo "== fuzz $target, $fuzz_seconds s"
    fuzz/run.sh "$target" "$fuzz_seconds" 2>"build-fuzz/$target.log" ||
      { tail -n 80 "build-fuzz/$target.log"; exit 1; }
    grep -E '^stat::number_of_executed_units' "build-fuzz/$target.log"
  done
fi
