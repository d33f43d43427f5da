// A JPEG in memory through the codec layer into a picture pair, as the
// loader takes it (a PNG in disguise is decoded as what it is).
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "imagefiles/file_names.h"
#include "imagefiles/loader.h"
#include "raster/image_pair.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel;
  fuzz::SilenceMessages();
  TImagePair pair;
  if (LoadPngResource(kFileTypeJpg, data, size, pair) == 1 &&
      pair.src.size() != static_cast<std::size_t>(pair.width) * pair.height)
    __builtin_trap();
  return 0;
}
