#include "app/user_prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "app/bmp_option_dlg.h"
#include "app/dialog_texts.h"
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

std::optional<SaveAnswer> QtUserPrompts::AskSavePath(QWidget* owner, const QString& filter,
                                                     const QString& defaultExtension,
                                                     const QString& initialName) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The window asks before replacing, once the ending is settled.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  SetFilters(dialog, filter);
  const QStringList filters = QtNameFilters(filter);
  const std::vector<FilterEntry> entries = ParseFilterPairs(filter.toStdString());
  // The ending follows the filter chosen, as the dialog shows the name.
  dialog.setDefaultSuffix(defaultExtension);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
    const auto index = filters.indexOf(chosen);
    if (index >= 0 && static_cast<std::size_t>(index) < entries.size())
      dialog.setDefaultSuffix(QString::fromStdString(FilterEnding(entries[static_cast<std::size_t>(index)])));
  });
  if (!initialName.isEmpty()) dialog.selectFile(initialName);
  const std::optional<QString> path = RunFileDialog(dialog);
  if (!path) return std::nullopt;
  return SaveAnswer{*path, static_cast<int>(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())))};
}

bool QtUserPrompts::AskYesNo(QWidget* owner, const QString& text, const QString& yes, const QString& no) {
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(texts::kMessageCaption), text, QMessageBox::NoButton,
                  owner);
  QPushButton* yesButton = box.addButton(yes, QMessageBox::AcceptRole);
  QPushButton* noButton = box.addButton(no, QMessageBox::RejectRole);
  box.setDefaultButton(noButton);
  box.setEscapeButton(noButton);
  box.exec();
  return box.clickedButton() == yesButton;
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
