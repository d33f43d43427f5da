#include "shapes/folder_catalog.h"

#include <algorithm>
#include <deque>

#include "shapes/platform.h"

namespace quorvel {
namespace {

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return fold(x) == fold(y);
  });
}

}  // namespace

bool HasCatalogExtension(const std::string& file_name, const std::vector<std::string>& extensions) {
  const std::size_t dot = file_name.rfind('.');
  const std::string extension = dot == std::string::npos ? file_name : file_name.substr(dot + 1);
  return std::any_of(extensions.begin(), extensions.end(),
                     [&](const std::string& e) { return EqualIgnoringAsciiCase(extension, e); });
}

const std::vector<std::filesystem::path>& ScanFolderCatalog(
    FolderCatalog& catalog, const std::filesystem::path& root,
    const std::vector<std::string>& extensions) {
  catalog.files.clear();
  std::deque<std::filesystem::path> queue{root};
  std::vector<FolderListEntry> entries;
  while (!queue.empty()) {
    const std::filesystem::path folder = std::move(queue.front());
    queue.pop_front();
    if (!ListFolderSorted(folder, entries)) continue;
    for (const FolderListEntry& entry : entries) {
      if (entry.is_folder)
        queue.push_back(folder / entry.name);
      else if (HasCatalogExtension(entry.name, extensions))
        catalog.files.push_back(folder / entry.name);
    }
  }
  return catalog.files;
}

}  // namespace quorvel
