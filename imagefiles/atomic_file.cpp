#include "imagefiles/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace quorvel {
namespace {

std::filesystem::path ResolvedTarget(const std::filesystem::path& target) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(target, ec)) return target;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
  return ec ? target : resolved;
}

// Creates the temporary with O_EXCL so two saves never share one; the mode
// 0666 goes through the umask like any newly created file.
int CreateTemporary(const std::filesystem::path& folder, std::filesystem::path& temp) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = folder / (".quorvel-save-" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + ".tmp");
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& target,
                         const std::function<bool(std::FILE*)>& write) {
  const std::filesystem::path final_path = ResolvedTarget(target);
  std::filesystem::path folder = final_path.parent_path();
  if (folder.empty()) folder = ".";

  std::filesystem::path temp;
  const int fd = CreateTemporary(folder, temp);
  if (fd < 0) return false;
  // A replaced file keeps its permissions.
  struct stat existing;
  if (::stat(final_path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
    ::fchmod(fd, existing.st_mode & 07777);

  std::FILE* f = ::fdopen(fd, "wb");
  if (!f) {
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
  }
  bool ok = write(f);
  ok = ok && std::fflush(f) == 0 && !std::ferror(f) && ::fsync(::fileno(f)) == 0;
  ok = std::fclose(f) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), final_path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace quorvel
