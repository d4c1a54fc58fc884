// Quenby starts with the log tally window, or with the ledger alone (--ledger); the other
// calculators come when the selector names them. The command line is read first: --help and
// --version need no display.

#include <QApplication>

#include "app/command_line.h"
#include "app/program.h"
#include "app/setup.h"

int main(int argc, char* argv[]) {
  const quenby::app::CommandLine commandLine = quenby::app::readCommandLine(argc, argv);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  quenby::app::Program program(commandLine);
  return program.run();
}
