// A small ICC profile that the libraries accept as one (valid header, D50
// illuminant, one text tag), with a note that tells samples apart.
#pragma once

#include <cstdint>
#include <string>

#include "raster/pixels.h"

namespace quorvel::testing {

inline ByteBlock MakeIccProfile(const std::string& name, const char colourSpace[4] = "RGB ") {
  // Hex noise after the name, as a real profile's curves would be: libpng
  // refuses to read back an iCCP chunk of under 92 bytes, which a profile
  // this small would otherwise deflate to.
  std::string note = name + ' ';
  std::uint32_t noise = 2166136261u;
  for (char c : name) noise = (noise ^ static_cast<std::uint8_t>(c)) * 16777619u;
  for (int i = 0; i < 256; ++i) {
    noise = noise * 1664525u + 1013904223u;
    note += "0123456789abcdef"[noise >> 28];
  }
  const std::size_t textSize = 8 + note.size() + 1;
  const std::size_t size = (144 + textSize + 3) / 4 * 4;
  ByteBlock p(size, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
  };
  auto put4 = [&](std::size_t at, const char* s) {
    for (int i = 0; i < 4; ++i) p[at + i] = static_cast<std::uint8_t>(s[i]);
  };
  put32(0, static_cast<std::uint32_t>(size));
  put32(8, 0x02100000);  // version 2.1
  put4(12, "mntr");
  put4(16, colourSpace);
  put4(20, "XYZ ");
  put4(36, "acsp");
  put32(68, 0x0000F6D6);  // D50: 0.9642, 1.0, 0.8249
  put32(72, 0x00010000);
  put32(76, 0x0000D32D);
  put32(128, 1);  // one tag
  put4(132, "cprt");
  put32(136, 144);
  put32(140, static_cast<std::uint32_t>(textSize));
  put4(144, "text");
  for (std::size_t i = 0; i < note.size(); ++i) p[152 + i] = static_cast<std::uint8_t>(note[i]);
  return p;
}

}  // namespace quorvel::testing
