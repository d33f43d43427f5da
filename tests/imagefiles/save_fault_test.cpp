// Saves that fail on the way: a read-only or full file system, or a process
// killed while it writes. The earlier file of that name must survive whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "imagefiles/messages.h"
#include "imagefiles/saver.h"
#include "raster/memory_room.h"
#include "tests/imagefiles/test_support.h"

namespace quorvel {
namespace {

using testing::MessageCapture;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const char* const kEndings[] = {"bmp", "jpg", "png"};

// Noise compresses badly, so every format writes about as much as it holds.
TImagePair NoisyResult(std::int32_t w, std::int32_t h) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  AllocBlock(pair.src, w, h);
  AllocBlock(pair.result, w, h);
  std::uint32_t state = 2463534242u;
  for (Pixel& p : pair.result) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    p = state | 0xFF000000u;
  }
  pair.loaded = 1;
  return pair;
}

std::vector<std::uint8_t> OldContent() { return std::vector<std::uint8_t>(700, 0x5A); }

std::size_t FilesIn(const std::filesystem::path& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

// A tmpfs on folder, mounted inside this process's own mount namespace so
// that nothing outlives the test process, whatever happens to it.
class ScratchMount {
 public:
  ScratchMount(const std::filesystem::path& folder, const std::string& options) : folder_(folder) {
    static const int isolated =
        ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
            ? 0
            : errno;
    if (isolated != 0) {
      error_ = std::string("no mount namespace: ") + std::strerror(isolated);
      return;
    }
    std::filesystem::create_directory(folder_);
    if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) != 0)
      error_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
  }
  ~ScratchMount() {
    if (error_.empty()) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  bool Remount(unsigned long flags, const std::string& options) {
    return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | flags, options.c_str()) == 0;
  }
  const std::string& error() const { return error_; }

 private:
  std::filesystem::path folder_;
  std::string error_;
};

// Fills the file system holding folder until at most `left` bytes are free.
void FillUpTo(const std::filesystem::path& folder, std::size_t left) {
  const int fd = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  std::vector<char> chunk(4096, 'f');
  std::size_t written = 0;
  while (::write(fd, chunk.data(), chunk.size()) == static_cast<ssize_t>(chunk.size()))
    written += chunk.size();
  ::close(fd);
  ASSERT_GT(written, left);
  // Give back just enough that a save starts writing and runs out part-way.
  ASSERT_EQ(::truncate((folder / "filler").c_str(), static_cast<off_t>(written - left)), 0);
}

TEST(SaveFaults, ReadOnlyFileSystemKeepsOldFileAndShowsMessage) {
  TempFolder dir;
  ScratchMount mount(dir / "ro", "size=1m");
  if (!mount.error().empty()) GTEST_SKIP() << mount.error() << " (the read-only folder case for "
                                              "other users is SaveImageFile.ReadOnlyFolder...)";
  for (const char* ending : kEndings) WriteBytes(dir / "ro" / (std::string("keep.") + ending), OldContent());
  ASSERT_TRUE(mount.Remount(MS_RDONLY, "size=1m"));

  // Root too is refused here: the file system, not the folder's mode, says no.
  TImagePair pair = NoisyResult(40, 30);
  for (const char* ending : kEndings) {
    const auto target = dir / "ro" / (std::string("keep.") + ending);
    MessageCapture messages;
    EXPECT_EQ(SaveImageFile(pair, target), 0) << ending;
    EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgSaveFailed}) << ending;
    EXPECT_EQ(ReadBytes(target), OldContent()) << ending;
  }
  EXPECT_EQ(FilesIn(dir / "ro"), 3u);
}

