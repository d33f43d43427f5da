// Opening a picture file the user named, which may be anything: a FIFO, a
// device, a folder.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

namespace quorvel {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens path for binary reading when it is a regular file (a symbolic link
// to one counts); null otherwise. The open never blocks, so a FIFO named
// like a picture is refused instead of waiting for a writer.
FileHandle OpenRegularFile(const std::filesystem::path& path);

}  // namespace quorvel
