// The user's own shapes in the window: adding an outline through a
// quorvel-shape process, removing a shape file, and scanning both folders.
#include <algorithm>
#include <cstring>

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QProgressBar>

#include "app/client_area.h"
#include "app/control_ids.h"
#include "app/control_tags.h"
#include "app/dialog_texts.h"
#include "app/morvex_dlg.h"
#include "app/user_prompts.h"
#include "raster/message_sink.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"
#include "shapes/user_shapes.h"

namespace quorvel {
namespace {

QString ToolBesideExecutable() {
  QString folder = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();
  if (folder.isEmpty()) folder = QCoreApplication::applicationDirPath();
  return folder + QStringLiteral("/quorvel-shape");
}

std::filesystem::path NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The builder's last non-empty line, without the program's prefix.
QString RefusalReason(const QByteArray& standardError) {
  const QStringList lines = QString::fromLocal8Bit(standardError).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  QString reason = lines.isEmpty() ? QString() : lines.last().trimmed();
  for (const char* prefix : {"quorvel-shape add: ", "quorvel-shape: "})
    if (reason.startsWith(QLatin1String(prefix))) reason.remove(0, int(std::strlen(prefix)));
  return reason;
}

}  // namespace

QString DefaultUserShapeFolderPath() { return QFile::decodeName(UserShapeFolder().string().c_str()); }

QString DefaultShapeToolPath() { return ToolBesideExecutable(); }

// A file where the bundled folder should be (the executable itself is named
// like the folder) is no folder: as silent as a missing one.
void CMorvexDlg::ScanBothFolders() {
  const std::filesystem::path bundled = QFileInfo(shapeFolder).isDir() ? NativePath(shapeFolder) : std::filesystem::path();
  // Cleared first: a rescan that finds nothing must not keep a removed shape.
  shapeLib.shapes.clear();
  shapeLib.selected = -1;
  ScanShapeFolders(shapeLib, bundled, NativePath(userShapeFolder));
}

void CMorvexDlg::RescanShapes(const QString& path, int fallback) {
  ScanBothFolders();
  const auto count = static_cast<int>(shapeLib.shapes.size());
  int chosen = -1;
  const std::filesystem::path wanted = NativePath(path);
  for (int i = 0; i < count && !path.isEmpty(); ++i)
    if (shapeLib.shapes[static_cast<std::size_t>(i)].path == wanted) chosen = i;
  if (chosen < 0 && count > 0) chosen = std::clamp(fallback, 0, count - 1);
  if (chosen >= 0) SelectShape(shapeLib, chosen);
  BuildShapeThumbnails(shapeSelect, shapeLib, thumbSurface);
  shapeSelect.MarkSelected(shapeLib.selected);
  paramsDirty = 1;
  paneLayer->update();
}

void CMorvexDlg::AddShape() {
  if (shapeAdd || applyJob || !resourcesLoaded) return;
  const std::optional<QString> outline = prompts->AskOpenPath(this, QString::fromUtf8(texts::kOutlineFilter));
  if (outline && !outline->isEmpty()) AddShapeFile(*outline);
}

// In a process of its own: an outline that sends the builder into a loop or
// a crash costs the window nothing, and killing it is a clean cancel.
void CMorvexDlg::AddShapeFile(const QString& outline) {
  if (shapeAdd || applyJob || !resourcesLoaded) return;
  const QFileInfo info(outline);
  QStringList arguments = {QStringLiteral("add"), info.absoluteFilePath()};
  shapeAddOutline = info.absoluteFilePath();
  shapeAdd = new QProcess(this);
  shapeAddCancelled = false;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), QDir::cleanPath(userShapeFolder + QStringLiteral("/../..")));
  shapeAdd->setProcessEnvironment(environment);
  shapeAddPid = 0;
  connect(shapeAdd, &QProcess::started, this, [this] { shapeAddPid = shapeAdd->processId(); });
  connect(shapeAdd, &QProcess::finished, this, [this] { FinishAddShape(); });
  connect(shapeAdd, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) FinishAddShape();
  });
  SetAddControls(true);
  shapeAdd->start(shapeTool, arguments);
}

void CMorvexDlg::CancelAddShape() {
  if (!shapeAdd || shapeAddCancelled) return;
  shapeAddCancelled = true;
  shapeAdd->kill();
}

