#include "app/morvex_dlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryFile>
#include <QProgressBar>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

#include "app/about_dlg.h"
#include "app/apply_job.h"
#include "app/client_area.h"
#include "app/control_ids.h"
#include "app/control_tags.h"
#include "app/dialog_texts.h"
#include "app/message_box_sink.h"
#include "app/pane_layout.h"
#include "app/resources.h"
#include "app/user_prompts.h"
#include "raster/message_sink.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"

namespace quorvel {
namespace {

constexpr int kRepaintTimer = 1;
constexpr int kLoadTimer = 3;
// The smallest client area at which no control covers another: the top row
// ends at the feather edit (629), the settings column (182 wide) starts
// right of it; the column's swatch frame (357) stays above the preview label
// (217 from the bottom).
constexpr QSize kMinimumClient(820, 580);
constexpr int kStatusMilliseconds = 6000;

// The only local file of a drop, or empty.
QString DroppedPath(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return {};
  const QUrl url = mime->urls().front();
  return url.isLocalFile() ? url.toLocalFile() : QString();
}

QString DefaultShapeFolderPath() {
  // Through the resolved link: installed, bin/quorvel links to the program
  // that lies beside the shape folder.
  QString folder = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();
  if (folder.isEmpty()) folder = QCoreApplication::applicationDirPath();
  return folder + QLatin1Char('/') + QLatin1String(kShapeFolderName);
}

TPixels32Desc StampDesc(TImagePair& logo) {
  if (logo.src.empty()) return {};
  return {BytesOf(logo.src), logo.width * 4, logo.width, logo.height};
}

}  // namespace

CMorvexDlg::CMorvexDlg(const Setup& setup, QWidget* parent)
    : QDialog(parent),
      prompts(setup.prompts),
      shapeFolder(setup.shapeFolder.isEmpty() ? DefaultShapeFolderPath() : setup.shapeFolder),
      userShapeFolder(setup.userShapeFolder.isEmpty() ? DefaultUserShapeFolderPath() : setup.userShapeFolder),
      shapeTool(setup.shapeTool.isEmpty() ? DefaultShapeToolPath() : setup.shapeTool),
      startPicture(setup.startPicture),
      progressDelayMs(setup.progressDelayMs),
      applyPassHook(setup.applyPassHook) {
  if (!prompts) {
    ownPrompts = std::make_unique<QtUserPrompts>();
    prompts = ownPrompts.get();
  }
  messageSink = std::make_unique<MessageBoxSink>(*prompts, this);

  setWindowTitle(QString::fromUtf8(texts::kMainTitle));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setSizeGripEnabled(false);
  setAcceptDrops(true);
  UseTemplateFont(this);

  client = new TClientArea(*this, this);
  client->setMinimumSize(kMinimumClient);
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->setSpacing(0);
  frame->addWidget(client);
  CreateControls();
  ConnectCommands();
  paneLayer = new TPaneLayer(*this, client);
  paneLayer->setObjectName(QStringLiteral("paneLayer"));
  paneLayer->raise();

  repaintTimer.setInterval(50);
  connect(&repaintTimer, &QTimer::timeout, this, [this] { OnTimer(kRepaintTimer); });
  loadTimer.setSingleShot(true);
  loadTimer.setInterval(200);
  connect(&loadTimer, &QTimer::timeout, this, [this] { OnTimer(kLoadTimer); });
  statusTimer.setSingleShot(true);
  statusTimer.setInterval(kStatusMilliseconds);
  connect(&statusTimer, &QTimer::timeout, this, [this] { SetControlVisible(ids::kStatusText, false); });

  OnInitDialog();
}

CMorvexDlg::~CMorvexDlg() {
  if (shapeAdd) {
    // Its finished signal must not reach a window half destroyed.
    disconnect(shapeAdd, nullptr, this, nullptr);
    shapeAdd->kill();
    shapeAdd->waitForFinished();
  }
  if (applyJob) {
    applyJob->cancel = true;
    applyThread.join();
  }
  repaintTimer.stop();
  loadTimer.stop();
  for (TViewPane* pane : {&splashView, &previewView, &dstView, &srcView}) ReleasePane(*pane);
}

void CMorvexDlg::OnInitDialog() {
  icon = QIcon(res::ResourcePath(res::kIcon));
  setWindowIcon(icon);
  BuildLayout();

  resize(1024, 680);
  if (const QScreen* where = screen()) move(where->availableGeometry().center() - rect().center());

  CreateMenu();
  static_cast<QVBoxLayout*>(QDialog::layout())->setMenuBar(menu);
  InitParameterControls();
  srcView.fit = dstView.fit = IsChecked(ids::kActualSize) ? 0 : 1;
  SetUpPicturePanes();

  auto* angle = static_cast<QSlider*>(FindControl(client, ids::kAngleSlider));
  angle->setRange(0, 360);
  angle->setValue(0);

  LoadStamps();
  CreateToolTips();
  loadTimer.start();
  repaintTimer.start();

  if (res::LoadPictureResource(res::kSplash, splashPicture)) SetUpSplashPane();
  FindControl(client, ids::kApply)->setFocus();
}

void CMorvexDlg::BuildLayout() {
  layout = BuildLayoutTable(client, [this](std::int32_t id) -> LayoutWindow { return FindControl(client, id); });
  areas = MakeLayoutAreas(client);
  Relayout();
}

QWidget* CMorvexDlg::Client() const { return client; }

LayoutSize CMorvexDlg::ClientSize() const { return {client->width(), client->height()}; }

LayoutRect CMorvexDlg::ItemRect(const LayoutItem& item) const { return quorvel::ItemRect(item, ClientSize()); }

void CMorvexDlg::Relayout() {
  if (layout.empty()) return;
  ApplyLayout(layout, ClientSize(), [](LayoutWindow control, const LayoutRect& r) {
    // Negative sizes of a very small window are passed on; Qt shows nothing.
    static_cast<QWidget*>(control)->setGeometry(r.left, r.top, r.Width(), r.Height());
  });
  PlacePortControls();
  paneLayer->setGeometry(0, 0, client->width(), client->height());
  drawnRegion &= DrawingAreas();
  if (!srcView.surfaceReady) return;  // the panes are set up later in OnInitDialog

  // What the panes drew at the old size would stay in the gaps between
  // them (and around the splash); the next paint presents them on grey.
  ClearViewArea();
  ClearPreviewArea();
  SetUpPreviewPane();
  SetUpPicturePanes();
  if (!pictureShown && splashPicture.loaded) SetUpSplashPane();
}

void CMorvexDlg::LoadStamps() {
  res::LoadPictureResource(res::kStampLarge, logoLarge);
  res::LoadPictureResource(res::kStampSmall, logoSmall);
  stamps.large = StampDesc(logoLarge);
  stamps.small = StampDesc(logoSmall);
}

void CMorvexDlg::OnTimer(int id) {
  if (id == kRepaintTimer) {
    if (applyJob) ShowApplyProgress();
    paneLayer->update();
  } else if (id == kLoadTimer) {
    loadTimer.stop();
    LoadResourcesOnce();
  }
}

void CMorvexDlg::LoadResourcesOnce() {
  if (resourcesLoaded) return;
  resourcesLoaded = 1;
  // Disabling the focused button would hand the focus, and with it Enter,
  // to another button; it comes back when the load ends.
  QPointer<QWidget> focused = focusWidget();
  for (int id : {ids::kRedSlider, ids::kGreenSlider, ids::kBlueSlider}) SetControlEnabled(id, false);
  SetControlVisible(ids::kLoadingText, true);
  const int buttons[] = {ids::kOpen, ids::kSave, ids::kShapeDropDown, ids::kApply};
  for (int id : buttons) SetControlEnabled(id, false);

  PrepareThumbnailSurface(thumbSurface);
  ScanBothFolders();
  if (!shapeLib.shapes.empty()) SelectShape(shapeLib, 0);
  BuildShapeThumbnails(shapeSelect, shapeLib, thumbSurface);

  SetControlVisible(ids::kLoadingText, false);
  for (int id : buttons) SetControlEnabled(id, true);
  if (focused && focused->isEnabled()) focused->setFocus();

  if (!startPicture.isEmpty()) OpenPictureFile(startPicture);
}

void CMorvexDlg::ToggleShapeSelectionList() {
  if (!shapeSelect.IsCreated()) {
    shapeSelect.Create(this);
  } else if (shapeSelect.isVisible()) {
    shapeSelect.hide();
    return;
  }
  // 105 right of and 110 below the window's outer top-left corner.
  const QPoint corner = frameGeometry().topLeft() + QPoint(105, 110);
  shapeSelect.move(corner - geometry().topLeft());  // a child: placed in the dialog's coordinates
  shapeSelect.show();
  shapeSelect.raise();
}

// The job gets copies of everything it changes, so that the window goes on
// painting, panning and resizing from its own picture meanwhile.
void CMorvexDlg::OnApply() {
  if (applyJob || shapeAdd || mainPicture.src.empty()) return;
  auto job = std::make_unique<TApplyJob>();
  LendApplyEngine(shapeLib, *job);
  job->source = &mainPicture.src;
  job->pair.loaded = 1;
  job->pair.width = mainPicture.width;
  job->pair.height = mainPicture.height;
  job->pair.square = std::move(mainPicture.square);  // only the last job's work copy
  job->stamps = stamps;
  job->stamped = stampGrid;
  job->passHook = applyPassHook;
  applyJob = std::move(job);

  focusBeforeApply = focusWidget();
  SetJobControlsEnabled(false);
  auto* wait = static_cast<QLabel*>(FindControl(client, ids::kPleaseWait));
  wait->setText(QString::fromUtf8(texts::kPleaseWait));
  wait->show();
  applyClock.start();
  applyThread = std::thread([this, job = applyJob.get()] {
    RunApplyJob(*job);
    QMetaObject::invokeMethod(this, [this] { FinishApply(); }, Qt::QueuedConnection);
  });
}

void CMorvexDlg::FinishApply() {
  if (!applyJob) return;
  applyThread.join();
  const std::unique_ptr<TApplyJob> job = std::move(applyJob);
  ReturnApplyEngine(shapeLib, *job);
  mainPicture.square = std::move(job->pair.square);
  if (job->made) {
    mainPicture.result = std::move(job->pair.result);
    mainPicture.squareSide = job->pair.squareSide;
    resultUnsaved = true;
    RenderPane(dstView);
    PresentPane(dstView);
  } else if (job->cancel) {
    ShowStatus(QString::fromUtf8(texts::kStatusCancelled));
  }
  SetControlVisible(ids::kPleaseWait, false);
  SetControlVisible(ids::kApplyProgress, false);
  SetJobControlsEnabled(true);
  if (focusBeforeApply && focusBeforeApply->isEnabled()) focusBeforeApply->setFocus();
}

void CMorvexDlg::CancelApply() {
  if (!applyJob) return;
  applyJob->cancel = true;
  auto* wait = static_cast<QLabel*>(FindControl(client, ids::kPleaseWait));
  wait->setText(QString::fromUtf8(texts::kCancelling));
  wait->show();
  SetControlVisible(ids::kApplyProgress, false);
}

// The static text first; a job that lasts gets a bar that moves.
void CMorvexDlg::ShowApplyProgress() {
  if (applyJob->cancel || applyClock.elapsed() < progressDelayMs) return;
  auto* bar = static_cast<QProgressBar*>(FindControl(client, ids::kApplyProgress));
  bar->setValue(ApplyPercent(applyJob->passesDone.load()));
  SetControlVisible(ids::kPleaseWait, false);
  bar->show();
}

// Everything that could change the job, or the picture it reads.
void CMorvexDlg::SetJobControlsEnabled(bool enabled) {
  for (int id : {ids::kApply, ids::kOpen, ids::kSave, ids::kShapeDropDown, ids::kHorizontal, ids::kVertical,
                 ids::kAngleSlider, ids::kFeatherEdit})
    SetControlEnabled(id, enabled);
  for (int id : {ids::kMenuOpen, ids::kMenuSave, ids::kMenuStamps, ids::kMenuAddShape})
    if (auto* action = findChild<QAction*>(QStringLiteral("id%1").arg(id))) action->setEnabled(enabled);
  if (shapeSelect.IsCreated()) shapeSelect.setEnabled(enabled);
}

void CMorvexDlg::ShowStatus(const QString& text) {
  auto* status = static_cast<QLabel*>(FindControl(client, ids::kStatusText));
  status->setToolTip(text);
  status->setText(status->fontMetrics().elidedText(text, Qt::ElideMiddle, status->width()));
  status->show();
  statusTimer.start();
}

bool CMorvexDlg::ConfirmDiscard() {
  if (!resultUnsaved) return true;
  return prompts->AskYesNo(this, QString::fromStdString(MessageForDisplay(texts::kAskDiscard)),
                           QString::fromUtf8(texts::kDiscard), QString::fromUtf8(texts::kCancel));
}

// Exit, Esc and the close box all end here.
void CMorvexDlg::reject() {
  if (!ConfirmDiscard()) return;
  CancelAddShape();
  if (applyJob) {
    applyJob->cancel = true;
    hide();
    applyThread.join();
    ReturnApplyEngine(shapeLib, *applyJob);
    applyJob.reset();
  }
  QDialog::reject();
}

void CMorvexDlg::keyPressEvent(QKeyEvent* event) {
  if (applyJob && event->matches(QKeySequence::Cancel)) {
    CancelApply();
    return;
  }
  if (shapeAdd && event->matches(QKeySequence::Cancel)) {
    CancelAddShape();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CMorvexDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!applyJob && !DroppedPath(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMorvexDlg::dropEvent(QDropEvent* event) {
  const QString path = DroppedPath(event->mimeData());
  if (applyJob || path.isEmpty()) return;
  event->acceptProposedAction();
  // After the drop returns: the file manager is not kept waiting on our questions.
  QMetaObject::invokeMethod(this, [this, path] { OpenPictureFile(path); }, Qt::QueuedConnection);
}

void CMorvexDlg::OnCommand(int id) {
  switch (id) {
    case ids::kApply: OnApply(); break;
    case ids::kOpen:
    case ids::kMenuOpen: OpenPicture(); break;
    case ids::kSave:
    case ids::kMenuSave: SavePicture(); break;
    case ids::kMenuAddShape: AddShape(); break;
    case ids::kAddShapeButton:
      if (shapeAdd) CancelAddShape(); else AddShape();
      break;
    case ids::kMenuExit:
      // Posted, so that the menu handler returns before the dialog ends.
      QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
      break;
    case ids::kMenuStamps:
      if (auto* action = findChild<QAction*>(QStringLiteral("id%1").arg(ids::kMenuStamps)))
        stampGrid = action->isChecked();
      break;
    case ids::kMenuAbout: {
      CAboutDlg about(*prompts, this);
      about.exec();
      break;
    }
    case ids::kDownload: OpenDownloadPage(*prompts); break;
    case ids::kShowBoth: SetDisplayMode(kDisplayBoth); break;
    case ids::kShowSrc: SetDisplayMode(kDisplaySource); break;
    case ids::kShowDst: SetDisplayMode(kDisplayResult); break;
    case ids::kActualSize: ToggleActualSize(); break;
    case ids::kShapeButton:
    case ids::kPolylineButton: ClearResultArea(); break;
    case ids::kPictureButton:
      RenderPane(dstView);
      PresentPane(dstView);
      break;
    case ids::kShapeDropDown: ToggleShapeSelectionList(); break;
    case ids::kHorizontal: SetDirection(1); break;
    case ids::kVertical: SetDirection(0); break;
    default:
      // The hidden 1034 and 1035 do nothing.
      break;
  }
}

void CMorvexDlg::SetControlEnabled(int id, bool enabled) { FindControl(client, id)->setEnabled(enabled); }

void CMorvexDlg::SetControlVisible(int id, bool visible) { FindControl(client, id)->setVisible(visible); }

bool CMorvexDlg::IsChecked(int id) const {
  return static_cast<const QAbstractButton*>(FindControl(client, id))->isChecked();
}

std::int32_t CMorvexDlg::ScreenWidth() const { return screen() ? screen()->size().width() : 1024; }

std::int32_t CMorvexDlg::ScreenHeight() const { return screen() ? screen()->size().height() : 768; }

TPaneSurface& CMorvexDlg::BackBuffer() { return backBuffer; }

}  // namespace quorvel
