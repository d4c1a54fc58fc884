// Start-up probe: the program's own start, made as src/app/main.cpp makes it (the same Program):
// the command line, the application, the user's store and its recovery check, the office's
// reserve, the calculators with Form1, the ledger's records, up to the first frame of the shown
// window on an exposed screen (see first_frame.h). The store is the one XDG_DATA_HOME names: bench/startup.sh
// gives the probe a private one, never the user's. With QUENBY_PROBE_USER_EXIT=1 the probe leaves by the
// window's exit button instead, the way a user ends the program, so that the next start finds a store as a
// user's start does.

#include <QAbstractButton>
#include <QApplication>

#include "first_frame.h"

#include "app/command_line.h"
#include "app/program.h"
#include "app/setup.h"
#include "windows/calculators.h"

int main(int argc, char* argv[]) {
  const quenby::app::CommandLine commandLine = quenby::app::readCommandLine(argc, argv);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  quenby::app::Program program(commandLine);
  quenby::app::Calculators& calculators = program.calculators();
  const auto shown = calculators.shown();
  QWidget* first = shown ? calculators.window(*shown) : calculators.startWindow();
  if (qEnvironmentVariableIntValue("QUENBY_PROBE_USER_EXIT") == 1) {
    bench::atFirstFrame(first, [&calculators] {
      calculators.startWindow()->control<QAbstractButton>({"Command6"})->click();
    });
  } else {
    bench::leaveAtFirstFrame(first);
  }
  return program.run();
}
