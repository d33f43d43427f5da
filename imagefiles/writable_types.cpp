#include "imagefiles/writable_types.h"

namespace quorvel {

int WritableFileTypeOfEnding(std::string ending) {
  if (!ending.empty() && ending[0] == '.') ending.erase(0, 1);
  for (char& c : ending)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const TWritableType& type : kWritableTypes)
    if (ending == type.ending) return type.fileType;
  return kFileTypeNone;
}

int WritableFileType(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  return extension.size() > 1 ? WritableFileTypeOfEnding(extension) : kFileTypeNone;
}

std::string WritableEndings() {
  std::string text;
  for (const TWritableType& type : kWritableTypes) {
    if (!text.empty()) text += ", ";
    text += type.ending;
  }
  return text;
}

}  // namespace quorvel
