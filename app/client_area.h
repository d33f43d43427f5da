// The dialog's area below its menu bar: the client rectangle the layout,
// the panes and panning work in. It hands its events to the dialog.
#pragma once

#include <QWidget>

namespace quorvel {

class CMorvexDlg;

class TClientArea final : public QWidget {
 public:
  TClientArea(CMorvexDlg& dialog, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  CMorvexDlg& dialog_;
};

}  // namespace quorvel
