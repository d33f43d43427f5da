// CBmpOptionDlg: asks for the pixel layout of a BMP file before it is
// written. Only the 24-bit layout can be chosen; the two 32-bit ones are
// shown disabled.
#pragma once

#include <QDialog>

class QRadioButton;

namespace quorvel {

class CBmpOptionDlg : public QDialog {
 public:
  explicit CBmpOptionDlg(QWidget* parent = nullptr);

  // 0: 24 bits R8 G8 B8; 1: 32 bits X8 R8 G8 B8; 2: 32 bits A8 R8 G8 B8.
  // Set by the caller before running; set from the radio buttons on OK.
  int selectedFormat = 0;

  // Checks the button matching selectedFormat (none for another value) and
  // disables the 32-bit choices. exec() calls it.
  void OnInitDialog();
  int exec() override;

 private:
  void OnOK();

  QRadioButton* formats_[3] = {};
};

}  // namespace quorvel
