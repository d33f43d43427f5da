// CMorvexApp: owns the QApplication and runs the main dialog modally; the
// program ends when the dialog closes.
#pragma once

namespace quorvel {

class CMorvexApp {
 public:
  // Returns the process exit status.
  int InitInstance(int& argc, char** argv);
};

}  // namespace quorvel