// A killed tool leaves its hidden temporaries (named after its process) behind.
void CMorvexDlg::RemoveAddLeftovers() {
  if (shapeAddPid <= 0) return;
  const QDir folder(userShapeFolder);
  const QString pid = QString::number(shapeAddPid);
  const QStringList patterns = {QStringLiteral(".quorvel-add-%1-*.tmp").arg(pid),
                                QStringLiteral(".quorvel-save-%1-*.tmp").arg(pid)};
  for (const QString& name : folder.entryList(patterns, QDir::Files | QDir::Hidden | QDir::System))
    QFile::remove(folder.filePath(name));
}

void CMorvexDlg::FinishAddShape() {
  if (!shapeAdd) return;
  QProcess* process = shapeAdd;
  shapeAdd = nullptr;
  process->deleteLater();
  SetAddControls(false);
  if (process->error() == QProcess::FailedToStart) {
    ShowMessage(QString::fromUtf8(texts::kMsgNoShapeTool).arg(shapeTool).toStdString());
    return;
  }
  process->waitForFinished();  // the finished signal may still be on its way
  const QString placed = QString::fromLocal8Bit(process->readAllStandardOutput()).trimmed();
  const bool made = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0 && !placed.isEmpty();
  if (shapeAddCancelled) {
    // Finished before the kill arrived: cancelled still means no new shape.
    if (made) QFile::remove(placed);
    RemoveAddLeftovers();
    ShowStatus(QString::fromUtf8(texts::kStatusAddCancelled));
    return;
  }
  if (!made) {
    RemoveAddLeftovers();  // a crashed tool leaves them as a killed one does
    QString reason = RefusalReason(process->readAllStandardError());
    if (reason.isEmpty()) reason = QStringLiteral("exit %1").arg(process->exitCode());
    ShowMessage(QString::fromUtf8(texts::kMsgShapeRefused).arg(reason).toStdString());
    return;
  }
  RescanShapes(placed, shapeLib.selected);
  ShowStatus(QString::fromUtf8(texts::kStatusShapeAdded).arg(QFileInfo(placed).completeBaseName()));
}

// Apply borrows the shape list, so a rescan must not run beside it: the two
// exclude each other. The add button turns into its cancel.
void CMorvexDlg::SetAddControls(bool adding) {
  SetControlEnabled(ids::kApply, !adding);
  if (auto* action = findChild<QAction*>(QStringLiteral("id%1").arg(ids::kMenuAddShape))) action->setEnabled(!adding);
  if (shapeSelect.addButton)
    shapeSelect.addButton->setText(QString::fromUtf8(adding ? texts::kAddShapeCancel : texts::kAddShape));
  auto* bar = static_cast<QProgressBar*>(FindControl(client, ids::kApplyProgress));
  bar->setRange(0, adding ? 0 : 100);  // 0..0: busy, the builder reports no progress
  bar->setToolTip(adding ? QString::fromUtf8(texts::kMakingShape) : QString());
  bar->setVisible(adding);
}

void CMorvexDlg::RemoveUserShapeAt(int index) {
  if (shapeAdd || applyJob || index < 0 || index >= static_cast<int>(shapeLib.shapes.size())) return;
  const ShapeEntry& entry = shapeLib.shapes[static_cast<std::size_t>(index)];
  if (!entry.user) return;
  const QString path = QFile::decodeName(entry.path.string().c_str());
  const QString name = QString::fromStdString(entry.name);
  if (!QFile::moveToTrash(path)) {
    const QString ask = QString::fromStdString(MessageForDisplay(texts::kAskDeleteShape)).arg(name);
    if (!prompts->AskYesNo(this, ask, QString::fromUtf8(texts::kDelete), QString::fromUtf8(texts::kCancel)))
      return;
    if (!QFile::remove(path)) {
      ShowMessage(QString::fromUtf8(texts::kMsgShapeNotRemoved).arg(name).toStdString());
      return;
    }
  }
  // The selection stays on its shape; the removed one's passes to the shape before it.
  const int selected = shapeLib.selected;
  QString keep;
  if (selected >= 0 && selected != index)
    keep = QFile::decodeName(shapeLib.shapes[static_cast<std::size_t>(selected)].path.string().c_str());
  RescanShapes(keep, selected == index ? index - 1 : selected);
}

}  // namespace quorvel
