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
// A replaced file keeps its mode and, where the process may set them, its
// owner and group; a file the user could not write in place (or one with no
// write permission at all) is refused. A file with further hard links is
// rewritten in place once the new content is complete, so the links stay.
// Temporaries that killed saves of ours left in the folder are removed.
bool WriteFileAtomically(const std::filesystem::path& target,
                         const std::function<bool(std::FILE*)>& write);

}  // namespace quorvel
