// CShpSelectDlg: the panel of shape thumbnails the main dialog's button 1011
// opens. Choosing a thumbnail selects that shape and asks for a new preview.
#pragma once

#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>

class QMimeData;

#include "shapes/thumbnail.h"

class QListWidget;
class QMenu;
class QPushButton;

namespace quorvel {

class CMorvexDlg;

class CShpSelectDlg final : public QDialog {
 public:
  // main: the dialog whose shape library a choice changes; may be null.
  explicit CShpSelectDlg(CMorvexDlg* main);

  // Creates the panel as a child of parent and fills its list from the
  // thumbnails as they are now.
  void Create(QWidget* parent);
  bool IsCreated() const { return list != nullptr; }

  // Applies the selected item's shape; nothing when none is selected.
  void ApplySelection();
  // Shows row as selected without applying it again.
  void MarkSelected(int row);
  // The context menu of row: Remove for a user's shape, else none (null).
  QMenu* MakeContextMenu(int row);

  QListWidget* list = nullptr;  // item 1020
  QPushButton* addButton = nullptr;  // Add shape, Cancel while one is built
  QList<QImage> thumbnails;     // image i: the thumbnail of shape i
  bool thumbnailsBuilt = false; // the image list exists (it may be empty)

 private:
  friend void BuildShapeThumbnails(CShpSelectDlg&, const TWarpEngine&, TThumbnailSurface&);
  void OnInitDialog();
  void FillList();
  bool eventFilter(QObject* watched, QEvent* event) override;

  CMorvexDlg* main_;
};

// Refills shapeSelect's thumbnails from the whole shape list, one 50 x 50
// image per shape in list order; an open panel is refilled with them.
void BuildShapeThumbnails(CShpSelectDlg& shapeSelect, const TWarpEngine& engine, TThumbnailSurface& surface);

// The 10000 thumbnail bytes (B G R A, top row first) as an image.
QImage ThumbnailImage(const std::uint8_t* pixels);

// A dropped outline the shape list takes: one local .svg or .png file; else empty.
QString DroppedOutlinePath(const QMimeData* mime);

}  // namespace quorvel
