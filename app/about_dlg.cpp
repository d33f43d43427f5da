#include "app/about_dlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/control_ids.h"
#include "app/control_tags.h"
#include "app/dialog_texts.h"
#include "app/user_prompts.h"

namespace quorvel {
namespace {

void AddLabel(QWidget* parent, const char* text, QRect rect) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  TagControl(label, ids::kStatic);
  label->setGeometry(rect);
}

void AddReadOnlyEdit(QWidget* parent, int id, QRect rect) {
  auto* edit = new QLineEdit(parent);
  TagControl(edit, id);
  edit->setReadOnly(true);
  edit->setGeometry(rect);
}

}  // namespace

void OpenDownloadPage(IUserPrompts& prompts) {
  prompts.OpenUrl(QUrl(QString::fromUtf8(texts::kDownloadAddress)));
}

CAboutDlg::CAboutDlg(IUserPrompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
  setWindowTitle(QString::fromUtf8(texts::kAboutTitle));
  UseTemplateFont(this);
  setFixedSize(TemplateRect(0, 0, 236, 149).size());

  AddLabel(this, texts::kVersionLabel, TemplateRect(14, 9, 65, 8));
  AddLabel(this, texts::kVersion, TemplateRect(108, 7, 28, 8));
  AddLabel(this, texts::kPhoneLabel, TemplateRect(14, 23, 54, 8));
  AddReadOnlyEdit(this, ids::kAboutPhone, TemplateRect(108, 18, 100, 12));
  AddLabel(this, texts::kEmailLabel, TemplateRect(14, 38, 54, 8));
  AddReadOnlyEdit(this, ids::kAboutEmail, TemplateRect(108, 33, 100, 12));
  AddLabel(this, texts::kDownloadLabel, TemplateRect(14, 64, 222, 9));
  AddReadOnlyEdit(this, ids::kAboutAddress, TemplateRect(14, 77, 194, 13));

  auto* download = new QPushButton(QString::fromUtf8(texts::kToDownload), this);
  TagControl(download, ids::kAboutDownload);
  download->setGeometry(TemplateRect(13, 91, 93, 19));
  connect(download, &QPushButton::clicked, this, [this] { OpenDownloadPage(prompts_); });

  auto* exit = new QPushButton(QString::fromUtf8(texts::kAboutExit), this);
  TagControl(exit, ids::kAboutOk);
  exit->setGeometry(TemplateRect(179, 126, 50, 19));
  exit->setDefault(true);
  exit->hide();
  connect(exit, &QPushButton::clicked, this, &QDialog::accept);
}

void CAboutDlg::OnInitDialog() {
  const struct {
    int id;
    const char* text;
  } fields[] = {{ids::kAboutPhone, texts::kContactPhone},
                {ids::kAboutEmail, texts::kContactEmail},
                {ids::kAboutAddress, texts::kDownloadAddress}};
  for (const auto& field : fields) {
    auto* edit = static_cast<QLineEdit*>(FindControl(this, field.id));
    edit->setText(QString::fromUtf8(field.text));
    edit->setCursorPosition(0);  // show the start of a long text
  }
}

int CAboutDlg::exec() {
  OnInitDialog();
  return QDialog::exec();
}

void CAboutDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quorvel
