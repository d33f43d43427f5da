#include "cli/user_shape_commands.h"

#include <unistd.h>

#include <cstdio>
#include <system_error>

#include "cli/exit_status.h"
#include "cli/shape_build.h"
#include "shapes/platform.h"
#include "shapes/user_shapes.h"

namespace quorvel {

const char* const kUserShapeUsage =
    "  quorvel-shape add OUTLINE [--name N] [build options]\n"
    "                         build a shape into your own shape folder (printed), under the\n"
    "                         outline's name or N; a taken name gets -2, -3, ...\n"
    "  quorvel-shape remove NAME  delete NAME.qshp from your own shape folder\n";

namespace {

int Refuse(const char* command, const std::string& message, int status) {
  std::fprintf(stderr, "quorvel-shape %s: %s\n", command, message.c_str());
  if (status == kExitUsage) std::fprintf(stderr, "Usage:\n%s", kUserShapeUsage);
  return status;
}

bool HelpAsked(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

}  // namespace

int RunShapeAdd(const std::vector<std::string>& args) {
  if (HelpAsked(args)) {
    std::printf("Usage:\n%s", kUserShapeUsage);
    return kExitSuccess;
  }
  if (args.empty() || args[0].empty() || args[0][0] == '-') return Refuse("add", "add takes the outline file first", kExitUsage);
  const std::filesystem::path outline = args[0];
  std::string name = UserShapeNameFor(outline);
  std::vector<std::string> build = {args[0]};
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--name") {
      if (i + 1 == args.size()) return Refuse("add", "--name takes a name", kExitUsage);
      name = args[++i];
      if (!IsSafeUserShapeName(name))
        return Refuse("add", "'" + name + "' is not a shape name: no '/', no leading '.'", kExitUsage);
    } else if (args[i] == "-o") {
      return Refuse("add", "add chooses the file itself; use build -o for a file of your own", kExitUsage);
    } else {
      build.push_back(args[i]);
    }
  }

  const std::filesystem::path folder = UserShapeFolder();
  std::error_code ec;
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  if (folder.empty() || !std::filesystem::is_directory(folder, ec))
    return Refuse("add", "your shape folder " + folder.string() + " cannot be made", kExitOutputNotWritten);
  // Built under a hidden name the folder scan skips, then linked into place.
  static unsigned counter = 0;
  const std::filesystem::path built =
      folder / (".quorvel-add-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp");
  build.insert(build.end(), {"-o", built.string()});
  const int status = RunShapeBuild(build);
  if (status != kExitSuccess) {
    std::filesystem::remove(built, ec);
    return status;
  }
  std::filesystem::path placed;
  if (!PlaceUserShape(built, folder, name, placed))
    return Refuse("add", "the shape cannot be written into " + folder.string(), kExitOutputNotWritten);
  std::printf("%s\n", placed.string().c_str());
  return kExitSuccess;
}

int RunShapeRemove(const std::vector<std::string>& args) {
  if (HelpAsked(args)) {
    std::printf("Usage:\n%s", kUserShapeUsage);
    return kExitSuccess;
  }
  if (args.size() != 1) return Refuse("remove", "remove takes one shape name", kExitUsage);
  const std::string& name = args[0];
  if (!IsSafeUserShapeName(name))
    return Refuse("remove", "'" + name + "' is not a shape name: no '/', no leading '.'", kExitUsage);
  const std::filesystem::path folder = UserShapeFolder();
  switch (RemoveUserShape(folder, name)) {
    case UserShapeRemoval::kRemoved:
      return kExitSuccess;
    case UserShapeRemoval::kNotFound:
      return Refuse("remove", "no shape \"" + name + "\" in " + folder.string(), kExitShapeUnusable);
    case UserShapeRemoval::kFailed:
      break;
  }
  return Refuse("remove", "the shape cannot be removed from " + folder.string(), kExitOutputNotWritten);
}

}  // namespace quorvel
