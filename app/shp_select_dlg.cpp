#include "app/shp_select_dlg.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

#include "app/control_ids.h"
#include "app/control_tags.h"
#include "app/dialog_texts.h"
#include "app/morvex_dlg.h"
#include "shapes/shape_library.h"

namespace quorvel {
namespace {

constexpr int kListId = 1020;
// The template's list is laid out at 60 pixels across; 60 down as well keeps
// the 50-pixel thumbnails from touching.
constexpr int kItemPitch = 60;

// Items have no caption: without this the view would still highlight an
// empty text line under a selected thumbnail.
class ThumbnailOnlyDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasDisplay;
    option->text.clear();
  }
};

// A user's shape carries a small corner mark, drawn on the shown icon only:
// the thumbnail itself stays the core's drawing.
QPixmap UserShapeIcon(const QImage& thumbnail) {
  QPixmap pixmap = QPixmap::fromImage(thumbnail);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x20, 0x70, 0xD0));
  const int side = kThumbnailSide;
  const QPointF corner[] = {{side - 12.0, double(side)}, {double(side), double(side)}, {double(side), side - 12.0}};
  painter.drawPolygon(corner, 3);
  return pixmap;
}

}  // namespace

QString DroppedOutlinePath(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().front().isLocalFile()) return {};
  const QString path = mime->urls().front().toLocalFile();
  const QString ending = QFileInfo(path).suffix().toLower();
  return ending == QLatin1String("svg") || ending == QLatin1String("png") ? path : QString();
}

CShpSelectDlg::CShpSelectDlg(CMorvexDlg* main) : main_(main) {}

void CShpSelectDlg::Create(QWidget* parent) {
  if (IsCreated()) return;
  setParent(parent, Qt::Widget);
  UseTemplateFont(this);
  setGeometry(TemplateRect(0, 0, 255, 180));
  // The strip under the list, with its button, must not show the panes through.
  setAutoFillBackground(true);
  list = new QListWidget(this);
  TagControl(list, kListId);
  list->setGeometry(TemplateRect(6, 6, 242, 150));
  list->setViewMode(QListView::IconMode);
  list->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
  list->setGridSize(QSize(kItemPitch, kItemPitch));
  list->setMovement(QListView::Static);
  list->setResizeMode(QListView::Adjust);
  list->setWrapping(true);
  // One shape is warped into: Ctrl- or Shift-click must not select two.
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setItemDelegate(new ThumbnailOnlyDelegate(list));
  // Outlines dropped here become shapes; other drops pass on to the window.
  list->setAcceptDrops(true);
  list->viewport()->setAcceptDrops(true);
  list->viewport()->installEventFilter(this);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QListWidgetItem* item = list->itemAt(at);
    if (!item) return;
    QMenu* menu = MakeContextMenu(list->row(item));
    if (menu) menu->exec(list->viewport()->mapToGlobal(at));
    delete menu;
  });
  addButton = new QPushButton(QString::fromUtf8(texts::kAddShape), this);
  TagControl(addButton, ids::kAddShapeButton);
  addButton->setGeometry(TemplateRect(6, 159, 90, 15));
  addButton->setToolTip(QString::fromUtf8(texts::kTipAddShape));
  if (main_) {
    if (main_->AddingShape()) addButton->setText(QString::fromUtf8(texts::kAddShapeCancel));
    connect(addButton, &QPushButton::clicked, this, [this] { main_->OnCommand(ids::kAddShapeButton); });
  }
  OnInitDialog();
  connect(list, &QListWidget::itemSelectionChanged, this, &CShpSelectDlg::ApplySelection);
}

