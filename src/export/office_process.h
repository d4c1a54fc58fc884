#pragma once
// A private headless LibreOffice and the UNO connection to it. Internal to the office library:
// this header pulls in the UNO headers.
//
// The office runs the start script in a process group of its own, on a fresh temporary profile
// and a unique pipe; it never meets the user's running office. Ending it (terminate or kill)
// reaps the process and removes the profile.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include "export/export_error.h"
#include "export/libreoffice_host.h"

namespace quenby {

using rtl::OString;
using rtl::OUString;

class OfficeProcess {
 public:
  // Starts the office and connects to it. Raises SpreadsheetMissing when there is no office to
  // start and SpreadsheetNoAnswer when it does not answer in time; nothing is left behind then.
  explicit OfficeProcess(const OfficeOptions& options);
  ~OfficeProcess();  // kills the office when it still runs
  OfficeProcess(const OfficeProcess&) = delete;
  OfficeProcess& operator=(const OfficeProcess&) = delete;

  const css::uno::Reference<css::frame::XDesktop2>& desktop() const { return desktop_; }
  pid_t pid() const noexcept { return pid_; }
  const std::string& profileDirectory() const noexcept { return profileDir_; }

  // Asks the office to end, waits for it within quitTimeout, kills it if it does not.
  void terminate() noexcept;
  // Ends the office at once.
  void kill() noexcept;

 private:
  void spawn(const std::string& soffice);
  void connect(std::chrono::milliseconds timeout);
  void dropConnection() noexcept;
  bool waitForExit(std::chrono::milliseconds timeout) noexcept;
  void killGroup() noexcept;
  void removeProfile() noexcept;

  OfficeOptions options_;
  std::string profileDir_;
  std::string pipeName_;
  pid_t pid_ = 0;  // the start script; leader of the office's process group
  css::uno::Reference<css::bridge::XBridge> bridge_;
  css::uno::Reference<css::frame::XDesktop2> desktop_;
};

// The office executable: an explicit path when it is executable, else the installed one, else
// "soffice" or "libreoffice" on the PATH. Empty when there is none.
std::string findOffice(const std::string& explicitPath);

// Text conversions between the program's strings and UNO's.
OUString toOUString(std::u16string_view text);
OUString utf8ToOUString(std::string_view text);
std::u16string fromOUString(const OUString& text);
std::string utf8FromOUString(const OUString& text);

// Paths from and to the program's UTF-8 strings.
std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string utf8FromPath(const std::filesystem::path& path);

// file:// URL of an absolute path, UTF-8 bytes percent-encoded.
OUString fileUrl(const std::string& absolutePathUtf8);

// Runs one or more UNO calls. A UNO exception becomes a QuenbyError: a broken connection is
// SpreadsheetNoAnswer, anything else SpreadsheetFailed; the description names what was being
// done ("doing", e.g. "保存账单工作簿"). QuenbyErrors pass through.
[[noreturn]] void raiseDisconnected(const std::string& doing);
[[noreturn]] void raiseFailed(const std::string& doing, const OUString& message);

template <class Call>
auto unoCall(const std::string& doing, Call&& call) -> decltype(call()) {
  try {
    return call();
  } catch (const QuenbyError&) {
    throw;
  } catch (const css::lang::DisposedException&) {
    raiseDisconnected(doing);
  } catch (const css::uno::Exception& e) {
    raiseFailed(doing, e.Message);
  } catch (const std::exception& e) {
    raiseFailed(doing, utf8ToOUString(e.what()));
  }
}

}  // namespace quenby
