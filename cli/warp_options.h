// quorvel-cli's command line, parsed into a plain record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

struct WarpOptions {
  std::vector<std::string> inputs;
  std::string shape;           // a .qshp path, or a shape's name or index
  std::string output;          // a file; a folder when several inputs are given
  std::string shape_folder;    // empty: the quorvel folder beside the executable
  std::string ext;             // batch output ending; empty: the input's own
  std::int32_t angle = 0;
  std::int32_t direction = 0;  // 0 vertical, 1 horizontal
  std::int32_t feather = 0;
  std::int32_t threads = 0;    // 0: every core
  std::int32_t jobs = 1;       // pictures warped at once
  bool preview = false;
  bool reference = false;
};

enum class CliCommand { Warp, Shapes, Help, Version };

struct CliRequest {
  CliCommand command = CliCommand::Help;
  WarpOptions warp;
};

// Parses argv[1..]. Returns false with a one-line reason in error on a
// usage fault.
bool ParseCliArguments(const std::vector<std::string>& args, CliRequest& request, std::string& error);

}  // namespace quorvel
