// A HEIC or AVIF file as the user opens it,
// through the loader and the codec layer into a picture pair.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "imagefiles/loader.h"
#include "raster/image_pair.h"

// libheif's AV1 decoder plug-in leaves dav1d's data unreleased when dav1d
// refuses a broken frame: a leak inside the libraries, not ours, which the
// leak checker would otherwise report as this target's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdav1d.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel;
  fuzz::SilenceMessages();
  TImagePair pair;
  if (LoadImageFile(pair, fuzz::ScratchFile(data, size, ".heic")) == 1) {
    // What the window does next reads every pixel.
    if (pair.src.size() != static_cast<std::size_t>(pair.width) * pair.height) __builtin_trap();
    // The profile is stored uncompressed in these files: a copy of bytes the
    // file holds.
    if (pair.iccProfile.size() > size) __builtin_trap();
  }
  return 0;
}
