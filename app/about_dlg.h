// CAboutDlg: version, contact details and the download address, with a
// button that opens the address in the browser.
#pragma once

#include <QDialog>

namespace quorvel {

class IUserPrompts;

class CAboutDlg : public QDialog {
 public:
  CAboutDlg(IUserPrompts& prompts, QWidget* parent = nullptr);

  // Writes the contact number, e-mail and download address into their edits.
  void OnInitDialog();
  int exec() override;

 protected:
  // Enter closes the dialog through its hidden default button, as it would
  // if the button were shown.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  IUserPrompts& prompts_;
};

// Opens the download address; the desktop's answer is not looked at.
void OpenDownloadPage(IUserPrompts& prompts);

}  // namespace quorvel
