// CMorvexApp: owns the QApplication and runs the main dialog modally; the
// program ends when the dialog closes.
#pragma once

#include <QString>
#include <QStringList>

namespace quorvel {

// The picture path a file manager gave on the command line (arguments as
// QApplication leaves them, program first); empty when none.
QString StartPicture(const QStringList& arguments);

class CMorvexApp {
 public:
  // Returns the process exit status.
  int InitInstance(int& argc, char** argv);
};

}  // namespace quorvel
