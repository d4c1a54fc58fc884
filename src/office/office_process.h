#pragma once
// A private headless LibreOffice and the UNO connection to it. Internal to the office library:
// this header pulls in the UNO headers.
//
// The office runs the start script in a process group of its own, on a fresh temporary profile
// that also holds the office's temporary folder, and on a unique pipe; it never meets the user's
// running office. The profile records its owner (our process, the office's process group, the
// host). A watchdog process holds the other end of a pipe only we write to: when we end, however
// we end, it ends the office and removes what the office leaves (profile, sockets, the bill's lock).
// Ending the office here (terminate or kill) reaps it and lets the watchdog clean up at once.
// Every call on the office has a deadline; when it passes, the office is killed. Another thread may
// end the office through its interrupt (office_interrupt.h); otherwise one thread at a time uses it.
// This class starts, connects, ends and kills; the profile (office_profile.h), the watchdog
// (office_watchdog.h), the deadline (call_deadline.h) and the command line (office_launch.h) are
// each a file of their own.

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>

#include "export/export_error.h"
#include "office/call_deadline.h"
#include "office/libreoffice_host.h"
#include "office/office_interrupt.h"
#include "office/office_watchdog.h"
#include "office/uno_bridge.h"

namespace quenby {

class OfficeProcess {
 public:
  // Starts the office and connects to it, after ending the offices of ours whose owner is gone.
  // Raises SpreadsheetMissing when there is no office to start, SpreadsheetNoAnswer when it does
  // not answer in time, ExportAbandoned when Quenby is ending and ExportCancelled when `interrupt`
  // (it may be null) is interrupted; nothing is left behind then.
  explicit OfficeProcess(const OfficeOptions& options, std::shared_ptr<OfficeInterrupt> interrupt = nullptr);
  ~OfficeProcess();  // kills the office when it still runs
  OfficeProcess(const OfficeProcess&) = delete;
  OfficeProcess& operator=(const OfficeProcess&) = delete;

  const css::uno::Reference<css::frame::XDesktop2>& desktop() const { return desktop_; }
  pid_t pid() const noexcept { return pid_; }
  pid_t officePid() const noexcept { return officePid_; }  // soffice.bin, once connected
  const std::string& profileDirectory() const noexcept { return profileDir_; }

  // Whether soffice.bin still runs (an office started ahead may have died while it waited).
  bool running() const;
  // From now on `interrupt` ends this office. Raises ExportCancelled, the office ended, when it
  // was interrupted already.
  void watchedBy(std::shared_ptr<OfficeInterrupt> interrupt);

  // unoCall with a deadline: when `timeout` passes the office is killed, and the call raises
  // SpreadsheetNoAnswer saying so (ExportAbandoned when the office was ended because Quenby ends).
  template <class Call>
  auto call(const std::string& doing, std::chrono::milliseconds timeout, Call&& fn) -> decltype(fn()) {
    deadline_.arm(timeout);
    struct Disarm {
      CallDeadline& deadline;
      ~Disarm() { deadline.disarm(); }
    } disarm{deadline_};
    try {
      return unoCall(doing, fn);
    } catch (const QuenbyError&) {
      raiseIfCutOff(doing, timeout);
      throw;
    }
  }

  // The workbook about to be opened, recorded for the clean-up.
  void noteWorkbook(const std::string& billPath);
  // Around a store of the bill. A save being written holds back Quenby's end, and the watchdog
  // lets it finish (until `timeout`) before it ends the office. beginSave raises ExportAbandoned
  // when Quenby is ending.
  void beginSave(std::chrono::milliseconds timeout, const std::string& billPath);
  void endSave() noexcept;

  // Asks the office to end, waits for it within quitTimeout, kills it if it does not.
  void terminate() noexcept;
  // The two halves of terminate(), for another thread to wait: asking (false when the office
  // refused), then waiting, or killing an office that refused.
  bool askToEnd() noexcept;
  void finishEnding(bool agreed) noexcept;
  // Ends the office at once.
  void kill() noexcept;

 private:
  void spawn(const std::string& soffice);
  void finishWatchdog() noexcept;
  void connect(std::chrono::milliseconds timeout);
  void recordSockets() noexcept;
  void dropConnection() noexcept;
  bool waitForExit(std::chrono::milliseconds timeout) noexcept;
  void killGroup() noexcept;
  void leaveWatchers() noexcept;
  void leaveRegister() noexcept;  // of the offices the termination handling ends

  void raiseIfCutOff(const std::string& doing, std::chrono::milliseconds timeout);

  OfficeOptions options_;
  std::string profileDir_;
  std::string pipeName_;
  pid_t pid_ = 0;        // the start script; leader of the office's process group
  pid_t officePid_ = 0;  // soffice.bin
  OfficeWatchdog watchdog_;
  pid_t registeredGroup_ = 0;  // 0 when not registered; pid_ is cleared when the leader is reaped
  std::shared_ptr<OfficeInterrupt> interrupt_;
  std::set<std::string> recordedSockets_;
  css::uno::Reference<css::bridge::XBridge> bridge_;
  css::uno::Reference<css::frame::XDesktop2> desktop_;

  CallDeadline deadline_;
};

}  // namespace quenby
