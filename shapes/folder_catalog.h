// FolderCatalog: every file below a root folder whose extension is in a list,
// walked breadth-first.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel {

struct FolderCatalog {
  std::vector<std::filesystem::path> files;  // full paths, in walk order
};

// Replaces catalog.files: the root's files first, then its subfolders' in the
// order the subfolders were listed, then the next level, to any depth; each
// folder's entries in ListFolderSorted order. A file matches when the text
// after the last dot of its name (the whole name when there is none) equals
// an entry of extensions, ASCII case ignored. A folder that cannot be listed
// contributes nothing. Returns catalog.files.
const std::vector<std::filesystem::path>& ScanFolderCatalog(
    FolderCatalog& catalog, const std::filesystem::path& root,
    const std::vector<std::string>& extensions);

// The extension test of the catalog.
bool HasCatalogExtension(const std::string& file_name, const std::vector<std::string>& extensions);

}  // namespace quorvel
