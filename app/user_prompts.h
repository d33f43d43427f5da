// Everything the window asks of the user or of the desktop, behind one small
// interface so that tests can answer it: file dialogs, the BMP options
// dialog, message boxes and opening a web address.
#pragma once

#include <optional>

#include <QString>
#include <QUrl>

class QWidget;

namespace quorvel {

// The save dialog's answer: the path as typed, and which filter entry was
// chosen (0 the first).
struct SaveAnswer {
  QString path;
  int filterIndex = 0;
};

class IUserPrompts {
 public:
  virtual ~IUserPrompts() = default;
  // filter is in the "description|patterns|...||" form. Empty when cancelled.
  virtual std::optional<QString> AskOpenPath(QWidget* owner, const QString& filter) = 0;
  virtual std::optional<SaveAnswer> AskSavePath(QWidget* owner, const QString& filter,
                                                const QString& defaultExtension,
                                                const QString& initialName) = 0;
  // A modal question titled "提示" with two buttons; true for yes. The
  // safe answer, no, is the default button.
  virtual bool AskYesNo(QWidget* owner, const QString& text, const QString& yes, const QString& no) = 0;
  // Runs the BMP options dialog starting at selectedFormat; true on OK, with
  // selectedFormat set from the dialog.
  virtual bool AskBmpOptions(QWidget* owner, int& selectedFormat) = 0;
  // Modal, OK button only; text already has plain line breaks.
  virtual void ShowMessageBox(QWidget* owner, const QString& caption, const QString& text) = 0;
  // The shell's answer is not looked at: a failure shows nothing.
  virtual void OpenUrl(const QUrl& url) = 0;
};

// The real dialogs and the desktop's browser.
class QtUserPrompts final : public IUserPrompts {
 public:
  std::optional<QString> AskOpenPath(QWidget* owner, const QString& filter) override;
  std::optional<SaveAnswer> AskSavePath(QWidget* owner, const QString& filter,
                                        const QString& defaultExtension,
                                        const QString& initialName) override;
  bool AskYesNo(QWidget* owner, const QString& text, const QString& yes, const QString& no) override;
  bool AskBmpOptions(QWidget* owner, int& selectedFormat) override;
  void ShowMessageBox(QWidget* owner, const QString& caption, const QString& text) override;
  void OpenUrl(const QUrl& url) override;
};

// The filter in QFileDialog's form, one entry per description.
QStringList QtNameFilters(const QString& filter);

}  // namespace quorvel
