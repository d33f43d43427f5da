// Owned 32-bit pixel blocks: the layout every picture in memory uses.
//
// Pixel layout: 4 bytes B, G, R, A (a little-endian word 0xAARRGGBB), alpha
// 255 opaque. Rows bottom-up (memory row 0 is the picture's bottom row),
// packed: stride = width * 4, pixel (x, y) is word y * width + x.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace quorvel {

using Pixel = std::uint32_t;

inline constexpr std::uint8_t AlphaOf(Pixel p) { return static_cast<std::uint8_t>(p >> 24); }

// Plain block descriptor; all zeros is the empty descriptor.
struct TPixels32Desc {
  std::uint8_t* pixels = nullptr;  // first byte of memory row 0
  std::int32_t stride = 0;         // bytes from one memory row to the next
  std::int32_t width = 0;
  std::int32_t height = 0;
};

class IPixels32Buf {
 public:
  virtual void SetSize(std::int32_t width, std::int32_t height) = 0;
  virtual bool LockBuf(TPixels32Desc& out) = 0;
  virtual void UnlockBuf() = 0;
  virtual ~IPixels32Buf() = default;
};

// Owns exactly one block. SetSize and the destructor reach memory only
// through AllocBuf/FreeBuf, so a derived buffer may take memory elsewhere.
class TPixels32 : public IPixels32Buf {
 public:
  TPixels32() = default;
  TPixels32(const TPixels32&) = delete;
  TPixels32& operator=(const TPixels32&) = delete;
  ~TPixels32() override;

  void SetSize(std::int32_t width, std::int32_t height) override;
  bool LockBuf(TPixels32Desc& out) override;
  void UnlockBuf() override;
  virtual void AllocBuf(std::int32_t width, std::int32_t height, TPixels32Desc& out);
  virtual void FreeBuf(TPixels32Desc& desc);

  const TPixels32Desc& Desc() const { return desc_; }

 private:
  TPixels32Desc desc_;
};

// Large blocks come from whole 2 MB pages the kernel may back with huge
// pages: first touching 100 MB in 4 KB pages costs a third of a second on a
// virtual machine, in huge pages a few milliseconds. A freed large block is
// kept as a spare and handed to the next request it covers: touched memory
// costs nothing, while fresh memory costs the kernel (and on a virtual
// machine, the host) a clearing pass over every page, more than most of
// the passes that fill it.
void* AllocLargeBlock(std::size_t bytes);
void FreeLargeBlock(void* block, std::size_t bytes) noexcept;
inline constexpr std::size_t kLargeBlockBytes = std::size_t{4} << 20;

// False under AddressSanitizer, whose heap must see every block to catch
// an access beyond it or after it was freed.
bool KeepsSpareBlocks() noexcept;

// Bytes held by spare blocks: this process's own, free for any request.
std::size_t SpareBlockBytes() noexcept;

// Gives every spare block back to the system, for when no large request is
// coming (a picture closed, a batch done).
void ReleaseSpareBlocks() noexcept;

// Allocator whose value-initialisation leaves pixels undefined: a picture
// block is always written before it is read, and zeroing 100 MB costs.
template <class T>
struct DefaultInitAllocator {
  using value_type = T;
  DefaultInitAllocator() = default;
  template <class U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n * sizeof(T) >= kLargeBlockBytes) return static_cast<T*>(AllocLargeBlock(n * sizeof(T)));
    return std::allocator<T>().allocate(n);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (n * sizeof(T) >= kLargeBlockBytes)
      FreeLargeBlock(p, n * sizeof(T));
    else
      std::allocator<T>().deallocate(p, n);
  }
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <class U>
  bool operator==(const DefaultInitAllocator<U>&) const noexcept { return true; }
};

// An owned block of pixels; empty() plays the part of a null pointer and
// size() tells how many pixels the block was allocated for.
using PixelBlock = std::vector<Pixel, DefaultInitAllocator<Pixel>>;

// Byte masks as large as a picture, allocated like pixel blocks.
using ByteBlock = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

// Releases a block and its capacity (the block's pointer becomes null).
inline void ReleaseBlock(PixelBlock& block) { PixelBlock().swap(block); }

// Allocates width * height pixels (contents undefined); an empty block for
// a non-positive size. A block that already holds that many pixels is kept:
// fresh memory costs the kernel a page clearing pass, and warping the same
// picture again is the common case.
inline void AllocBlock(PixelBlock& block, std::int32_t width, std::int32_t height) {
  const std::size_t count = width > 0 && height > 0
                                ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height)
                                : 0;
  if (block.size() == count) return;
  ReleaseBlock(block);
  block.resize(count);
}

inline std::uint8_t* BytesOf(PixelBlock& block) {
  return reinterpret_cast<std::uint8_t*>(block.data());
}
inline const std::uint8_t* BytesOf(const PixelBlock& block) {
  return reinterpret_cast<const std::uint8_t*>(block.data());
}

}  // namespace quorvel
