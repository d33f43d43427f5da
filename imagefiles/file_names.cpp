#include "imagefiles/file_names.h"

#include <filesystem>

namespace quorvel {

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  for (std::size_t i = 1; i <= suffix.size(); ++i) {
    const unsigned a = static_cast<unsigned char>(name[name.size() - i]);
    const unsigned b = static_cast<unsigned char>(suffix[suffix.size() - i]);
    if (a == b) continue;
    // Bytes of UTF-8 sequences stay out: 0x82 is not an upper-case 'b'.
    const bool ascii_case_pair = a < 0x80 && b < 0x80 && (a > b ? a - b : b - a) == 32;
    if (!ascii_case_pair) return false;
  }
  return true;
}

int ImageFileType(std::string_view name) {
  if (name.empty()) return kFileTypeNone;
  if (EndsWithNoCase(name, "bmp")) return kFileTypeBmp;
  if (EndsWithNoCase(name, "png")) return kFileTypePng;
  for (const char* jpeg : {"jpg", "jpeg", "jpe", "jfif"})
    if (EndsWithNoCase(name, jpeg)) return kFileTypeJpg;
  if (EndsWithNoCase(name, "webp")) return kFileTypeWebp;
  if (EndsWithNoCase(name, "tif") || EndsWithNoCase(name, "tiff")) return kFileTypeTiff;
  if (EndsWithNoCase(name, "heic") || EndsWithNoCase(name, "heif") || EndsWithNoCase(name, "avif"))
    return kFileTypeHeif;
  return kFileTypeNone;
}

void ExtractFileTitle(std::string& title, std::string_view path) {
  constexpr char kSeparator = std::filesystem::path::preferred_separator;
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = path.size(); i-- > 0;) {
    if (path[i] == kSeparator) {
      if (dot != std::string_view::npos) title.assign(path.substr(i + 1, dot - i - 1));
      return;
    }
    if (path[i] == '.' && dot == std::string_view::npos) dot = i;
  }
}

}  // namespace quorvel
