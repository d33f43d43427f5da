#include "app/morvex_app.h"

int main(int argc, char** argv) {
  quorvel::CMorvexApp app;
  return app.InitInstance(argc, argv);
}
