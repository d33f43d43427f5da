#include "raster/pixels.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

#include "raster/memory_room.h"

namespace quorvel {

void* AllocLargeBlock(std::size_t bytes) {
  // Overcommit would grant a block the system cannot back, and the OOM
  // killer would collect once its pages are touched: refuse it here.
  constexpr std::size_t kRoomCheckBytes = std::size_t{256} << 20;
  if (bytes >= kRoomCheckBytes && bytes > MemoryRoom()) throw std::bad_alloc();
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* block = std::aligned_alloc(kHugePage, rounded);
  if (!block) throw std::bad_alloc();
  // Advice only: without huge pages the block works all the same.
  madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

void FreeLargeBlock(void* block) noexcept { std::free(block); }

TPixels32::~TPixels32() { FreeBuf(desc_); }

void TPixels32::SetSize(std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) {
    FreeBuf(desc_);
    return;
  }
  if (width == desc_.width && height == desc_.height) return;
  FreeBuf(desc_);
  AllocBuf(width, height, desc_);
}

bool TPixels32::LockBuf(TPixels32Desc& out) {
  out = desc_;
  return true;
}

void TPixels32::UnlockBuf() {}

void TPixels32::AllocBuf(std::int32_t width, std::int32_t height, TPixels32Desc& out) {
  if (width <= 0 || height <= 0) {
    out = TPixels32Desc{};
    return;
  }
  const std::size_t bytes = static_cast<std::size_t>(width) * 4u * static_cast<std::size_t>(height);
  out = TPixels32Desc{new std::uint8_t[bytes], width * 4, width, height};
}

void TPixels32::FreeBuf(TPixels32Desc& desc) {
  std::uint8_t* block = desc.pixels;
  desc = TPixels32Desc{};
  delete[] block;
}

}  // namespace quorvel
