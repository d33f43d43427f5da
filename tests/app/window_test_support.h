// What the window tests share: answers for the dialogs, a folder of shapes,
// pictures on disk, and pressing controls by id.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include "app/morvex_dlg.h"
#include "app/user_prompts.h"
#include "raster/pixels.h"

namespace quorvel::testing {

class FakePrompts final : public IUserPrompts {
 public:
  std::optional<QString> AskOpenPath(QWidget*, const QString& filter) override;
  std::optional<SaveAnswer> AskSavePath(QWidget*, const QString& filter, const QString& defaultExtension,
                                        const QString& initialName) override;
  bool AskYesNo(QWidget*, const QString& text, const QString& yes, const QString& no) override;
  bool AskBmpOptions(QWidget*, int& selectedFormat) override;
  void ShowMessageBox(QWidget*, const QString& caption, const QString& text) override;
  void OpenUrl(const QUrl& url) override { urls << url; }

  std::optional<QString> openAnswer;
  QString openFilter;
  std::optional<QString> saveAnswer;
  int saveFilterAnswer = 0;  // the filter entry chosen with saveAnswer
  int saveAsked = 0;
  QString saveFilter, saveExtension, saveInitialName;
  bool bmpAnswer = true;
  int bmpAsked = 0;
  int bmpFormatOffered = -1;
  QStringList captions, messages;
  bool messageOffGuiThread = false;  // a box was asked for from another thread
  QStringList questions;            // every AskYesNo text
  QList<bool> questionAnswers;      // answered in turn; yes once they run out
  // Called with each save question's answer, to change the next one.
  std::function<void(int asked)> onSaveAsked;
  QList<QUrl> urls;
};

// count shape files of nested circles (a.qshp, b.qshp, ...) in folder.
void WriteShapes(const std::filesystem::path& folder, int count);

// A picture file of w x h whose pixel at (x, y), y counted from the top, is
// colour(x, y); the ending picks the format (png with alpha, or 24-bit bmp).
void WritePicture(const std::filesystem::path& path, int w, int h,
                  const std::function<Pixel(int x, int y)>& colour);

// Quadrants: red top left, green top right, blue bottom left, white bottom right.
Pixel Quadrants(int x, int y, int w, int h);

// A main dialog, shown offscreen, answering through prompts, with shapes
// in its own folder.
struct Window {
  explicit Window(int shapes = 2, const CMorvexDlg::Setup& extra = {});
  ~Window();
  void Load();           // the timer-3 resource load
  void Paint();          // a paint of the client area, now
  void Press(int id);    // clicks the control tagged id
  void Apply();          // presses Apply and waits until its job has ended
  void Open(const std::filesystem::path& picture);  // Open answered with picture
  std::filesystem::path File(const char* name) const;
  std::filesystem::path UserFolder() const;  // the user's shape folder, empty at first

  QTemporaryDir dir;
  FakePrompts prompts;
  std::unique_ptr<CMorvexDlg> dialog;
};

// Runs events until Apply's job has ended.
void WaitForApply(CMorvexDlg& dialog);

// The pixel the window shows at client (x, y), as drawn on screen.
QRgb ShownPixel(CMorvexDlg& dialog, int x, int y);

}  // namespace quorvel::testing
