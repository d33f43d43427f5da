#include "imagefiles/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quorvel {
namespace {

constexpr std::string_view kTempPrefix = ".quorvel-save-";

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
    temp = folder / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++) + ".tmp");
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A save killed part way leaves its temporary behind; the next save into
// the folder removes those of processes that are gone, and only our own.
void RemoveStaleTemporaries(const std::filesystem::path& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(kTempPrefix, 0) != 0 || !name.ends_with(".tmp")) continue;
    pid_t pid = 0;
    const char* digits = name.data() + kTempPrefix.size();
    const auto [rest, error] = std::from_chars(digits, name.data() + name.size(), pid);
    if (error != std::errc() || rest == digits || *rest != '-' || pid <= 0 || pid == ::getpid()) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    struct stat st;
    if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
      ::unlink(it->path().c_str());
  }
}

// Replacing by rename needs only the folder's permission; the file's own
// say whether the user may change it. A file without any write permission
// was marked read-only on purpose, even for root.
bool MayReplace(const std::filesystem::path& path, const struct stat& existing) {
  return (existing.st_mode & 0222) != 0 && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// The new file takes the old one's owner where the process may set it
// (root; a group the user belongs to), then its mode: a change of owner
// clears the set-id bits.
void TakeOverIdentity(int fd, const struct stat& existing) {
  if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
  (void)::fchmod(fd, existing.st_mode & 07777);
}

// A file with other hard links is rewritten in place once the complete new
// content is on disk, so that every name keeps seeing one file. The room is
// reserved first: a full disk fails before the old content is touched.
bool CopyInPlace(const std::filesystem::path& from, const std::filesystem::path& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const int out = ::open(to.c_str(), O_WRONLY | O_CLOEXEC);
  struct stat st;
  bool ok = out >= 0 && ::fstat(in, &st) == 0;
  if (ok && st.st_size > 0) {
    const int reserved = ::posix_fallocate(out, 0, st.st_size);
    ok = reserved == 0 || reserved == EOPNOTSUPP || reserved == EINVAL;
  }
  std::vector<char> buffer(1 << 20);
  while (ok) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
      ok = w > 0;
      done += w > 0 ? w : 0;
    }
  }
  ok = ok && ::ftruncate(out, st.st_size) == 0 && ::fsync(out) == 0;
  if (out >= 0) ok = ::close(out) == 0 && ok;
  ::close(in);
  return ok;
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& target,
                         const std::function<bool(std::FILE*)>& write) {
  const std::filesystem::path final_path = ResolvedTarget(target);
  std::filesystem::path folder = final_path.parent_path();
  if (folder.empty()) folder = ".";

  struct stat existing;
  const bool replacing = ::stat(final_path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  if (replacing && !MayReplace(final_path, existing)) return false;
  RemoveStaleTemporaries(folder);

  std::filesystem::path temp;
  const int fd = CreateTemporary(folder, temp);
  if (fd < 0) return false;
  if (replacing) TakeOverIdentity(fd, existing);

  std::FILE* f = ::fdopen(fd, "wb");
  if (!f) {
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
  }
  bool ok = write(f);
  ok = ok && std::fflush(f) == 0 && !std::ferror(f) && ::fsync(::fileno(f)) == 0;
  ok = std::fclose(f) == 0 && ok;
  if (ok && replacing && existing.st_nlink > 1) {
    ok = CopyInPlace(temp, final_path);
    ::unlink(temp.c_str());
    return ok;
  }
  ok = ok && ::rename(temp.c_str(), final_path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  if (ok) SyncFolder(folder);
  return ok;
}

}  // namespace quorvel
