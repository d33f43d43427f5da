#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace quorvel::fuzz {

void SilenceMessages() {
  static QuietMessages sink;
  SetMessageSink(&sink);
}

std::filesystem::path ScratchFile(const std::uint8_t* data, std::size_t size,
                                  const std::string& ending) {
  // /dev/shm keeps millions of rewrites off the disk.
  static const std::filesystem::path folder = [] {
    std::error_code ec;
    return std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                         : std::filesystem::temp_directory_path();
  }();
  static std::filesystem::path path;
  static const bool cleaned = std::atexit([] { std::filesystem::remove(path); }) == 0;
  (void)cleaned;
  if (!path.empty() && path.extension() != ending) std::filesystem::remove(path);
  path = folder / ("quorvel-fuzz-" + std::to_string(::getpid()) + ending);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();  // a broken scratch file would hide every input
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

}  // namespace quorvel::fuzz
