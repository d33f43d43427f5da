// Replacing a file only once its new content is complete.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>

namespace quorvel {

// Runs write on a temporary file in target's folder and renames it over
// target when write and the flush succeed. On any failure the temporary is
// removed and an existing target stays as it was. A symbolic link is
// followed, so the file it points to is replaced, not the link.
bool WriteFileAtomically(const std::filesystem::path& target,
                         const std::function<bool(std::FILE*)>& write);

}  // namespace quorvel
