#include "app/morvex_app.h"

#include <QApplication>

#include "app/morvex_dlg.h"

namespace quorvel {

int CMorvexApp::InitInstance(int& argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvel"));
  QApplication::setApplicationVersion(QStringLiteral("1.00"));
  CMorvexDlg dialog;
  dialog.exec();
  return 0;
}

}  // namespace quorvel