bool CShpSelectDlg::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  if (!list || watched != list->viewport() ||
      (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
    return QDialog::eventFilter(watched, event);
  auto* drop = static_cast<QDropEvent*>(event);
  const QString path = DroppedOutlinePath(drop->mimeData());
  if (path.isEmpty() || !main_) return QDialog::eventFilter(watched, event);
  drop->acceptProposedAction();
  if (type == QEvent::Drop)
    QMetaObject::invokeMethod(main_, [main = main_, path] { main->AddShapeFile(path); }, Qt::QueuedConnection);
  return true;
}

void CShpSelectDlg::MarkSelected(int row) {
  if (!list) return;
  const QSignalBlocker quiet(list);
  list->clearSelection();
  if (row >= 0 && row < list->count()) {
    list->item(row)->setSelected(true);
    list->scrollToItem(list->item(row));
  }
}

QMenu* CShpSelectDlg::MakeContextMenu(int row) {
  if (!main_ || row < 0 || row >= static_cast<int>(main_->shapeLib.shapes.size())) return nullptr;
  if (!main_->shapeLib.shapes[static_cast<std::size_t>(row)].user) return nullptr;
  auto* menu = new QMenu(list);
  QAction* remove = menu->addAction(QString::fromUtf8(texts::kRemoveShape));
  connect(remove, &QAction::triggered, this, [this, row] { main_->RemoveUserShapeAt(row); });
  return menu;
}

void CShpSelectDlg::OnInitDialog() { FillList(); }

void CShpSelectDlg::FillList() {
  const QSignalBlocker quiet(list);
  list->clear();
  if (!main_) return;
  const auto count = static_cast<int>(main_->shapeLib.shapes.size());
  for (int i = 0; i < count; ++i) {
    const ShapeEntry& entry = main_->shapeLib.shapes[static_cast<std::size_t>(i)];
    auto* item = new QListWidgetItem(QString());
    if (i < thumbnails.size())
      item->setIcon(QIcon(entry.user ? UserShapeIcon(thumbnails[i]) : QPixmap::fromImage(thumbnails[i])));
    const QString name = QString::fromStdString(entry.name);
    item->setToolTip(entry.user ? QString::fromUtf8(texts::kTipUserShape).arg(name) : name);
    item->setData(Qt::UserRole, i);
    list->addItem(item);
  }
}

void CShpSelectDlg::ApplySelection() {
  if (!list) return;
  for (int row = 0; row < list->count(); ++row) {
    const QListWidgetItem* item = list->item(row);
    if (!item->isSelected()) continue;
    if (main_) {
      // A shape that cannot be loaded leaves the previous one in effect; the
      // preview is asked for all the same, as when the shape is already loaded.
      (void)SelectShape(main_->shapeLib, item->data(Qt::UserRole).toInt());
      main_->paramsDirty = 1;
    }
    return;
  }
}

QImage ThumbnailImage(const std::uint8_t* pixels) {
  // B G R A bytes are Format_ARGB32 on a little-endian machine.
  QImage image(kThumbnailSide, kThumbnailSide, QImage::Format_ARGB32);
  for (int y = 0; y < kThumbnailSide; ++y)
    std::memcpy(image.scanLine(y), pixels + std::size_t(y) * kThumbnailSide * 4, kThumbnailSide * 4);
  return image;
}

void BuildShapeThumbnails(CShpSelectDlg& shapeSelect, const TWarpEngine& engine, TThumbnailSurface& surface) {
  shapeSelect.thumbnails.clear();
  shapeSelect.thumbnails.reserve(static_cast<qsizetype>(engine.shapes.size()));
  std::vector<std::uint8_t> pixels(kThumbnailBytes);
  for (std::size_t i = 0; i < engine.shapes.size(); ++i) {
    if (!DrawShapeThumbnail(engine, surface, static_cast<std::int32_t>(i), pixels.data()))
      std::fill(pixels.begin(), pixels.end(), std::uint8_t{255});
    shapeSelect.thumbnails.append(ThumbnailImage(pixels.data()));
  }
  shapeSelect.thumbnailsBuilt = true;
  // A panel opened before the load would otherwise stay empty for good.
  if (shapeSelect.IsCreated()) shapeSelect.FillList();
}

}  // namespace quorvel
