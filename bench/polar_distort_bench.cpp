// A yardstick from outside: ImageMagick's polar distort of a picture of the
// same size, timed in the same run as our Apply (skipped without it).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const char* ConvertProgram() {
  // /usr/bin first: some machines put a stand-in named convert earlier on PATH.
  return access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : nullptr;
}

void BM_ImageMagickPolarDistort(benchmark::State& state) {
  const char* convert = ConvertProgram();
  if (!convert) {
    state.SkipWithError("ImageMagick's convert is not installed");
    return;
  }
  const int side = static_cast<int>(state.range(0));
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "quorvel-bench-polar";
  std::filesystem::create_directories(dir);
  const std::string in = (dir / "in.miff").string();
  const std::string out = (dir / "out.miff").string();
  const std::string size = std::to_string(side) + "x" + std::to_string(side);
  if (std::system((std::string(convert) + " -size " + size + " gradient:navy-orange '" + in + "'").c_str()) != 0) {
    state.SkipWithError("convert could not make the input picture");
    return;
  }
  const std::string command = std::string(convert) + " '" + in + "' -distort Polar 0 '" + out + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("convert failed");
      break;
    }
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ImageMagickPolarDistort)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
