#include "raster/message_sink.h"

#include <cstdio>

namespace quorvel {
namespace {

class StderrSink final : public IMessageSink {
 public:
  void ShowMessage(const std::string& text) override {
    const std::string shown = MessageForDisplay(text);
    std::fprintf(stderr, "%s\n", shown.c_str());
  }
};

StderrSink default_sink;
IMessageSink* current_sink = &default_sink;

}  // namespace

IMessageSink* SetMessageSink(IMessageSink* sink) {
  IMessageSink* previous = current_sink;
  current_sink = sink ? sink : &default_sink;
  return previous == &default_sink ? nullptr : previous;
}

void ShowMessage(std::string_view text) { current_sink->ShowMessage(std::string(text)); }

std::string MessageForDisplay(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace quorvel
