// How much more memory this process may take before an allocation fails or
// the system starts killing processes.
#pragma once

#include <cstdint>

namespace quorvel {

inline constexpr std::uint64_t kUnknownRoom = UINT64_MAX;

// The least of: the room left under the address-space limit (less a
// reserve for the worker threads' stacks and heaps), the room left under the
// memory limits of the process's cgroup and its ancestors (v2 or v1), and
// the system's available memory; plus the spare blocks this process keeps
// for reuse. kUnknownRoom when none can be read.
std::uint64_t MemoryRoom();

// Caps what MemoryRoom reports (0 lifts the cap): for callers that keep a
// reserve, and for tests of what runs out.
void SetMemoryRoomCap(std::uint64_t bytes);

}  // namespace quorvel
