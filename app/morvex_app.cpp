#include "app/morvex_app.h"

#include <QApplication>
#include <QUrl>

#include "app/morvex_dlg.h"

namespace quorvel {

QString StartPicture(const QStringList& arguments) {
  if (arguments.size() < 2) return {};
  const QString& given = arguments[1];
  // A file manager passes a path (%f); a file URL is taken as well.
  if (given.startsWith(QLatin1String("file:"))) return QUrl(given).toLocalFile();
  return given;
}

int CMorvexApp::InitInstance(int& argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvel"));
  QApplication::setApplicationVersion(QStringLiteral("1.00"));
  CMorvexDlg::Setup setup;
  setup.startPicture = StartPicture(QApplication::arguments());
  CMorvexDlg dialog(setup);
  dialog.exec();
  return 0;
}

}  // namespace quorvel
