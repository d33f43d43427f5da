#include "raster/pixels.h"

#include <sys/mman.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#include "raster/memory_room.h"

namespace quorvel {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t WholePages(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

// Overcommit would grant a block the system cannot back, and the OOM killer
// would collect once its pages are touched: refuse it here.
void CheckRoom(std::size_t bytes) {
  constexpr std::size_t kRoomCheckBytes = std::size_t{256} << 20;
  if (bytes >= kRoomCheckBytes && bytes > MemoryRoom()) throw std::bad_alloc();
}

#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_ASAN 1
#endif
#endif

#if defined(QUORVEL_ASAN)

// The sanitizer's own heap, so that it sees every access beyond a block and
// every use of one freed; no spares.
void* MapBlock(std::size_t rounded) {
  void* block = std::aligned_alloc(kHugePage, rounded);
  if (!block) throw std::bad_alloc();
  return block;
}
void UnmapBlock(void* block, std::size_t) noexcept { std::free(block); }
void TrimBlock(void*, std::size_t, std::size_t) noexcept {}
void MoveInto(void* block, std::size_t, void*) noexcept { std::free(block); }
constexpr std::size_t kMaxSpares = 0;

#else

void* MapBlock(std::size_t rounded) {
  // One huge page more than asked, so that an aligned start lies within.
  const std::size_t span = rounded + kHugePage;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (at + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > at) ::munmap(raw, aligned - at);
  const std::size_t tail = at + span - (aligned + rounded);
  if (tail) ::munmap(reinterpret_cast<void*>(aligned + rounded), tail);
  return reinterpret_cast<void*>(aligned);
}
void UnmapBlock(void* block, std::size_t rounded) noexcept { ::munmap(block, rounded); }
// A spare larger than the request gives its surplus back: holding it would
// raise the peak above what the blocks in use need.
void TrimBlock(void* block, std::size_t rounded, std::size_t kept) noexcept {
  if (rounded > kept) ::munmap(static_cast<std::uint8_t*>(block) + kept, rounded - kept);
}
// The touched pages of a smaller block become the start of a fresh one;
// both are aligned, so huge pages move whole.
void MoveInto(void* block, std::size_t rounded, void* fresh) noexcept {
  if (::mremap(block, rounded, rounded, MREMAP_MAYMOVE | MREMAP_FIXED, fresh) == MAP_FAILED)
    ::munmap(block, rounded);
}
// A batch of two pictures at once frees up to four blocks each.
constexpr std::size_t kMaxSpares = 8;

#endif

struct Spare {
  void* block = nullptr;
  std::size_t bytes = 0;  // whole huge pages
};

// Few blocks are large at once (a picture, its square, the result, the
// mapping's rasters), so a short list searched under a lock is enough.
std::mutex spare_lock;
std::array<Spare, kMaxSpares + 1> spares;  // one more: a slot always free for FreeLargeBlock
std::atomic<std::size_t> spare_bytes{0};

void* TakeSpare(std::size_t rounded) {
  std::lock_guard<std::mutex> lock(spare_lock);
  Spare* best = nullptr;
  for (Spare& s : spares)
    if (s.block && s.bytes >= rounded && (!best || s.bytes < best->bytes)) best = &s;
  if (!best) return nullptr;
  void* block = best->block;
  TrimBlock(block, best->bytes, rounded);
  spare_bytes.fetch_sub(best->bytes, std::memory_order_relaxed);
  *best = Spare{};
  return block;
}

Spare TakeLargestSpare() {
  std::lock_guard<std::mutex> lock(spare_lock);
  Spare* largest = nullptr;
  for (Spare& s : spares)
    if (s.block && (!largest || s.bytes > largest->bytes)) largest = &s;
  if (!largest) return Spare{};
  const Spare taken = *largest;
  spare_bytes.fetch_sub(taken.bytes, std::memory_order_relaxed);
  *largest = Spare{};
  return taken;
}

}  // namespace

void* AllocLargeBlock(std::size_t bytes) {
  const std::size_t rounded = WholePages(bytes);
  if (void* block = TakeSpare(rounded)) return block;
  CheckRoom(bytes);
  // None covers the request: the largest becomes its start and the others
  // go, so that fresh memory never comes on top of memory kept idle.
  const Spare largest = TakeLargestSpare();
  ReleaseSpareBlocks();
  void* block = nullptr;
  try {
    block = MapBlock(rounded);
  } catch (const std::bad_alloc&) {
    if (largest.block) UnmapBlock(largest.block, largest.bytes);
    throw;
  }
  // Advice only: without huge pages the block works all the same.
  madvise(block, rounded, MADV_HUGEPAGE);
  if (largest.block) MoveInto(largest.block, largest.bytes, block);
  return block;
}

void FreeLargeBlock(void* block, std::size_t bytes) noexcept {
  if (!block) return;
  const std::size_t rounded = WholePages(bytes);
  Spare dropped{block, rounded};
  {
    std::lock_guard<std::mutex> lock(spare_lock);
    Spare* slot = nullptr;
    for (Spare& s : spares)
      if (!s.block) slot = &s;
    if (slot && kMaxSpares > 0) {
      *slot = dropped;
      spare_bytes.fetch_add(rounded, std::memory_order_relaxed);
      // Over the count, the smallest goes.
      std::size_t held = 0;
      Spare* smallest = nullptr;
      for (Spare& s : spares) {
        if (!s.block) continue;
        ++held;
        if (!smallest || s.bytes < smallest->bytes) smallest = &s;
      }
      if (held <= kMaxSpares) return;
      dropped = *smallest;
      spare_bytes.fetch_sub(smallest->bytes, std::memory_order_relaxed);
      *smallest = Spare{};
    }
  }
  UnmapBlock(dropped.block, dropped.bytes);
}

bool KeepsSpareBlocks() noexcept { return kMaxSpares > 0; }

std::size_t SpareBlockBytes() noexcept { return spare_bytes.load(std::memory_order_relaxed); }

void ReleaseSpareBlocks() noexcept {
  std::array<Spare, kMaxSpares + 1> gone;
  {
    std::lock_guard<std::mutex> lock(spare_lock);
    gone = spares;
    spares = {};
    spare_bytes.store(0, std::memory_order_relaxed);
  }
  for (const Spare& s : gone)
    if (s.block) UnmapBlock(s.block, s.bytes);
}

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
