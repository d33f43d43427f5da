// CMorvexDlg: the main dialog. It owns every piece of run-time state: the
// shape library and warp engine, the three pictures, the four panes, the
// layout and the stamps. Commands from the menu and every control arrive by
// numeric id at OnCommand.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QTimer>

#include "app/layout_table.h"
#include "app/shp_select_dlg.h"
#include "raster/image_pair.h"
#include "raster/view_pane.h"
#include "warp/engine.h"
#include "warp/job.h"

class QAction;
class QMenuBar;
class QProcess;
class QPaintEvent;
class QMouseEvent;

namespace quorvel {

class IUserPrompts;
class MessageBoxSink;
struct TApplyJob;
class TClientArea;
class TPaneLayer;

struct MorvexDlgSetup {
  IUserPrompts* prompts = nullptr;  // nullptr: the real dialogs and browser
  QString shapeFolder;              // empty: the shape folder beside the executable
  // Empty: UserShapeFolder(). Add shape tells quorvel-shape this folder
  // through XDG_DATA_HOME, so a folder given here ends in quorvel/shapes.
  QString userShapeFolder;
  QString shapeTool;                // empty: quorvel-shape beside the executable
  QString startPicture;             // opened after the resource load, as Open would
  int progressDelayMs = 400;        // Apply shows its progress bar after this long
  // Called on Apply's worker between passes (tests hold the job there).
  std::function<void(int passes_done)> applyPassHook;
};

class CMorvexDlg : public QDialog, private IPaneWindow {
 public:
  using Setup = MorvexDlgSetup;

  explicit CMorvexDlg(const Setup& setup = {}, QWidget* parent = nullptr);
  ~CMorvexDlg() override;

  void OnCommand(int id);
  // 1: repaint (every 50 ms); 3: the one-time resource load (once, 200 ms in).
  void OnTimer(int id);

  void OpenPicture();
  // The second half of Open, for a path already chosen (also a drop).
  void OpenPictureFile(const QString& path);
  void SavePicture();

  // Apply runs on a worker; these follow it.
  bool ApplyRunning() const { return applyJob != nullptr; }
  void CancelApply();
  // A result was made and not saved since.
  bool ResultUnsaved() const { return resultUnsaved; }
  // Button 1011: creates, shows or hides the shape list.
  void ToggleShapeSelectionList();

  // Add shape: asks for an outline, or takes one dropped on the shape list,
  // and builds it into the user's folder in a quorvel-shape process.
  void AddShape();
  void AddShapeFile(const QString& outline);
  bool AddingShape() const { return shapeAdd != nullptr; }
  void CancelAddShape();
  // Moves a user shape's file to the trash (or deletes it, once confirmed).
  void RemoveUserShapeAt(int index);
  // Scans both folders again and selects the shape at path, else the one at
  // fallback (clamped), else the first.
  void RescanShapes(const QString& path, int fallback);
  QString UserFolder() const { return userShapeFolder; }

  // The client area the layout, the panes and the mouse work in.
  QWidget* Client() const;
  LayoutSize ClientSize() const;
  LayoutRect ItemRect(const LayoutItem& item) const;

  // Run-time state; the shape list reads shapeLib and raises paramsDirty.
  QIcon icon;
  TWarpEngine shapeLib;
  TImagePair mainPicture;
  TViewPane srcView;
  TViewPane dstView;
  TImagePair previewPicture;
  TImagePair previewShown;  // the warped small copy at the picture's proportions
  TViewPane previewView;
  CShpSelectDlg shapeSelect{this};
  std::int32_t paramsDirty = 0;
  TImagePair logoLarge;  // the stamps, 100 x 30 and 15 x 15 with alpha
  TImagePair logoSmall;
  QMenuBar* menu = nullptr;
  std::int32_t displayMode = 2;
  std::uint32_t backColor = 0xFFFFFF;  // 0x00BBGGRR
  std::int32_t resourcesLoaded = 0;
  LayoutTable layout;
  LayoutAreas areas;
  TImagePair splashPicture;
  TViewPane splashView;
  std::int32_t pictureShown = 0;
  TPaneSurface backBuffer;
  TThumbnailSurface thumbSurface;

