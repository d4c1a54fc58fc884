// Runs one log tally export the way the application does, for the tests of Quenby ending during an
// export: termination handling installed at start-up, the export on the main ("user-interface")
// thread, and a quit that is only posted to the main thread's loop.
//   export_driver <bill> [--cell-delay-ms N] [--signal-during-save SIGNAL] [--signal-before-save SIGNAL]
//                 [--signal-before-quit SIGNAL] [--no-restart] [--idle]
// Prints "writing" once the first cell is written, then "exported" or "error <number>", and "quit"
// when the posted quit is taken. With --idle it exports nothing: it starts an office ahead, prints
// "idle" once that office is ready, and waits.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "calc/error.h"
#include "export/export_procedure.h"
#include "forwarding_host.h"
#include "logtally/log_tally_export.h"
#include "office/libreoffice_host.h"
#include "office/office_reserve.h"
#include "office/termination.h"

namespace {

using namespace quenby;
using std::chrono::milliseconds;

// The real office, slowed down or interfered with where a test needs a moment to act.
struct DriverHost : test::ForwardingHost {
  milliseconds cellDelay{0};
  int signalDuringSave = 0;
  int signalBeforeSave = 0;
  int signalBeforeQuit = 0;
  bool announced = false;
  std::string bill;

  void openWorkbook(const std::string& path) override {
    bill = path;
    office.openWorkbook(path);
  }
  void setCellText(int row, int column, const std::u16string& text) override {
    office.setCellText(row, column, text);
    if (!announced) std::printf("writing\n"), announced = true;
    std::this_thread::sleep_for(cellDelay);
  }
  void save() override {
    if (signalDuringSave) {
      // Once the office has begun to write its copy of the bill beside it, the office is held
      // still and Quenby is ended; a moment later the office may go on.
      const pid_t group = office.officeProcessId();
      std::thread([group, signal = signalDuringSave, dir = std::filesystem::path(bill).parent_path()] {
        for (bool begun = false; !begun; std::this_thread::sleep_for(std::chrono::microseconds(200)))
          for (const auto& entry : std::filesystem::directory_iterator(dir))
            begun = begun || entry.path().filename().string().rfind("lu", 0) == 0;
        ::kill(-group, SIGSTOP);
        ::kill(::getpid(), signal);
        std::this_thread::sleep_for(milliseconds(1500));
        ::kill(-group, SIGCONT);
      }).detach();
    }
    if (signalBeforeSave) {
      // The office is held still before it can begin the save; Quenby ends while it waits.
      const pid_t group = office.officeProcessId();
      ::kill(-group, SIGSTOP);
      std::thread([signal = signalBeforeSave] {
        std::this_thread::sleep_for(milliseconds(300));
        ::kill(::getpid(), signal);
      }).detach();
    }
    office.save();
  }
  void quit() override {
    if (signalBeforeQuit) {
      ::kill(::getpid(), signalBeforeQuit);
      std::this_thread::sleep_for(milliseconds(500));  // the termination handling ends the office meanwhile
    }
    office.quit();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: %s <bill> [--cell-delay-ms N] [--signal-(during|before)-save SIGNAL] "
                 "[--signal-before-quit SIGNAL] [--no-restart] [--idle]\n",
                 argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  auto flag = [&](const char* name) {
    for (int i = 2; i < argc; ++i)
      if (!std::strcmp(argv[i], name)) return true;
    return false;
  };
  auto option = [&](const char* name) {
    for (int i = 2; i + 1 < argc; ++i)
      if (!std::strcmp(argv[i], name)) return std::atoi(argv[i + 1]);
    return 0;
  };
  const bool idle = flag("--idle");
  // Idle, the driver holds an office started ahead and nothing else.
  std::optional<DriverHost> host;
  if (!idle) {
    host.emplace();
    host->cellDelay = milliseconds(option("--cell-delay-ms"));
    host->signalDuringSave = option("--signal-during-save");
    host->signalBeforeSave = option("--signal-before-save");
    host->signalBeforeQuit = option("--signal-before-quit");
  }

  // As the application's main does it: the quit is posted to the event loop of the main thread.
  std::atomic<bool> quitPosted{false};
  installTerminationHandling([&] { quitPosted = true; });

  std::optional<OfficeReserve> reserve;
  if (idle) {
    reserve.emplace().touch();
    if (!reserve->waitUntilReady(milliseconds(30000))) return 4;
    std::printf("idle\n");
  } else {
    LogTallySheet sheet;
    sheet.field("Text17").setText(u"林场");
    test::Silent silent;
    try {
      ExportJob job = logTallyExportJob(sheet, argv[1]);
      if (flag("--no-restart")) job.restart = RestartPolicy::None;
      ExportCounter exportCount;
      runExport(job, exportCount, *host, silent, silent);
      std::printf("exported\n");
    } catch (const quenby::QuenbyError& e) {
      std::printf("error %d\n", e.number());
    }
  }
  // The event loop, until the quit arrives.
  for (int i = 0; i < 3000 && !quitPosted; ++i) std::this_thread::sleep_for(milliseconds(10));
  if (!quitPosted) return 3;
  std::printf("quit\n");
  return 0;
}
