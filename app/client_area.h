// The dialog's area below its menu bar, and the layer above its controls
// that shows what the panes drew.
#pragma once

#include <QWidget>

namespace quorvel {

class CMorvexDlg;

// The client rectangle the layout, the panes and panning work in; it hands
// its resizes and mouse events to the dialog.
class TClientArea final : public QWidget {
 public:
  TClientArea(CMorvexDlg& dialog, QWidget* parent);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  CMorvexDlg& dialog_;
};

// Covers the client area above every control, so that the frames around
// the drawing areas (which some styles fill with a tint) never colour the
// pictures; it takes no mouse input and paints only where panes have drawn.
class TPaneLayer final : public QWidget {
 public:
  TPaneLayer(CMorvexDlg& dialog, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CMorvexDlg& dialog_;
};

}  // namespace quorvel
