#include "raster/previews.h"

#include "raster/zoom.h"

namespace quorvel {

int MakePreview(TImagePair& pair, std::int32_t width, std::int32_t height, PreviewOf which) {
  if (width > pair.width || height > pair.height) return 0;
  const bool source = which == PreviewOf::Source;
  PixelBlock& preview = source ? pair.srcPreview : pair.resultPreview;
  std::int32_t& pw = source ? pair.srcPreviewWidth : pair.resultPreviewWidth;
  std::int32_t& ph = source ? pair.srcPreviewHeight : pair.resultPreviewHeight;
  const PixelBlock& from = source ? pair.src : pair.result;

  if (preview.empty() || pw != width || ph != height) AllocBlock(preview, width, height);
  if (from.empty() || preview.empty()) return 0;
  if (!ZoomPixels(from.data(), pair.width, pair.height, preview.data(), width, height)) return 0;
  pw = width;
  ph = height;
  return 1;
}

int MakeSmallSource(TImagePair& small, const TImagePair& main) {
  if (main.width <= 0 || main.height <= 0) {
    ReleaseBlock(small.src);
    small.width = small.height = 0;
    return 0;
  }
  const double rw = main.width / 100.0;
  const double rh = main.height / 100.0;
  const double r = rw > rh ? rw : rh;
  if (r > 1.0) {
    // Each side by its own ratio: a side above 100 lands on 100 (or 99 where
    // the double quotient falls just short), a side below 100 is enlarged.
    small.width = static_cast<std::int32_t>(main.width / rw);
    small.height = static_cast<std::int32_t>(main.height / rh);
  } else {
    small.width = main.width;
    small.height = main.height;
  }
  AllocBlock(small.src, small.width, small.height);
  if (main.src.empty() || small.src.empty()) return 0;
  if (!ZoomPixels(main.src.data(), main.width, main.height, small.src.data(), small.width,
                  small.height))
    return 0;
  small.loaded = 1;
  return 1;
}

}  // namespace quorvel
