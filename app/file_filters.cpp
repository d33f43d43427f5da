#include "app/file_filters.h"

#include "imagefiles/file_names.h"

namespace quorvel {
namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find(separator, start);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    parts.emplace_back(text.substr(start, stop - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

}  // namespace

SaveDialogChoice SaveDialogChoiceFor(int fileType) {
  if (fileType == kFileTypePng || fileType == kFileTypeJpg || fileType == kFileTypeWebp ||
      fileType == kFileTypeTiff || fileType == kFileTypeHeif)
    return {kSaveFilterJpgFirst, "jpg"};
  return {kSaveFilterBmpFirst, "bmp"};
}

std::vector<FilterEntry> ParseFilterPairs(std::string_view filter) {
  std::vector<FilterEntry> entries;
  const std::vector<std::string> fields = Split(filter, '|');
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    // An empty field is the closing "||"; anything after it is not read.
    if (fields[i].empty() || fields[i + 1].empty()) break;
    FilterEntry entry{fields[i], {}};
    for (std::string& pattern : Split(fields[i + 1], ';'))
      if (!pattern.empty()) entry.patterns.push_back(std::move(pattern));
    if (!entry.patterns.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

std::string OpenDialogFilter() {
  std::string filter(kOpenFilter);
  filter.resize(filter.size() - 1);  // one of the two closing bars
  return filter + kAllFilesFilter;
}

std::string FilterEnding(const FilterEntry& entry) {
  if (entry.patterns.empty()) return {};
  const std::string& pattern = entry.patterns.front();
  return pattern.rfind("*.", 0) == 0 ? pattern.substr(2) : std::string();
}

std::string PathWithEnding(const std::string& path, const std::string& ending) {
  if (ending.empty()) return path;
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  const bool has_dot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  // By the ending after the dot alone: "photoJPG" has none.
  if (has_dot && ImageFileType(path.substr(dot)) != kFileTypeNone) return path;
  return path + "." + ending;
}

std::string QtNameFilter(const FilterEntry& entry) {
  std::string text = entry.description + " (";
  for (std::size_t i = 0; i < entry.patterns.size(); ++i) {
    if (i) text += ' ';
    text += entry.patterns[i];
  }
  return text + ")";
}

}  // namespace quorvel
