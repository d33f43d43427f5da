// `quorvel-shape add` and `remove`: shapes of the user's own shape folder.
#pragma once

#include <string>
#include <vector>

namespace quorvel {

extern const char* const kUserShapeUsage;

// args: everything after "add" (OUTLINE first, then --name N and any build
// options) or after "remove" (NAME). Return the exit status.
int RunShapeAdd(const std::vector<std::string>& args);
int RunShapeRemove(const std::vector<std::string>& args);

}  // namespace quorvel
