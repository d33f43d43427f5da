#include "cli/warp_options.h"

#include <charconv>

namespace quorvel {
namespace {

bool ParseInt(const std::string& text, std::int32_t low, std::int32_t high, std::int32_t& out) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < low || value > high) return false;
  out = value;
  return true;
}

bool ParseWarp(const std::vector<std::string>& args, WarpOptions& o, std::string& error) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto number = [&](std::int32_t low, std::int32_t high, std::int32_t& out) {
      std::string text;
      if (!value(text)) return false;
      if (!ParseInt(text, low, high, out)) {
        error = a + " takes a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        return false;
      }
      return true;
    };
    bool ok = true;
    if (a == "-s" || a == "--shape") {
      ok = value(o.shape);
    } else if (a == "-o" || a == "--output") {
      ok = value(o.output);
    } else if (a == "--shapes") {
      ok = value(o.shape_folder);
    } else if (a == "--ext") {
      ok = value(o.ext);
      if (ok && !o.ext.empty() && o.ext[0] == '.') o.ext.erase(0, 1);
    } else if (a == "--angle") {
      ok = number(0, 360, o.angle);
    } else if (a == "--feather") {
      ok = number(0, 99, o.feather);
    } else if (a == "--threads") {
      ok = number(1, 64, o.threads);
    } else if (a == "--jobs") {
      ok = number(1, 64, o.jobs);
    } else if (a == "--direction") {
      std::string d;
      ok = value(d);
      if (ok && d == "vertical") {
        o.direction = 0;
      } else if (ok && d == "horizontal") {
        o.direction = 1;
      } else if (ok) {
        error = "--direction is vertical or horizontal";
        ok = false;
      }
    } else if (a == "--preview") {
      o.preview = true;
    } else if (a == "--reference") {
      o.reference = true;
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + a;
      ok = false;
    } else {
      o.inputs.push_back(a);
    }
    if (!ok) return false;
  }
  if (o.inputs.empty()) error = "no input picture";
  else if (o.shape.empty()) error = "no shape (-s SHAPE)";
  else if (o.output.empty()) error = "no output (-o OUTPUT)";
  return error.empty();
}

}  // namespace

bool ParseCliArguments(const std::vector<std::string>& args, CliRequest& request, std::string& error) {
  error.clear();
  if (args.empty()) {
    error = "no command";
    return false;
  }
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      request.command = CliCommand::Help;
      return true;
    }
    if (a == "--version") {
      request.command = CliCommand::Version;
      return true;
    }
  }
  if (args[0] == "warp") {
    request.command = CliCommand::Warp;
    return ParseWarp(args, request.warp, error);
  }
  if (args[0] == "shapes") {
    request.command = CliCommand::Shapes;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--shapes" && i + 1 < args.size()) {
        request.warp.shape_folder = args[++i];
      } else {
        error = "unknown argument " + args[i];
        return false;
      }
    }
    return true;
  }
  error = "unknown command " + args[0];
  return false;
}

}  // namespace quorvel
