// The window's message sink: the core's messages in a modal box titled "提示".
#pragma once

#include "raster/message_sink.h"

class QWidget;

namespace quorvel {

class IUserPrompts;

// Installs itself for its lifetime and restores the previous sink after.
class MessageBoxSink final : public IMessageSink {
 public:
  MessageBoxSink(IUserPrompts& prompts, QWidget* owner);
  ~MessageBoxSink() override;
  MessageBoxSink(const MessageBoxSink&) = delete;
  MessageBoxSink& operator=(const MessageBoxSink&) = delete;

  void ShowMessage(const std::string& text) override;

 private:
  IUserPrompts& prompts_;
  QWidget* owner_;
  IMessageSink* previous_;
};

}  // namespace quorvel