TEST(SaveFaults, FullFileSystemKeepsOldFileAndShowsMessage) {
  TempFolder dir;
  ScratchMount mount(dir / "full", "size=256k");
  if (!mount.error().empty()) GTEST_SKIP() << mount.error() << " (SaveImageFile.FailedWrite... "
                                              "cuts writes off with a file size limit instead)";
  const auto folder = dir / "full";
  for (const char* ending : kEndings) WriteBytes(folder / (std::string("keep.") + ending), OldContent());
  FillUpTo(folder, 12 * 1024);

  // 200 x 150 noise: at least 30 KB in every format, JPEG included.
  TImagePair pair = NoisyResult(200, 150);
  for (const char* ending : kEndings) {
    const auto target = folder / (std::string("keep.") + ending);
    MessageCapture messages;
    EXPECT_EQ(SaveImageFile(pair, target), 0) << ending;
    EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgSaveFailed}) << ending;
    EXPECT_EQ(ReadBytes(target), OldContent()) << ending;
  }
  EXPECT_EQ(FilesIn(folder), 4u);  // the three old files and the filler: no temporaries

  // Once there is room again the same save goes through.
  std::filesystem::remove(folder / "filler");
  MessageCapture messages;
  EXPECT_EQ(SaveImageFile(pair, folder / "keep.png"), 1);
  EXPECT_TRUE(messages.texts.empty());
  EXPECT_GT(ReadBytes(folder / "keep.png").size(), OldContent().size());
}

// Runs save in a child process and returns its wait status. The child gets
// no core file and leaves without running the test program's exit handlers.
template <typename Setup>
int SaveInChild(TImagePair& pair, const std::filesystem::path& target, Setup setup,
                int* child_pid = nullptr) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    setup();
    ::_exit(SaveImageFile(pair, target) == 1 ? 0 : 1);
  }
  if (child_pid) {
    *child_pid = pid;
    return 0;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

TEST(SaveFaults, ProcessKilledAtFileSizeLimitKeepsOldFile) {
  // The kernel kills a process with SIGXFSZ on the write that crosses its
  // file size limit: an interruption at an exactly known point.
  TempFolder dir;
  TImagePair pair = NoisyResult(200, 150);
  for (const char* ending : kEndings) {
    const auto target = dir / (std::string("keep.") + ending);
    WriteBytes(target, OldContent());
    const int status = SaveInChild(pair, target, [] {
      std::signal(SIGXFSZ, SIG_DFL);
      const rlimit limit{16 * 1024, RLIM_INFINITY};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << ending << ": the save was not cut off";
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ) << ending;
    EXPECT_EQ(ReadBytes(target), OldContent()) << ending;
  }
}

TEST(SaveFaults, ProcessKilledWhileWritingKeepsOldFile) {
  // SIGKILL as soon as the temporary file grows; the 16 MB PNG of noise is
  // far from written by then. The child's end of a pipe closing ends the
  // wait should it die or finish first.
  TempFolder dir;
  const auto target = dir / "keep.png";
  WriteBytes(target, OldContent());
  const int watch = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_MODIFY), 0);
  int alive[2];
  ASSERT_EQ(::pipe(alive), 0);

  TImagePair pair = NoisyResult(2000, 2000);
  int pid = 0;
  SaveInChild(pair, target, [&] { ::close(alive[0]); }, &pid);
  ::close(alive[1]);

  bool grew = false;
  pollfd fds[2] = {{watch, POLLIN, 0}, {alive[0], POLLIN, 0}};
  while (!grew && ::poll(fds, 2, -1) > 0) {
    if (fds[0].revents & POLLIN) {
      alignas(inotify_event) char events[4096];
      const ssize_t n = ::read(watch, events, sizeof events);
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(events + at);
        if (e->len && std::string(e->name) != "keep.png") grew = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
    if (!grew && (fds[1].revents & (POLLIN | POLLHUP))) break;
  }
  if (grew) ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(watch);
  ::close(alive[0]);

  ASSERT_TRUE(grew) << "the child never wrote its temporary file";
  ASSERT_TRUE(WIFSIGNALED(status)) << "the save finished before the kill";
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  EXPECT_EQ(ReadBytes(target), OldContent());
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

TEST(SaveFaults, OutOfMemorySaysSoAndKeepsTheOldFile) {
  TempFolder dir;
  TImagePair pair;
  pair.width = 8200;
  pair.height = 8200;
  AllocBlock(pair.result, 8200, 8200);  // never touched: costs no memory
  SetMemoryRoomCap(std::uint64_t{64} << 20);
  for (const char* ending : kEndings) {
    const auto path = dir / (std::string("big.") + ending);
    WriteBytes(path, OldContent());
    MessageCapture messages;
    EXPECT_EQ(SaveImageFile(pair, path), 0) << ending;
    EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgSaveNoMemory}) << ending;
    EXPECT_EQ(ReadBytes(path), OldContent()) << ending;
  }
  SetMemoryRoomCap(0);
  EXPECT_EQ(FilesIn(dir.path()), 3u);
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

struct stat StatOf(const std::filesystem::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st;
}

TEST(SaveOver, ReadOnlyFileIsRefusedAndKeepsItsContent) {
  TempFolder dir;
  TImagePair pair = NoisyResult(20, 15);
  for (const char* ending : kEndings) {
    const auto path = dir / (std::string("ro.") + ending);
    WriteBytes(path, OldContent());
    ::chmod(path.c_str(), 0444);
    MessageCapture messages;
    EXPECT_EQ(SaveImageFile(pair, path), 0) << ending;
    EXPECT_EQ(messages.texts, std::vector<std::string>{kMsgSaveFailed});
    EXPECT_EQ(ReadBytes(path), OldContent());
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0444u);
  }
  EXPECT_EQ(FilesIn(dir.path()), 3u);
}

