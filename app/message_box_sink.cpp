#include "app/message_box_sink.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QWidget>

#include "app/dialog_texts.h"
#include "app/user_prompts.h"

namespace quorvel {

MessageBoxSink::MessageBoxSink(IUserPrompts& prompts, QWidget* owner)
    : prompts_(prompts), owner_(owner), previous_(SetMessageSink(this)) {}

MessageBoxSink::~MessageBoxSink() { SetMessageSink(previous_); }

void MessageBoxSink::ShowMessage(const std::string& text) {
  const QString shown = QString::fromStdString(MessageForDisplay(text));
  // A message from Apply's worker is shown by the GUI thread, later: boxes
  // live there, and the worker must not wait on a GUI that may be joining it.
  if (owner_ && QThread::currentThread() != owner_->thread()) {
    QMetaObject::invokeMethod(
        owner_, [prompts = &prompts_, owner = QPointer<QWidget>(owner_), shown] {
          if (owner) prompts->ShowMessageBox(owner, QString::fromUtf8(texts::kMessageCaption), shown);
        },
        Qt::QueuedConnection);
    return;
  }
  prompts_.ShowMessageBox(owner_, QString::fromUtf8(texts::kMessageCaption), shown);
}

}  // namespace quorvel
