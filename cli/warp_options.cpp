#include "cli/warp_options.h"

#include "cli/args.h"

namespace quorvel {
namespace {

ArgOption WholeOption(const std::string& name, std::int32_t& out, std::int32_t low, std::int32_t high) {
  return WholeArg(name, out, low, high,
                  name + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high));
}

ArgCommand WarpCommand(WarpOptions& o) {
  ArgCommand warp;
  warp.name = "warp";
  warp.version = true;
  warp.words = &o.inputs;
  warp.unknown = [](const std::string& word) { return "unknown option " + word; };
  warp.missing = [](const std::string& name) { return name + " needs a value"; };
  warp.options = {
      TextArg("-s,--shape", o.shape, ""),
      TextArg("-o,--output", o.output, ""),
      TextArg("--shapes", o.shape_folder, ""),
      ChoiceArg("--ext", [&o](const std::string& text) {
        o.ext = !text.empty() && text[0] == '.' ? text.substr(1) : text;
        return true;
      }, ""),
      WholeOption("--angle", o.angle, 0, 360),
      WholeOption("--feather", o.feather, 0, 99),
      WholeOption("--threads", o.threads, 1, 64),
      WholeOption("--jobs", o.jobs, 1, 64),
      ChoiceArg("--direction", [&o](const std::string& text) {
        if (text != "vertical" && text != "horizontal") return false;
        o.direction = text == "horizontal" ? 1 : 0;
        return true;
      }, "--direction is vertical or horizontal"),
      FlagArg("--preview", o.preview),
      FlagArg("--reference", o.reference),
  };
  return warp;
}

ArgCommand ShapesCommand(WarpOptions& o) {
  ArgCommand shapes;
  shapes.name = "shapes";
  shapes.version = true;
  shapes.unknown = [](const std::string& word) { return "unknown argument " + word; };
  shapes.missing = shapes.unknown;
  shapes.options = {TextArg("--shapes", o.shape_folder, "")};
  return shapes;
}

}  // namespace

bool ParseCliArguments(const std::vector<std::string>& args, CliRequest& request, std::string& error) {
  error.clear();
  if (args.empty()) {
    error = "no command";
    return false;
  }
  WarpOptions& o = request.warp;
  ArgCommand tool;
  tool.version = true;
  tool.unknown = [](const std::string& word) { return "unknown command " + word; };
  tool.commands = {WarpCommand(o), ShapesCommand(o)};
  const ArgsOutcome outcome = ParseArgs(tool, args);
  switch (outcome.verdict) {
    case ArgsVerdict::kHelp:
      request.command = CliCommand::Help;
      return true;
    case ArgsVerdict::kVersion:
      request.command = CliCommand::Version;
      return true;
    case ArgsVerdict::kRefused:
      error = outcome.message;
      return false;
    case ArgsVerdict::kRun:
      break;
  }
  if (outcome.command == "shapes") {
    request.command = CliCommand::Shapes;
    return true;
  }
  if (outcome.command != "warp") {
    error = "no command";
    return false;
  }
  request.command = CliCommand::Warp;
  if (o.inputs.empty()) error = "no input picture";
  else if (o.shape.empty()) error = "no shape (-s SHAPE)";
  else if (o.output.empty()) error = "no output (-o OUTPUT)";
  return error.empty();
}

}  // namespace quorvel
