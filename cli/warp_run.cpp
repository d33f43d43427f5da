#include "cli/warp_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <thread>

#include "cli/exit_status.h"
#include "imagefiles/file_names.h"
#include "imagefiles/loader.h"
#include "imagefiles/saver.h"
#include "imagefiles/writable_types.h"
#include "raster/message_sink.h"
#include "raster/parallel.h"
#include "raster/previews.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"
#include "shapes/shape_reader.h"
#include "warp/job.h"
#include "warp/job_memory.h"

namespace quorvel {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

int FindShape(const TWarpEngine& engine, const std::string& wanted) {
  if (AllDigits(wanted) && wanted.size() < 10) {
    const int index = std::stoi(wanted);
    return index < static_cast<int>(engine.shapes.size()) ? index : -1;
  }
  for (std::size_t i = 0; i < engine.shapes.size(); ++i)
    if (engine.shapes[i].name == wanted) return static_cast<int>(i);
  for (std::size_t i = 0; i < engine.shapes.size(); ++i)
    if (Lower(engine.shapes[i].name) == Lower(wanted)) return static_cast<int>(i);
  return -1;
}

// The key two outputs collide under: the same folder and name.
std::string OutputKey(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return (ec ? path : absolute).lexically_normal().string();
}

// A file by its device and inode, for names that differ (links, "./").
bool FileIdentity(const std::filesystem::path& path, std::pair<dev_t, ino_t>& id) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  id = {st.st_dev, st.st_ino};
  return true;
}

// The working rasters go before saving: the blocks the saver takes are
// then theirs, already touched, instead of fresh memory the kernel clears
// (the next picture of a batch takes them back the same way).
void MakeRoomToSave(TWarpEngine& engine, TImagePair& pair) {
  ReleaseEngineRasters(engine);  // already given back by a warped job
  ReleaseBlock(pair.square);
}

int SaveWarped(TWarpEngine& engine, TImagePair& pair, const std::filesystem::path& output) {
  MakeRoomToSave(engine, pair);
  return SaveImageFileAs(pair, output, WritableFileType(output)) ? kExitSuccess : kExitOutputNotWritten;
}

}  // namespace

std::string ScanWarpShapes(TWarpEngine& engine, const WarpOptions& options) {
  if (!options.shape_folder.empty()) {
    ScanShapeFolder(engine, options.shape_folder);
    return options.shape_folder;
  }
  const std::filesystem::path bundled = DefaultShapeFolder(), user = UserShapeFolder();
  ScanShapeFolders(engine, bundled, user);
  return bundled.string() + (user.empty() ? "" : " or " + user.string());
}

bool IsBatch(const WarpOptions& options) {
  std::error_code ec;
  return options.inputs.size() > 1 || std::filesystem::is_directory(options.output, ec) ||
         (!options.output.empty() && options.output.back() == '/');
}

bool CheckWarpOutputs(const WarpOptions& options, std::string& error) {
  const std::string endings = " (it writes " + WritableEndings() + ")";
  if (!options.ext.empty() && WritableFileTypeOfEnding(options.ext) == kFileTypeNone) {
    error = "--ext " + options.ext + ": cannot write that type" + endings;
    return false;
  }
  if (!IsBatch(options)) {
    if (WritableFileType(options.output) == kFileTypeNone) {
      error = options.output + ": cannot write a picture of that ending" + endings;
      return false;
    }
    return true;
  }
  // Two results of one name would overwrite each other, and a result named
  // like an input would replace the input before it is read.
  std::map<std::string, std::string> input_keys;
  std::map<std::pair<dev_t, ino_t>, std::string> input_files;
  for (const std::string& input : options.inputs) {
    input_keys.emplace(OutputKey(input), input);
    std::pair<dev_t, ino_t> id;
    if (FileIdentity(input, id)) input_files.emplace(id, input);
  }
  std::map<std::string, std::vector<std::string>> by_output;
  const std::filesystem::path folder(options.output);
  for (const std::string& input : options.inputs) {
    const std::filesystem::path output = BatchOutputPath(folder, input, options.ext);
    const std::string key = OutputKey(output);
    by_output[key].push_back(input);
    std::pair<dev_t, ino_t> id;
    auto same = input_keys.find(key);
    if (same == input_keys.end() && FileIdentity(output, id)) {
      const auto file = input_files.find(id);
      if (file != input_files.end()) same = input_keys.find(OutputKey(file->second));
    }
    if (same != input_keys.end()) {
      error = output.string() + " would replace the input " + same->second;
      return false;
    }
  }
  for (const auto& [output, inputs] : by_output) {
    if (inputs.size() < 2) continue;
    error += error.empty() ? "" : "; ";
    error += output + " would be written by";
    for (const std::string& input : inputs) error += " " + input;
  }
  if (!error.empty()) error = "results of one name: " + error;
  return error.empty();
}

