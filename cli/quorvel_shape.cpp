// quorvel-shape: shape files for authors. `dump` prints a .qshp as text,
// `pack` writes a .qshp from such text, `build` makes one from an SVG
// drawing, `add` and `remove` keep the user's own shape folder, `sheet` draws
// a contact sheet of a shape folder.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/contact_sheet.h"
#include "cli/exit_status.h"
#include "cli/shape_build.h"
#include "cli/shape_dump.h"
#include "cli/shape_pack.h"
#include "cli/user_shape_commands.h"
#include "shapes/shape_reader.h"
#include "shapebuild/shape_writer.h"

namespace quorvel {
namespace {

constexpr const char* kDumpUsage = "  quorvel-shape dump FILE.qshp            print a shape file as text\n";
constexpr const char* kPackUsage = "  quorvel-shape pack DUMP.txt -o FILE.qshp  write a shape file from that text\n";
constexpr const char* kUsage =
    "Usage:\n"
    "%s"
    "%s"
    "%s"
    "%s"
    "%s"
    "  quorvel-shape --help | --version\n"
    "\n"
    "Text form, one item per line (blank lines and lines starting with # are ignored):\n"
    "  outline N        then N lines \"x y\" in the 600 x 600 design square (optional for pack;\n"
    "                   without it the outer polyline, mapped to that square, is the outline)\n"
    "  polylines P      then P times: \"polyline M\" and M lines \"x y\", -150..150 frame\n"
    "\n"
    "Exit status: 0 success, 1 usage, 3 shape unusable, 4 output not written.\n";

void PrintUsage(FILE* to) {
  std::fprintf(to, kUsage, kDumpUsage, kPackUsage, BuildUsage().c_str(), kUserShapeUsage, kSheetUsage);
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "quorvel-shape: %s\n", message.c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

// A refusal under the usage of the command it concerns.
int Refuse(const std::string& who, const std::string& message) {
  if (who == "build") return ShapeBuildRefusal(message);
  if (who == "sheet") return ContactSheetRefusal(message);
  if (who == "add" || who == "remove") return UserShapeRefusal(who.c_str(), message);
  return UsageError(message);
}

// Each command's --help: the part of the usage that is about it.
void PrintHelp(const std::string& command) {
  if (command.empty()) return PrintUsage(stdout);
  const std::string usage = command == "dump"    ? kDumpUsage
                            : command == "pack"  ? kPackUsage
                            : command == "build" ? BuildUsage()
                            : command == "sheet" ? kSheetUsage
                                                 : kUserShapeUsage;
  std::printf("Usage:\n%s", usage.c_str());
}

std::string UnknownOption(const std::string& word) { return "unknown option '" + word + "'"; }

ArgCommand DumpCommand(std::vector<std::string>& files) {
  ArgCommand dump;
  dump.name = "dump";
  dump.words = &files;
  dump.max_words = 1;
  dump.unknown = UnknownOption;
  dump.surplus = [](const std::string&) { return std::string("dump takes one shape file"); };
  return dump;
}

ArgCommand PackCommand(std::vector<std::string>& files, std::string& output) {
  ArgCommand pack;
  pack.name = "pack";
  pack.words = &files;
  pack.max_words = 1;
  pack.unknown = UnknownOption;
  pack.surplus = [](const std::string&) { return std::string("pack takes one input file"); };
  pack.options = {Once(TextArg("-o", output, "-o takes one output file"))};
  return pack;
}

int Dump(const std::string& path) {
  DecodedShapeFile file;
  const ShapeFileProblem problem = ReadShapeFile(path, file);
  if (problem != ShapeFileProblem::kNone) {
    std::fprintf(stderr, "quorvel-shape: %s: %s\n", path.c_str(), DescribeShapeFileProblem(problem));
    return kExitShapeUnusable;
  }
  const std::string text = FormatShapeDump(file);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "quorvel-shape: cannot write to standard output\n");
    return kExitOutputNotWritten;
  }
  return kExitSuccess;
}

int Pack(const std::string& input, const std::string& output) {
  std::ifstream in(input, std::ios::binary);
  std::stringstream text;
  if (!in || !(text << in.rdbuf())) {
    std::fprintf(stderr, "quorvel-shape: %s: cannot be read\n", input.c_str());
    return kExitShapeUnusable;
  }
  ShapeDump dump;
  ShapeFileContents contents;
  std::string error;
  if (!ParseShapeDump(text.str(), dump, error) || !PackShapeDump(dump, contents, error)) {
    std::fprintf(stderr, "quorvel-shape: %s: %s\n", input.c_str(), error.c_str());
    return kExitShapeUnusable;
  }
  if (!WriteShapeFile(output, contents)) {
    std::fprintf(stderr, "quorvel-shape: %s: cannot be written\n", output.c_str());
    return kExitOutputNotWritten;
  }
  return kExitSuccess;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError("no command given");
  std::vector<std::string> dump_files, pack_files, remove_names;
  std::string pack_output;
  ShapeBuildRequest build;
  ContactSheetRequest sheet;
  ShapeAddRequest add;

  ArgCommand tool;
  tool.version = true;
  tool.unknown = [](const std::string& word) { return "unknown command '" + word + "'"; };
  tool.commands = {DumpCommand(dump_files),     PackCommand(pack_files, pack_output),
                   ShapeBuildCommand(build),    ContactSheetCommand(sheet),
                   ShapeAddCommand(add),        ShapeRemoveCommand(remove_names)};
  const ArgsOutcome outcome = ParseArgs(tool, args);
  switch (outcome.verdict) {
    case ArgsVerdict::kHelp:
      PrintHelp(outcome.command);
      return kExitSuccess;
    case ArgsVerdict::kVersion:
      std::printf("quorvel-shape %s\n", QUORVEL_VERSION);
      return kExitSuccess;
    case ArgsVerdict::kRefused:
      return Refuse(outcome.who, outcome.message);
    case ArgsVerdict::kRun:
      break;
  }
  const std::string& command = outcome.command;
  if (command == "dump") {
    if (dump_files.size() != 1) return UsageError("dump takes one shape file");
    return Dump(dump_files[0]);
  }
  if (command == "pack") {
    if (pack_files.empty() || pack_output.empty()) return UsageError("pack needs DUMP.txt and -o FILE.qshp");
    return Pack(pack_files[0], pack_output);
  }
  if (command == "build") return RunShapeBuild(build);
  if (command == "sheet") return RunContactSheet(sheet);
  if (command == "add") return RunShapeAdd(add);
  if (command == "remove") return RunShapeRemove(remove_names);
  return UsageError("no command given");
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
  return quorvel::Run(std::vector<std::string>(argv + 1, argv + argc));
}