TEST(SaveOver, ReplacedFileKeepsModeOwnerAndHardLinks) {
  TempFolder dir;
  TImagePair pair = NoisyResult(20, 15);
  const auto path = dir / "kept.png";
  WriteBytes(path, OldContent());
  ::chmod(path.c_str(), 0640);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  }
  std::filesystem::create_hard_link(path, dir / "link.png");
  const struct stat before = StatOf(path);
  ASSERT_EQ(SaveImageFile(pair, path), 1);
  const struct stat after = StatOf(path);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_NE(ReadBytes(path), OldContent());
  EXPECT_EQ(ReadBytes(dir / "link.png"), ReadBytes(path));
  // Without other links the file is replaced whole, and keeps the same.
  std::filesystem::remove(dir / "link.png");
  ::chmod(path.c_str(), 0604);
  ASSERT_EQ(SaveImageFile(pair, dir / "kept.png"), 1);
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0604u);
  EXPECT_EQ(StatOf(path).st_uid, before.st_uid);
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(SaveOver, TemporariesOfKilledSavesAreRemovedOthersKept) {
  TempFolder dir;
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ::waitpid(gone, nullptr, 0);
  const std::string stale = ".quorvel-save-" + std::to_string(gone) + "-0.tmp";
  const std::string living = ".quorvel-save-" + std::to_string(::getppid()) + "-0.tmp";
  WriteBytes(dir / stale, OldContent());
  WriteBytes(dir / living, OldContent());
  WriteBytes(dir / ".quorvel-save-notes.tmp", OldContent());
  TImagePair pair = NoisyResult(20, 15);
  ASSERT_EQ(SaveImageFile(pair, dir / "out.bmp"), 1);
  EXPECT_FALSE(std::filesystem::exists(dir / stale));
  EXPECT_TRUE(std::filesystem::exists(dir / living));
  EXPECT_TRUE(std::filesystem::exists(dir / ".quorvel-save-notes.tmp"));
}

TEST(SaveOver, FileOfAnotherUserIsNotReplacedByOneWhoMayNotWriteIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  TempFolder dir;
  ::chmod(dir.path().c_str(), 0777);  // the folder allows the rename
  const auto path = dir / "theirs.bmp";
  WriteBytes(path, OldContent());
  ::chmod(path.c_str(), 0644);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    TImagePair pair = NoisyResult(20, 15);
    ::_exit(SaveImageFile(pair, path) == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ReadBytes(path), OldContent());
}

}  // namespace
}  // namespace quorvel
