// A BMP file as the user opens it, and the BMP memory image the codec layer
// hands over, read by the same reader's two entries.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "imagefiles/bmp_reader.h"
#include "imagefiles/loader.h"
#include "raster/image_pair.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel;
  fuzz::SilenceMessages();
  TImagePair pair;
  if (LoadImageFile(pair, fuzz::ScratchFile(data, size, ".bmp")) == 1) {
    // What the window does next reads every pixel.
    if (pair.src.size() != static_cast<std::size_t>(pair.width) * pair.height) __builtin_trap();
  }
  TDecodedPicture picture;
  if (ReadBmpMemoryImage(data, size, picture) &&
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height)
    __builtin_trap();
  return 0;
}
