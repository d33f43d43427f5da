// What the shape library needs from the operating system: where the running
// executable lies, and a folder's entries in the one order every machine shares.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel {

// The folder of the running executable, symbolic links resolved; empty when
// it cannot be found.
std::filesystem::path ExecutableFolder();

// The shape folder's name. Not "quorvel": the window's executable already
// bears that name in the same folder.
inline constexpr const char* kShapeFolderName = "quorvel-shapes";

// ExecutableFolder() / kShapeFolderName; "/" + that name when the
// executable's folder is unknown.
std::filesystem::path DefaultShapeFolder();

// The user's own shapes, after the freedesktop base-directory rules:
// $XDG_DATA_HOME/quorvel/shapes when that is an absolute path, else
// $HOME/.local/share/quorvel/shapes; empty when neither is known.
std::filesystem::path UserShapeFolder();

struct FolderListEntry {
  std::string name;  // UTF-8 file name
  bool is_folder = false;
};

// The visible entries of folder, sorted by name with ASCII letters compared
// without case (ties byte-wise). Names starting with '.' are hidden and left
// out; so are folders reached through a symbolic link, which are never
// descended. Everything else that is not a folder is listed as a file.
// Returns false, with entries empty, when the folder cannot be listed.
bool ListFolderSorted(const std::filesystem::path& folder, std::vector<FolderListEntry>& entries);

// The name order of ListFolderSorted.
bool NameLessCaseInsensitive(const std::string& a, const std::string& b);

}  // namespace quorvel
