// Quenby starts with the log tally window, or with the ledger alone (--ledger); the other
// calculators come when the selector names them. The command line is read first: --help and
// --version need no display, nor does --setup-server.

#include <QApplication>
#include <QCoreApplication>

#include "app/command_line.h"
#include "app/program.h"
#include "app/setup.h"
#include "yard/server.h"
#include "yard/yard_settings.h"

int main(int argc, char* argv[]) {
  const quenby::app::CommandLine commandLine = quenby::app::readCommandLine(argc, argv);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  if (commandLine.setupServer) {
    const QCoreApplication core(argc, argv);
    return quenby::yard::setUpServer(commandLine.server.isEmpty() ? quenby::yard::readYardSettings().server
                                                                  : commandLine.server);
  }
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  quenby::app::Program program(commandLine);
  return program.run();
}
