// The platform's side of memory limits: Linux's rlimits, /proc and the
// cgroup file system.
#include "raster/memory_room.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "raster/parallel.h"
#include "raster/pixels.h"

namespace quorvel {
namespace {

std::atomic<std::uint64_t> room_cap{0};

// Each worker thread maps a stack and may open a heap arena of its own;
// both count against the address-space limit.
constexpr std::uint64_t kThreadReserve = std::uint64_t{72} << 20;

bool ReadNumber(const std::filesystem::path& file, std::uint64_t& out) {
  std::ifstream in(file);
  std::string text;
  if (!(in >> text)) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();  // "max" is no number
}

std::uint64_t Less(std::uint64_t limit, std::uint64_t used) { return limit > used ? limit - used : 0; }

std::uint64_t AddressSpaceRoom() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnknownRoom;
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  if (!(statm >> pages)) return kUnknownRoom;
  const std::uint64_t used = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)) +
                             static_cast<std::uint64_t>(WorkerThreads()) * kThreadReserve;
  return Less(limit.rlim_cur, used);
}

// Every cgroup from the process's own up to the root limits it.
std::uint64_t CgroupRoom() {
  std::ifstream cgroups("/proc/self/cgroup");
  std::string line;
  std::uint64_t room = kUnknownRoom;
  while (std::getline(cgroups, line)) {
    const bool v2 = line.rfind("0::", 0) == 0;
    const std::size_t at = line.find(":memory:");
    if (!v2 && at == std::string::npos) continue;
    const std::string relative = v2 ? line.substr(3) : line.substr(at + 8);
    const std::filesystem::path root = v2 ? "/sys/fs/cgroup" : "/sys/fs/cgroup/memory";
    const char* max_name = v2 ? "memory.max" : "memory.limit_in_bytes";
    const char* used_name = v2 ? "memory.current" : "memory.usage_in_bytes";
    std::filesystem::path dir = root / std::filesystem::path(relative).relative_path();
    for (;;) {
      std::uint64_t max = 0, used = 0;
      if (ReadNumber(dir / max_name, max) && ReadNumber(dir / used_name, used))
        room = std::min(room, Less(max, used));
      if (dir == root || !dir.has_relative_path()) break;
      dir = dir.parent_path();
    }
  }
  return room;
}

std::uint64_t AvailableRoom() {
  std::ifstream meminfo("/proc/meminfo");
  std::string line;
  constexpr std::string_view kKey = "MemAvailable:";
  while (std::getline(meminfo, line)) {
    if (line.rfind(kKey, 0) != 0) continue;
    const std::size_t digits = line.find_first_not_of(' ', kKey.size());
    std::uint64_t kilobytes = 0;
    if (digits == std::string::npos ||
        std::from_chars(line.data() + digits, line.data() + line.size(), kilobytes).ec != std::errc())
      return kUnknownRoom;
    return kilobytes << 10;
  }
  return kUnknownRoom;
}

}  // namespace

std::uint64_t MemoryRoom() {
  std::uint64_t room = std::min({AddressSpaceRoom(), CgroupRoom(), AvailableRoom()});
  // Spare blocks are counted as used by every measure, yet any request may
  // take them.
  const std::uint64_t spare = SpareBlockBytes();
  if (room != kUnknownRoom) room = room > kUnknownRoom - spare ? kUnknownRoom - 1 : room + spare;
  const std::uint64_t cap = room_cap.load(std::memory_order_relaxed);
  return cap ? std::min(room, cap) : room;
}

void SetMemoryRoomCap(std::uint64_t bytes) { room_cap.store(bytes, std::memory_order_relaxed); }

}  // namespace quorvel
