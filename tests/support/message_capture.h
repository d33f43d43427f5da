// Collects the messages a test provokes instead of showing them.
#pragma once

#include <string>
#include <vector>

#include "raster/message_sink.h"

namespace quorvel::testing {

class MessageCapture : public IMessageSink {
 public:
  MessageCapture() : previous_(SetMessageSink(this)) {}
  ~MessageCapture() override { SetMessageSink(previous_); }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;
  void ShowMessage(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;

 private:
  IMessageSink* previous_;
};

}  // namespace quorvel::testing
