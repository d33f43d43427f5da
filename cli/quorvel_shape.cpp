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
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    PrintUsage(stdout);
    return kExitSuccess;
  }
  if (command == "--version") {
    std::printf("quorvel-shape %s\n", QUORVEL_VERSION);
    return kExitSuccess;
  }
  // Each command's --help: the part of the usage that is about it.
  const bool help = args.size() == 2 && (args[1] == "--help" || args[1] == "-h");
  if (help && (command == "dump" || command == "pack")) {
    std::printf("Usage:\n%s", command == "dump" ? kDumpUsage : kPackUsage);
    return kExitSuccess;
  }
  if (command == "dump") {
    if (args.size() != 2) return UsageError("dump takes one shape file");
    return Dump(args[1]);
  }
  if (command == "pack") {
    std::string input;
    std::string output;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "-o") {
        if (i + 1 == args.size() || !output.empty()) return UsageError("-o takes one output file");
        output = args[++i];
      } else if (input.empty()) {
        input = args[i];
      } else {
        return UsageError("pack takes one input file");
      }
    }
    if (input.empty() || output.empty()) return UsageError("pack needs DUMP.txt and -o FILE.qshp");
    return Pack(input, output);
  }
  if (command == "build") return RunShapeBuild({args.begin() + 1, args.end()});
  if (command == "sheet") return RunContactSheet({args.begin() + 1, args.end()});
  if (command == "add") return RunShapeAdd({args.begin() + 1, args.end()});
  if (command == "remove") return RunShapeRemove({args.begin() + 1, args.end()});
  return UsageError("unknown command '" + command + "'");
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
  return quorvel::Run(std::vector<std::string>(argv + 1, argv + argc));
}
