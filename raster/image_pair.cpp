#include "raster/image_pair.h"

namespace quorvel {

void ClearPair(TImagePair& pair) {
  ReleaseBlock(pair.src);
  ReleaseBlock(pair.square);
  ReleaseBlock(pair.result);
  ReleaseBlock(pair.srcPreview);
  ReleaseBlock(pair.resultPreview);
  ReleaseBlock(pair.composite);
  ByteBlock().swap(pair.iccProfile);
  pair.loaded = 0;
  // Nothing large is coming soon: what was kept for reuse goes too.
  ReleaseSpareBlocks();
}

void DropDerived(TImagePair& pair) {
  ReleaseBlock(pair.square);
  ReleaseBlock(pair.result);
  ReleaseBlock(pair.srcPreview);
  ReleaseBlock(pair.resultPreview);
}

}  // namespace quorvel
