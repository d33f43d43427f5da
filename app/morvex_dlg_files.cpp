// Open picture and Save picture.
#include <QFile>

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
  const std::optional<QString> chosen = prompts->AskOpenPath(this, QString::fromUtf8(kOpenFilter));
  if (!chosen) return;
  OpenPictureFile(*chosen);
}

void CMorvexDlg::OpenPictureFile(const QString& path) {
  // A refused file leaves the picture, and so the panes, as they were; the
  // loader has said why.
  if (!LoadImageFile(mainPicture, LocalPath(path))) return;

  MakeSmallSource(previewPicture, mainPicture);
  const LayoutRect preview = ItemRect(areas.PreviewArea);
  InitPane(previewView, this, preview.left, preview.top, previewPicture.width, previewPicture.height,
           &previewPicture, 1);
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
  const SaveDialogChoice choice = SaveDialogChoiceFor(mainPicture.fileType);
  const std::optional<QString> chosen =
      prompts->AskSavePath(this, QString::fromUtf8(choice.filter), QString::fromUtf8(choice.defaultExtension),
                           QString::fromStdString(mainPicture.title));
  if (!chosen) return;
  const std::filesystem::path path = LocalPath(*chosen);
  if (ImageFileType(path.native()) == kFileTypeBmp) {
    int selectedFormat = 0;
    if (!prompts->AskBmpOptions(this, selectedFormat)) return;
    // Only the 24-bit layout can be chosen, whatever the dialog answered.
    mainPicture.bmpFormat = 0;
  }
  // A failed write is reported by the saver itself.
  SaveImageFile(mainPicture, path);
}

}  // namespace quorvel
