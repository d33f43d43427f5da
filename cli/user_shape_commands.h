// `quorvel-shape add` and `remove`: shapes of the user's own shape folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/shape_build.h"

namespace quorvel {

extern const char* const kUserShapeUsage;

// OUTLINE [--name N] and any build option but -o.
struct ShapeAddRequest {
  ShapeBuildRequest build;
  std::optional<std::string> name;  // none: the outline's own name
};

ArgCommand ShapeAddCommand(ShapeAddRequest& request);
ArgCommand ShapeRemoveCommand(std::vector<std::string>& names);
// command: "add" or "remove". Prints message and the usage; returns the usage status.
int UserShapeRefusal(const char* command, const std::string& message);
// Return the exit status.
int RunShapeAdd(const ShapeAddRequest& request);
int RunShapeRemove(const std::vector<std::string>& names);

}  // namespace quorvel
