#pragma once
// The program's command line, read before any QApplication exists, so that --help and --version
// answer without a window and without a display. A mistake is refused with status 2; Qt's own
// options (-platform, -display, -style, …) are let through for QApplication to take.

#include <QString>
#include <optional>

namespace quenby::app {

struct CommandLine {
  bool help = false;     // -h, --help
  bool version = false;  // -v, --version
  bool ledger = false;   // --ledger: the ledger window alone
  // --setup-server [connection]: creates or migrates the yard server's tables, with the connection
  // given or the one of the settings ([yard] server=), and ends.
  bool setupServer = false;
  QString server;
  // Set when the command line has been answered or refused: the program ends with this status
  // and shows no window.
  std::optional<int> exitStatus;
};

// Reads argv; prints the help and the version on standard output (status 0) and a mistake, with a
// hint to --help, on standard error (status 2).
CommandLine readCommandLine(int argc, char* argv[]);

}  // namespace quenby::app