 public slots:
  void reject() override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend class TClientArea;
  friend class TPaneLayer;

  // Template, menu and tips.
  void CreateControls();
  void CreateHiddenControls();
  void CreatePortControls();
  void PlacePortControls();
  void CreateMenu();
  void AddOptionsMenu();
  void TagAction(QAction* action, int id);
  void CreateToolTips();
  void InitParameterControls();
  void ConnectCommands();
  void SetDirection(std::int32_t direction);
  void OnAngleScroll(int position);
  void OnFeatherChanged(const QString& text);

  void OnInitDialog();
  void BuildLayout();
  void Relayout();
  void LoadStamps();
  void LoadResourcesOnce();
  void OnApply();
  void FinishApply();
  void SetJobControlsEnabled(bool enabled);
  void ShowApplyProgress();
  void ShowStatus(const QString& text);
  bool ConfirmDiscard();

  // Panes and painting.
  void SetUpPicturePanes();
  void SetUpSplashPane();
  void SetUpPreviewPane();
  void SetDisplayMode(std::int32_t mode);
  void ToggleActualSize();
  void ShowPicturePanes();
  void ClearViewArea();
  void ClearPreviewArea();
  void ClearResultArea();
  void FillWindowRect(const TPaneRect& rect);
  QRegion DrawingAreas() const;
  void PaintSwatch();
  void RunPendingPreview();
  bool HideShapeListOnPress(QMouseEvent* event);
  void PaintClient(QPaintEvent* event);
  void MousePress(QMouseEvent* event);
  void MouseMove(QMouseEvent* event);
  void MouseRelease(QMouseEvent* event);

  void SetControlEnabled(int id, bool enabled);
  void SetControlVisible(int id, bool visible);
  bool IsChecked(int id) const;

  // IPaneWindow
  std::int32_t ScreenWidth() const override;
  std::int32_t ScreenHeight() const override;
  TPaneSurface& BackBuffer() override;
  void CopyToWindow(const TPaneRect& rect) override;
  void CaptureMouse() override {}  // Qt grabs the mouse while a button is held
  void ReleaseMouse() override {}

  std::unique_ptr<IUserPrompts> ownPrompts;
  IUserPrompts* prompts = nullptr;
  std::unique_ptr<MessageBoxSink> messageSink;
  QString shapeFolder;
  QString userShapeFolder;
  QString shapeTool;
  QProcess* shapeAdd = nullptr;
  bool shapeAddCancelled = false;
  qint64 shapeAddPid = 0;
  QString shapeAddOutline;                        // as the user gave it
  void RemoveAddLeftovers();
  void FinishAddShape();
  void SetAddControls(bool adding);
  void ScanBothFolders();
  QString startPicture;
  TClientArea* client = nullptr;
  TPaneLayer* paneLayer = nullptr;
  TStamps stamps;
  bool stampGrid = true;
  int progressDelayMs = 400;
  std::function<void(int)> applyPassHook;
  std::unique_ptr<TApplyJob> applyJob;
  std::thread applyThread;
  QElapsedTimer applyClock;
  QPointer<QWidget> focusBeforeApply;
  bool resultUnsaved = false;
  QTimer statusTimer;
  QTimer repaintTimer;  // timer 1
  QTimer loadTimer;     // timer 3
  QRegion drawnRegion;  // what the window shows from the back buffer
  bool painting = false;
  bool firstPaintDone = false;
};

// The defaults of the setup's userShapeFolder and shapeTool.
QString DefaultUserShapeFolderPath();
QString DefaultShapeToolPath();

}  // namespace quorvel
