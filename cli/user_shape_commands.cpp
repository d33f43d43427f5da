#include "cli/user_shape_commands.h"

#include <unistd.h>

#include <cstdio>
#include <system_error>

#include "cli/exit_status.h"
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

}  // namespace

// Everything but add's own options speaks as build, which it runs.
ArgCommand ShapeAddCommand(ShapeAddRequest& request) {
  ArgCommand add = ShapeBuildCommand(request.build);
  add.name = "add";
  add.options = ShapeBuildOptions(request.build);
  add.options.push_back(SaidBy("add", ChoiceArg("--name", [&request](const std::string& text) {
    request.name = text;
    return true;
  }, "--name takes a name")));
  add.options.push_back(SaidBy("add", ChoiceArg("-o", [](const std::string&) { return false; },
                                                "add chooses the file itself; use build -o for a file of your own")));
  return add;
}

ArgCommand ShapeRemoveCommand(std::vector<std::string>& names) {
  ArgCommand remove;
  remove.name = remove.who = "remove";
  remove.words = &names;
  remove.max_words = 1;
  remove.unknown = [](const std::string&) { return std::string("remove takes one shape name"); };
  return remove;
}

int UserShapeRefusal(const char* command, const std::string& message) { return Refuse(command, message, kExitUsage); }

int RunShapeAdd(const ShapeAddRequest& request) {
  if (request.build.sources.empty()) return Refuse("add", "add takes the outline file first", kExitUsage);
  const std::filesystem::path outline = request.build.sources.front();
  const std::string name = request.name ? *request.name : UserShapeNameFor(outline);
  if (request.name && !IsSafeUserShapeName(name))
    return Refuse("add", "'" + name + "' is not a shape name: no '/', no leading '.'", kExitUsage);

  const std::filesystem::path folder = UserShapeFolder();
  std::error_code ec;
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  if (folder.empty() || !std::filesystem::is_directory(folder, ec))
    return Refuse("add", "your shape folder " + folder.string() + " cannot be made", kExitOutputNotWritten);
  // Built under a hidden name the folder scan skips, then linked into place.
  static unsigned counter = 0;
  const std::filesystem::path built =
      folder / (".quorvel-add-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp");
  ShapeBuildRequest build = request.build;
  build.output = built.string();
  build.shown = name;
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

int RunShapeRemove(const std::vector<std::string>& names) {
  if (names.size() != 1) return Refuse("remove", "remove takes one shape name", kExitUsage);
  const std::string& name = names[0];
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
