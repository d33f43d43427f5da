#!/usr/bin/env bash
# Builds the fuzz targets with clang (own build folder) and runs one of them.
#   fuzz/run.sh TARGET SECONDS [libFuzzer options...]
# TARGET: bmp_load, png_decode, jpeg_decode, webp_decode, tiff_decode,
# heif_decode, shape_file, svg_build (or fuzz_<name>).
# Inputs that crash are written to $build/artifacts/; new inputs collect in
# $build/corpus/TARGET. Exit status is libFuzzer's: non-zero on any report.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
  echo "usage: fuzz/run.sh TARGET SECONDS [libFuzzer options...]" >&2
  exit 1
fi
target=${1#fuzz_}
seconds=$2
shift 2

build=${QUORVEL_FUZZ_BUILD_DIR:-build-fuzz}
testdata=${QUORVEL_TESTDATA:-$(pwd)/../shared/testdata}
shapelib=$(pwd)/shapelib

timeout=30  # seconds one input may take before it counts as a hang
rss_mb=4096
case $target in
  bmp_load) endings=(bmp); seeds=bmp ;;
  png_decode) endings=(png); seeds=png ;;
  jpeg_decode) endings=(jpg jpeg); seeds=jpeg ;;
  webp_decode) endings=(webp); seeds=webp ;;
  tiff_decode) endings=(tif tiff); seeds=tiff ;;
  # A grid repeats one tile: a few hundred bytes may decode to hundreds of
  # megapixels, legitimately within the size rule, in a minute and gigabytes.
  heif_decode) endings=(heic heif avif); seeds=heif; timeout=300; rss_mb=12000 ;;
  shape_file) endings=(qshp); seeds=shape ;;
  svg_build) endings=(svg); seeds=svg; timeout=120 ;;
  *) echo "fuzz/run.sh: unknown target $target" >&2; exit 1 ;;
esac

# Two runs may start at once: configure and build under a lock.
mkdir -p "$build"
(
  flock 9
  if [ ! -f "$build/build.ninja" ]; then
    CXX=clang++ cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUORVEL_TESTDATA="$testdata" >/dev/null
  fi
  if ! cmake --build "$build" --target "fuzz_$target" make_fuzz_seeds >"$build/build.log" 2>&1; then
    cat "$build/build.log" >&2
    exit 1
  fi
  # Seeds: our own writers' files, the bundled drawings and the shared
  # samples, copied into the
  # build folder (the shared folder may be read-only). Big samples only slow
  # the fuzzer down.
  seed_dir=$build/seeds/$target
  if [ ! -d "$seed_dir" ]; then
    # The seed maker is instrumented too; what the encoders keep to the end
    # is not ours to find.
    ASAN_OPTIONS=detect_leaks=0 "$build/bin/make_fuzz_seeds" "$build/seeds/own"
    mkdir -p "$seed_dir.tmp"
    cp "$build/seeds/own/$seeds"/* "$seed_dir.tmp/" 2>/dev/null || true
    for e in "${endings[@]}"; do
      for d in "$testdata" "$shapelib"; do
        [ -d "$d" ] || continue
        find "$d" -type f -iname "*.$e" -size -64k -print0 |
          while IFS= read -r -d '' f; do
            cp "$f" "$seed_dir.tmp/$(echo "$f" | md5sum | cut -c1-12).$e"
          done
      done
    done
    chmod -R u+w "$seed_dir.tmp"
    mv "$seed_dir.tmp" "$seed_dir"
  fi
) 9>"$build/.lock"

corpus=$build/corpus/$target
mkdir -p "$corpus" "$build/artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The codec layer accepts pictures up to 32767 a side by design; a header
# claiming that much asks for 4 GB (6 GB of JPEG coefficients) that stays
# mostly untouched, so the allocation limit is set above it.
exec "$build/bin/fuzz_$target" "$corpus" "$build/seeds/$target" \
  -max_total_time="$seconds" -max_len=65536 -timeout="$timeout" \
  -rss_limit_mb="$rss_mb" -malloc_limit_mb=$((rss_mb > 7000 ? rss_mb : 7000)) \
  -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 "$@"
