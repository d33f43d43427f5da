#include "app/message_box_sink.h"

#include <QString>

#include "app/dialog_texts.h"
#include "app/user_prompts.h"

namespace quorvel {

MessageBoxSink::MessageBoxSink(IUserPrompts& prompts, QWidget* owner)
    : prompts_(prompts), owner_(owner), previous_(SetMessageSink(this)) {}

MessageBoxSink::~MessageBoxSink() { SetMessageSink(previous_); }

void MessageBoxSink::ShowMessage(const std::string& text) {
  prompts_.ShowMessageBox(owner_, QString::fromUtf8(texts::kMessageCaption),
                          QString::fromStdString(MessageForDisplay(text)));
}

}  // namespace quorvel
