// Quenby starts with the log tally window.

#include <QApplication>

#include "logtally/form1.h"
#include "shell/appearance.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  quenby::shell::prepareApplication();
  quenby::Form1 form1;
  form1.show();
  return QApplication::exec();
}
