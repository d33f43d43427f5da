#include "shapes/platform.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace quorvel {
namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {};
  return exe.parent_path();
}

std::filesystem::path DefaultShapeFolder() {
  const std::filesystem::path folder = ExecutableFolder();
  return (folder.empty() ? std::filesystem::path("/") : folder) / kShapeFolderName;
}

std::filesystem::path UserShapeFolder() {
  // A relative XDG_DATA_HOME is invalid and ignored, as the convention asks.
  const char* data_home = std::getenv("XDG_DATA_HOME");
  std::filesystem::path base;
  if (data_home && data_home[0] == '/') {
    base = data_home;
  } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    return {};
  }
  return base / "quorvel" / "shapes";
}

bool NameLessCaseInsensitive(const std::string& a, const std::string& b) {
  const bool folded_less = std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
  if (folded_less) return true;
  const bool folded_greater = std::lexicographical_compare(
      b.begin(), b.end(), a.begin(), a.end(),
      [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
  if (folded_greater) return false;
  // Same letters apart from case: byte order keeps the sort total.
  return a < b;
}

bool ListFolderSorted(const std::filesystem::path& folder, std::vector<FolderListEntry>& entries) {
  entries.clear();
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return false;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::filesystem::directory_entry& entry = *it;
    std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.') continue;
    std::error_code kind_ec;
    const bool is_link = entry.is_symlink(kind_ec);
    const bool is_dir = entry.is_directory(kind_ec);
    if (is_dir && is_link) continue;
    entries.push_back(FolderListEntry{std::move(name), is_dir});
  }
  std::sort(entries.begin(), entries.end(), [](const FolderListEntry& a, const FolderListEntry& b) {
    return NameLessCaseInsensitive(a.name, b.name);
  });
  return true;
}

}  // namespace quorvel
