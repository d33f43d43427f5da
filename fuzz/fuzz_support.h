// Shared by the fuzz targets: a quiet message sink and a scratch file that
// holds the input for readers that only take paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "raster/message_sink.h"

namespace quorvel::fuzz {

// Swallows messages; the texts are checked by the unit tests, not here.
class QuietMessages : public IMessageSink {
 public:
  void ShowMessage(const std::string&) override {}
};

// Installs a QuietMessages sink once per process.
void SilenceMessages();

// Writes data to a file of this process named with the given ending and
// returns its path. The same file is rewritten for every input.
std::filesystem::path ScratchFile(const std::uint8_t* data, std::size_t size,
                                  const std::string& ending);

}  // namespace quorvel::fuzz
