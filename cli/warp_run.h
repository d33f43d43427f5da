// What quorvel-cli warp does: the window's own core calls, without a window.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli/warp_options.h"
#include "warp/engine.h"

namespace quorvel {

// Whether the output is a folder for a batch: several inputs, an existing
// folder, or a name ending in '/'.
bool IsBatch(const WarpOptions& options);

// The outputs' usage faults, found before any work: an ending it cannot
// write (-o or --ext), batch results of one name, a batch result that would
// replace an input. False with a one-line reason in error.
bool CheckWarpOutputs(const WarpOptions& options, std::string& error);

// Loads the shape into engine: a .qshp path directly, otherwise a name or an
// index in the shape folder. Returns an exit status (0 when loaded).
int LoadWarpShape(TWarpEngine& engine, const WarpOptions& options);

// The shape list a name or an index is looked up in: --shapes DIR alone, or
// the bundled folder and then the user's. Returns where it looked, for
// messages.
std::string ScanWarpShapes(TWarpEngine& engine, const WarpOptions& options);

// Blocks a batch worker hands from one picture to the next: pictures of one
// size then reuse the working square's and the result's memory instead of
// having the kernel clear fresh pages for each.
struct WarpScratch {
  PixelBlock square;
  PixelBlock result;
};

// load -> (preview: small copy) -> RunWarpJob -> save as output's ending
// says, with the engine's current shape and options. Returns an exit status;
// a job refused for memory is a refused picture.
int WarpPicture(TWarpEngine& engine, const WarpOptions& options, const std::filesystem::path& input,
                const std::filesystem::path& output, WarpScratch* scratch = nullptr);

// Where a picture of a batch is written: the input's stem in folder, with
// the ending asked for or else the input's own (jpeg, jpe, jfif -> jpg,
// tiff -> tif; unknown and read-only ones, such as heic, -> png).
std::filesystem::path BatchOutputPath(const std::filesystem::path& folder,
                                      const std::filesystem::path& input, const std::string& ext);

// Every input into the output folder, `jobs` at a time, going on past
// refused pictures. Progress goes to stderr. Returns 0, or the status of the
// first picture that failed.
int WarpBatch(const TWarpEngine& prepared, const WarpOptions& options);

}  // namespace quorvel
