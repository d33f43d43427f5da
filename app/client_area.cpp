#include "app/client_area.h"

#include "app/morvex_dlg.h"

namespace quorvel {

TClientArea::TClientArea(CMorvexDlg& dialog, QWidget* parent) : QWidget(parent), dialog_(dialog) {}

void TClientArea::resizeEvent(QResizeEvent*) { dialog_.Relayout(); }
void TClientArea::mousePressEvent(QMouseEvent* event) { dialog_.MousePress(event); }
void TClientArea::mouseMoveEvent(QMouseEvent* event) { dialog_.MouseMove(event); }
void TClientArea::mouseReleaseEvent(QMouseEvent* event) { dialog_.MouseRelease(event); }

TPaneLayer::TPaneLayer(CMorvexDlg& dialog, QWidget* parent) : QWidget(parent), dialog_(dialog) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void TPaneLayer::paintEvent(QPaintEvent* event) { dialog_.PaintClient(event); }

}  // namespace quorvel
