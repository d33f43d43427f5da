#include "app/shp_select_dlg.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QListWidget>
#include <QStyledItemDelegate>

#include "app/control_tags.h"
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

}  // namespace

CShpSelectDlg::CShpSelectDlg(CMorvexDlg* main) : main_(main) {}

void CShpSelectDlg::Create(QWidget* parent) {
  if (IsCreated()) return;
  setParent(parent, Qt::Widget);
  UseTemplateFont(this);
  setGeometry(TemplateRect(0, 0, 255, 180));
  list = new QListWidget(this);
  TagControl(list, kListId);
  list->setGeometry(TemplateRect(6, 6, 242, 169));
  list->setViewMode(QListView::IconMode);
  list->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
  list->setGridSize(QSize(kItemPitch, kItemPitch));
  list->setMovement(QListView::Static);
  list->setResizeMode(QListView::Adjust);
  list->setWrapping(true);
  // One shape is warped into: Ctrl- or Shift-click must not select two.
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setItemDelegate(new ThumbnailOnlyDelegate(list));
  OnInitDialog();
  connect(list, &QListWidget::itemSelectionChanged, this, &CShpSelectDlg::ApplySelection);
}

void CShpSelectDlg::OnInitDialog() { FillList(); }

void CShpSelectDlg::FillList() {
  const QSignalBlocker quiet(list);
  list->clear();
  if (!main_) return;
  const auto count = static_cast<int>(main_->shapeLib.shapes.size());
  for (int i = 0; i < count; ++i) {
    auto* item = new QListWidgetItem(QString());
    if (i < thumbnails.size()) item->setIcon(QIcon(QPixmap::fromImage(thumbnails[i])));
    item->setToolTip(QString::fromStdString(main_->shapeLib.shapes[static_cast<std::size_t>(i)].name));
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