int LoadWarpShape(TWarpEngine& engine, const WarpOptions& options) {
  const std::filesystem::path given(options.shape);
  std::error_code ec;
  if (EndsWithNoCase(options.shape, ".qshp") || std::filesystem::is_regular_file(given, ec)) {
    DecodedShapeFile file;
    const ShapeFileProblem problem = ReadShapeFile(given, file);
    if (problem != ShapeFileProblem::kNone) {
      std::fprintf(stderr, "quorvel-cli: %s: not a usable shape file: %s\n", options.shape.c_str(),
                   DescribeShapeFileProblem(problem));
      return kExitShapeUnusable;
    }
    engine.shape_polylines = PolylinesFromLoops(file.loops);
    engine.selected = 0;  // keys the assist cache for every picture of a batch
    return kExitSuccess;
  }
  const std::string where = ScanWarpShapes(engine, options);
  const int index = FindShape(engine, options.shape);
  if (index < 0) {
    std::fprintf(stderr, "quorvel-cli: no shape \"%s\" in %s\n", options.shape.c_str(), where.c_str());
    return kExitShapeUnusable;
  }
  SelectShape(engine, index);
  if (engine.selected != index) {
    std::fprintf(stderr, "quorvel-cli: %s: not a usable shape file\n",
                 engine.shapes[index].path.string().c_str());
    return kExitShapeUnusable;
  }
  return kExitSuccess;
}

int WarpPicture(TWarpEngine& engine, const WarpOptions& options, const std::filesystem::path& input,
                const std::filesystem::path& output, WarpScratch* scratch) {
  engine.angle = options.angle;
  engine.direction = options.direction;
  engine.feather = options.feather;
  engine.options.reference = options.reference;
  engine.options.threads = options.threads;
  engine.options.keep_buffers = false;  // only the result is saved

  TImagePair main;
  if (!LoadImageFile(main, input)) return kExitPictureRefused;
  TImagePair small;
  TImagePair* warped = &main;
  if (options.preview) {
    if (!MakeSmallSource(small, main)) return kExitPictureRefused;
    small.iccProfile = main.iccProfile;
    warped = &small;
  }
  const WarpKind kind = options.preview ? WarpKind::Preview : WarpKind::Apply;
  auto lend = [&] {
    if (!scratch) return;
    warped->square.swap(scratch->square);
    warped->result.swap(scratch->result);
  };
  lend();
  WarpOutcome outcome = WarpOutcome::kNoShape;
  int status = kExitOutputNotWritten;
  try {
    RunWarpJob(engine, kind, *warped, nullptr, &outcome);
    if (outcome == WarpOutcome::kWarped) status = SaveWarped(engine, *warped, output);
  } catch (const std::bad_alloc&) {
    // The job and the saver report their own; this is what lies between.
    ShowMessage(kMsgOutOfMemory);
    outcome = WarpOutcome::kNoMemory;
  }
  lend();  // and back
  switch (outcome) {
    case WarpOutcome::kWarped: return status;
    case WarpOutcome::kNoMemory:
      // Apply has said why; the preview kind says nothing of its own.
      if (options.preview) std::fprintf(stderr, "quorvel-cli: not enough memory to warp this picture\n");
      return kExitPictureRefused;
    case WarpOutcome::kShapeTooComplex:
      std::fprintf(stderr, "quorvel-cli: %s: not a usable shape file (too many loops and points for this picture's size)\n",
                   options.shape.c_str());
      return kExitShapeUnusable;
    case WarpOutcome::kNoShape:
    case WarpOutcome::kStopped:  // nothing here stops a job
      break;
  }
  std::fprintf(stderr, "quorvel-cli: the shape has no loops to warp into\n");
  return kExitShapeUnusable;
}

