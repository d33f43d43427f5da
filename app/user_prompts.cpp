#include "app/user_prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

#include "app/bmp_option_dlg.h"
#include "app/file_filters.h"

namespace quorvel {
namespace {

std::optional<QString> RunFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return files.front();
}

void SetFilters(QFileDialog& dialog, const QString& filter) {
  const QStringList filters = QtNameFilters(filter);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
  // The descriptions already name their patterns.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
}

}  // namespace

QStringList QtNameFilters(const QString& filter) {
  QStringList filters;
  for (const FilterEntry& entry : ParseFilterPairs(filter.toStdString()))
    filters << QString::fromStdString(QtNameFilter(entry));
  return filters;
}

std::optional<QString> QtUserPrompts::AskOpenPath(QWidget* owner, const QString& filter) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  SetFilters(dialog, filter);
  return RunFileDialog(dialog);
}

std::optional<QString> QtUserPrompts::AskSavePath(QWidget* owner, const QString& filter,
                                                  const QString& defaultExtension,
                                                  const QString& initialName) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  SetFilters(dialog, filter);
  dialog.setDefaultSuffix(defaultExtension);
  if (!initialName.isEmpty()) dialog.selectFile(initialName);
  return RunFileDialog(dialog);
}

bool QtUserPrompts::AskBmpOptions(QWidget* owner, int& selectedFormat) {
  CBmpOptionDlg dialog(owner);
  dialog.selectedFormat = selectedFormat;
  if (dialog.exec() != QDialog::Accepted) return false;
  selectedFormat = dialog.selectedFormat;
  return true;
}

void QtUserPrompts::ShowMessageBox(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

void QtUserPrompts::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace quorvel
