#include "app/bmp_option_dlg.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>

#include "app/control_ids.h"
#include "app/control_tags.h"
#include "app/dialog_texts.h"

namespace quorvel {

CBmpOptionDlg::CBmpOptionDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(texts::kBmpTitle));
  UseTemplateFont(this);
  setFixedSize(TemplateRect(0, 0, 179, 119).size());

  auto* ok = new QPushButton(QString::fromUtf8(texts::kBmpOk), this);
  TagControl(ok, ids::kBmpOk);
  ok->setGeometry(TemplateRect(121, 19, 50, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CBmpOptionDlg::OnOK);

  auto* cancel = new QPushButton(QString::fromUtf8(texts::kBmpCancel), this);
  TagControl(cancel, ids::kBmpCancel);
  cancel->setGeometry(TemplateRect(122, 38, 50, 14));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  const struct {
    int id;
    const char* text;
    QRect rect;
  } formats[] = {
      {ids::kBmp24, texts::kBmp24, TemplateRect(19, 29, 63, 10)},
      {ids::kBmp32X, texts::kBmp32X, TemplateRect(19, 49, 73, 10)},
      {ids::kBmp32A, texts::kBmp32A, TemplateRect(19, 69, 74, 10)},
  };
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    formats_[i] = new QRadioButton(QString::fromUtf8(formats[i].text), this);
    TagControl(formats_[i], formats[i].id);
    // Wider than the template, up to the buttons, so the texts are not cut.
    formats_[i]->setGeometry(formats[i].rect.adjusted(0, 0, 150 - formats[i].rect.width(), 0));
    group->addButton(formats_[i]);
  }
}

void CBmpOptionDlg::OnInitDialog() {
  if (selectedFormat >= 0 && selectedFormat < 3) formats_[selectedFormat]->setChecked(true);
  formats_[1]->setEnabled(false);
  formats_[2]->setEnabled(false);
}

int CBmpOptionDlg::exec() {
  OnInitDialog();
  return QDialog::exec();
}

void CBmpOptionDlg::OnOK() {
  for (int i = 0; i < 3; ++i)
    if (formats_[i]->isChecked()) selectedFormat = i;
  accept();
}

}  // namespace quorvel
