// The one way user-visible messages leave the core: the window shows them in
// a message box titled "提示", the command line prints them to stderr.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  // text is UTF-8, Chinese first, then "\r\n", then English.
  virtual void ShowMessage(const std::string& text) = 0;
};

// Installs the sink (nullptr restores the default, which prints to stderr).
// Returns the previous one. The caller keeps ownership.
IMessageSink* SetMessageSink(IMessageSink* sink);

void ShowMessage(std::string_view text);

// "\r\n" becomes a plain line break for display.
std::string MessageForDisplay(std::string_view text);

}  // namespace quorvel
