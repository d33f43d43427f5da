// Open picture and Save picture.
#include <QFile>
#include <QFileInfo>

#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "app/file_filters.h"
#include "app/morvex_dlg.h"
#include "app/user_prompts.h"
#include "imagefiles/file_names.h"
#include "imagefiles/loader.h"
#include "imagefiles/saver.h"
#include "raster/message_sink.h"
#include "raster/previews.h"

namespace quorvel {
namespace {

std::filesystem::path LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

void CMorvexDlg::OpenPicture() {
  if (applyJob) return;
  const std::optional<QString> chosen =
      prompts->AskOpenPath(this, QString::fromStdString(OpenDialogFilter()));
  if (!chosen) return;
  OpenPictureFile(*chosen);
}

void CMorvexDlg::OpenPictureFile(const QString& path) {
  // The job reads the picture until it ends.
  if (applyJob) return;
  // A refused file leaves the picture, and so the panes, as they were; the
  // loader has said why. Only a picture that did load is worth a question.
  TImagePair loaded;
  if (!LoadImageFile(loaded, LocalPath(path))) return;
  if (!ConfirmDiscard()) return;
  mainPicture = std::move(loaded);
  resultUnsaved = false;
  setWindowTitle(QString::fromUtf8(texts::kTitleWithPicture).arg(QFileInfo(path).fileName()));

  MakeSmallSource(previewPicture, mainPicture);
  SetUpPreviewPane();
  ClearResultArea();
  ClearPreviewArea();
  RenderPane(srcView);
  paramsDirty = 1;
  ShowPicturePanes();
}

void CMorvexDlg::SavePicture() {
  if (mainPicture.result.empty()) {
    ShowMessage(texts::kMsgNoResult);
    return;
  }
  if (applyJob) return;
  const SaveDialogChoice choice = SaveDialogChoiceFor(mainPicture.fileType);
  const std::vector<FilterEntry> entries = ParseFilterPairs(choice.filter);
  QString name = QString::fromStdString(mainPicture.title);
  QString chosen;
  for (;;) {
    const std::optional<SaveAnswer> answer = prompts->AskSavePath(
        this, QString::fromUtf8(choice.filter), QString::fromUtf8(choice.defaultExtension), name);
    if (!answer) return;
    const std::size_t index = static_cast<std::size_t>(answer->filterIndex);
    const std::string ending = index < entries.size() ? FilterEnding(entries[index]) : choice.defaultExtension;
    chosen = QString::fromStdString(PathWithEnding(answer->path.toStdString(), ending));
    // The initial name is the picture's own: a bare Enter must not replace it.
    if (!QFileInfo::exists(chosen)) break;
    const QString question =
        QString::fromStdString(MessageForDisplay(texts::kAskReplace)).arg(QFileInfo(chosen).fileName());
    if (prompts->AskYesNo(this, question, QString::fromUtf8(texts::kReplace), QString::fromUtf8(texts::kCancel)))
      break;
    name = chosen;  // back to the dialog, to choose another name
  }
  const std::filesystem::path path = LocalPath(chosen);
  if (ImageFileType(path.native()) == kFileTypeBmp) {
    int selectedFormat = 0;
    if (!prompts->AskBmpOptions(this, selectedFormat)) return;
    // Only the 24-bit layout can be chosen, whatever the dialog answered.
    mainPicture.bmpFormat = 0;
  }
  // A failed write is reported by the saver itself.
  if (!SaveImageFile(mainPicture, path)) return;
  resultUnsaved = false;
  ShowStatus(QString::fromUtf8(texts::kStatusSaved).arg(QFileInfo(chosen).fileName()));
}

}  // namespace quorvel
