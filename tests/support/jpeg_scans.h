// Scan-bomb JPEGs for the tests and the fuzz seeds: a progressive file with
// one of its scans repeated. Header only, so that the fuzz build, which has
// no test support library, can use it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvel::test {

// The progressive file with its shortest scan (header and entropy-coded
// data) inserted `copies` more times before the end marker; empty when the
// file holds no scan.
inline std::vector<std::uint8_t> RepeatShortestScan(const std::vector<std::uint8_t>& jpeg, int copies) {
  const std::size_t n = jpeg.size();
  std::size_t best_begin = 0, best_end = 0, eoi = 0;
  for (std::size_t i = 2; i + 2 <= n;) {
    if (jpeg[i] != 0xFF) return {};
    const std::uint8_t marker = jpeg[i + 1];
    if (marker == 0xD9) {
      eoi = i;
      break;
    }
    if (i + 4 > n) return {};
    const std::size_t length = std::size_t{jpeg[i + 2]} << 8 | jpeg[i + 3];
    std::size_t end = i + 2 + length;
    if (marker == 0xDA) {
      // Entropy-coded data runs to the next marker that is neither a
      // stuffed zero nor a restart.
      while (end + 1 < n && !(jpeg[end] == 0xFF && jpeg[end + 1] != 0 &&
                              (jpeg[end + 1] < 0xD0 || jpeg[end + 1] > 0xD7)))
        ++end;
      if (best_end == 0 || end - i < best_end - best_begin) best_begin = i, best_end = end;
    }
    i = end;
  }
  if (best_end == 0 || eoi == 0) return {};
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(eoi));
  for (int c = 0; c < copies; ++c)
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(best_begin),
               jpeg.begin() + static_cast<std::ptrdiff_t>(best_end));
  out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(eoi), jpeg.end());
  return out;
}

}  // namespace quorvel::test