std::filesystem::path BatchOutputPath(const std::filesystem::path& folder,
                                      const std::filesystem::path& input, const std::string& ext) {
  std::string ending = Lower(ext);
  if (!ending.empty() && ending[0] == '.') ending.erase(0, 1);
  if (ending.empty()) {
    ending = Lower(input.extension().string());
    if (!ending.empty()) ending.erase(0, 1);
    if (ImageFileType("." + ending) == kFileTypeJpg) ending = "jpg";
    if (ending == "tiff") ending = "tif";
    if (WritableFileTypeOfEnding(ending) == kFileTypeNone) ending = "png";
  }
  return folder / (input.stem().string() + "." + ending);
}

int WarpBatch(const TWarpEngine& prepared, const WarpOptions& options) {
  const std::filesystem::path folder(options.output);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    std::fprintf(stderr, "quorvel-cli: %s: cannot make the output folder\n", folder.string().c_str());
    return kExitOutputNotWritten;
  }
  const std::size_t count = options.inputs.size();
  const int jobs = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(options.jobs), count));
  // The cores are shared between the pictures warped at once.
  const int cores = options.threads > 0 ? options.threads : WorkerThreads();
  WarpOptions each = options;
  each.threads = std::max(1, cores / jobs);

  const bool terminal = isatty(STDERR_FILENO) != 0;
  std::vector<int> status(count, kExitSuccess);
  std::atomic<std::size_t> next{0};
  std::mutex progress;
  std::size_t finished = 0;

  auto worker = [&] {
    WarpScratch scratch;
    TWarpEngine engine;
    engine.shape_polylines = prepared.shape_polylines;
    engine.selected = prepared.selected;
    for (std::size_t i = next++; i < count; i = next++) {
      const std::filesystem::path input(options.inputs[i]);
      const std::filesystem::path output = BatchOutputPath(folder, input, options.ext);
      status[i] = WarpPicture(engine, each, input, output, &scratch);
      std::lock_guard<std::mutex> lock(progress);
      ++finished;
      if (terminal) std::fputs("\r\033[K", stderr);
      if (status[i] == kExitSuccess)
        std::fprintf(stderr, "[%zu/%zu] %s -> %s\n", finished, count, input.string().c_str(),
                     output.string().c_str());
      else
        std::fprintf(stderr, "[%zu/%zu] %s: not warped\n", finished, count, input.string().c_str());
      if (terminal) {
        const int width = 30;
        const int done = static_cast<int>(finished * width / count);
        std::fprintf(stderr, "[%.*s%*s] %zu/%zu", done, "##############################", width - done, "",
                     finished, count);
        std::fflush(stderr);
      }
    }
  };
  std::vector<std::jthread> pool;
  for (int j = 1; j < jobs; ++j) pool.emplace_back(worker);
  worker();
  pool.clear();
  if (terminal) std::fputs("\r\033[K", stderr);

  int first_failure = kExitSuccess;
  std::size_t failures = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (status[i] == kExitSuccess) continue;
    if (failures++ == 0) {
      first_failure = status[i];
      std::fprintf(stderr, "quorvel-cli: pictures not warped:\n");
    }
    std::fprintf(stderr, "  %s\n", options.inputs[i].c_str());
  }
  if (failures) std::fprintf(stderr, "quorvel-cli: %zu of %zu pictures not warped\n", failures, count);
  return first_failure;
}

}  // namespace quorvel
