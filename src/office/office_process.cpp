#include "office/office_process.h"

#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>

#include "office/office_launch.h"
#include "office/office_names.h"
#include "office/office_profile.h"
#include "office/office_watchdog.h"
#include "office/process_group.h"
#include "office/termination.h"

namespace quenby {

namespace fs = std::filesystem;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using Clock = std::chrono::steady_clock;

OfficeProcess::OfficeProcess(const OfficeOptions& options, std::shared_ptr<OfficeInterrupt> interrupt)
    : options_(options), interrupt_(std::move(interrupt)) {
  if (interrupt_ && interrupt_->requested()) throw exportCancelled();
  std::string soffice = findOffice(options.sofficePath);
  if (soffice.empty()) {
    std::string description = "没有找到电子表格程序 LibreOffice Calc";
    if (!options.sofficePath.empty()) description += "（" + options.sofficePath + "）";
    throw QuenbyError(ExportError::SpreadsheetMissing,
                      description + "。请先安装 LibreOffice Calc，再导出账单");
  }
  // What earlier runs of ours left when they were killed: their offices, profiles and locks.
  endAbandonedOffices();
  try {
    spawn(soffice);
    connect(options.answerTimeout);
  } catch (...) {
    kill();
    throw;
  }
}

OfficeProcess::~OfficeProcess() { kill(); }

void OfficeProcess::spawn(const std::string& soffice) {
  profileDir_ = createProfile();
  const std::string tempDir = profileTempDirectory(profileDir_);
  pipeName_ = uniquePipeName();

  std::vector<std::string> environment = officeEnvironment(tempDir);
  int rc = 0;
  const pid_t pid = spawnInOwnGroup(officeCommand(soffice, profileDir_, pipeName_), &environment, -1, rc);
  if (rc != 0)
    throw QuenbyError(ExportError::SpreadsheetMissing, "无法启动电子表格程序 LibreOffice Calc（" + soffice +
                                                           "）：" + std::strerror(rc) +
                                                           "。请确认 LibreOffice Calc 已正确安装");
  pid_ = pid;
  // Our child, not reaped yet: its number and start time are surely the office's.
  const unsigned long long started = processStartTime(pid_);
  appendToOwnerRecord(profileDir_,
                      {{kKeyGroup, std::to_string(pid_)}, {kKeyGroupStarted, std::to_string(started)}});
  watchdog_.start(pid_, started, profileDir_);
  if (!options_.links->add(pid_)) raiseAbandoned();
  registeredGroup_ = pid_;
  if (interrupt_ && !interrupt_->watch(pid_)) throw exportCancelled();
  deadline_.start(pid_);
}

void OfficeProcess::finishWatchdog() noexcept {
  // Without a watchdog (it could not be started) the profile is removed here.
  if (!watchdog_.finish() && !profileDir_.empty()) {
    std::error_code ec;
    fs::remove_all(profileDir_, ec);
  }
  profileDir_.clear();
}

void OfficeProcess::connect(std::chrono::milliseconds timeout) {
  const std::string doing = "建立连接";
  const auto deadline = Clock::now() + timeout;
  Reference<css::uno::XComponentContext> context;
  try {
    context = localContext();
  } catch (const css::uno::Exception& e) {
    raiseFailed("初始化 UNO", e.Message);
  }
  Reference<css::connection::XConnection> connection = unoCall(doing, [&] {
    auto connector = css::connection::Connector::create(context);
    const OUString description = utf8ToOUString("pipe,name=" + pipeName_);
    for (;;) {
      try {
        return connector->connect(description);
      } catch (const css::connection::NoConnectException&) {
      }
      if (interrupt_ && interrupt_->requested()) throw exportCancelled();
      if (waitForExit(std::chrono::milliseconds(0)))
        throw QuenbyError(ExportError::SpreadsheetNoAnswer,
                          "电子表格程序（LibreOffice）启动后立即退出了，没有响应");
      if (Clock::now() >= deadline)
        throw QuenbyError(
            ExportError::SpreadsheetNoAnswer,
            "电子表格程序（LibreOffice）启动后 " +
                std::to_string(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()) +
                " 秒内没有响应");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  // The pipe may be open while the office does not answer on it.
  const auto left = std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()),
                             std::chrono::milliseconds(1000));
  call(doing, left, [&] {
    bridge_ =
        css::bridge::BridgeFactory::create(context)->createBridge(OUString(), "urp", connection, nullptr);
    Reference<css::uno::XComponentContext> remote(bridge_->getInstance("StarOffice.ComponentContext"),
                                                  UNO_QUERY_THROW);
    desktop_ = css::frame::Desktop::create(remote);
  });
  for (pid_t member : runningMembers(pid_))
    if (member != pid_) officePid_ = member;
  if (officePid_ != 0)
    appendToOwnerRecord(profileDir_, {{kKeyOffice, std::to_string(officePid_)},
                                      {kKeyOfficeStarted, std::to_string(processStartTime(officePid_))}});
  recordSockets();
}

void OfficeProcess::recordSockets() noexcept {
  if (pid_ == 0 || profileDir_.empty()) return;
  try {
    for (const std::string& path : officeSockets(pid_))
      if (recordedSockets_.insert(path).second) appendToOwnerRecord(profileDir_, kKeySocket, path);
  } catch (...) {
  }
}

bool OfficeProcess::running() const {
  if (pid_ == 0 || officePid_ == 0) return false;
  for (pid_t member : runningMembers(pid_))
    if (member == officePid_) return true;
  return false;
}

void OfficeProcess::watchedBy(std::shared_ptr<OfficeInterrupt> interrupt) {
  if (interrupt_) interrupt_->unwatch();
  interrupt_ = std::move(interrupt);
  if (interrupt_ && pid_ != 0 && !interrupt_->watch(pid_)) throw exportCancelled();
}

void OfficeProcess::noteWorkbook(const std::string& billPath) {
  appendToOwnerRecord(profileDir_, kKeyBill, billPath);
}

void OfficeProcess::beginSave(std::chrono::milliseconds timeout, const std::string& billPath) {
  if (!options_.links->beginSave(pid_)) raiseAbandoned();
  watchdog_.saving(timeout, billPath);
}

void OfficeProcess::endSave() noexcept {
  watchdog_.saved();
  options_.links->endSave(pid_);
}

void OfficeProcess::dropConnection() noexcept {
  try {
    desktop_.clear();
    if (Reference<css::lang::XComponent> bridge{bridge_, UNO_QUERY}; bridge.is()) bridge->dispose();
  } catch (...) {
  }
  try {
    bridge_.clear();
  } catch (...) {
  }
}

bool OfficeProcess::waitForExit(std::chrono::milliseconds timeout) noexcept {
  if (pid_ == 0) return true;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno == ECHILD)) {
      pid_ = 0;
      return true;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void OfficeProcess::killGroup() noexcept {
  if (pid_ == 0) return;
  recordSockets();  // while the office still holds them
  const pid_t group = pid_;
  // soffice.bin is a child of the splash process, not ours. Killing it first lets the splash
  // reap it before it ends, so that no zombie is handed to a parent that may never reap it.
  killOfficeMembers(group);
  if (!waitForExit(std::chrono::milliseconds(1000))) {
    killOfficeGroup(group);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
  }
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (!runningMembers(group).empty() && Clock::now() < deadline) {
    killOfficeGroup(group);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The office is no longer ours to watch: neither the termination handling nor a deadline may
// touch its group once we begin to reap it.
void OfficeProcess::leaveRegister() noexcept {
  if (registeredGroup_ == 0) return;
  options_.links->remove(registeredGroup_);
  registeredGroup_ = 0;
}

void OfficeProcess::leaveWatchers() noexcept {
  leaveRegister();
  if (interrupt_) interrupt_->unwatch();
  deadline_.stop();
}

bool OfficeProcess::askToEnd() noexcept {
  if (pid_ == 0) return true;
  leaveRegister();
  bool agreed = true;
  try {
    if (desktop_.is()) agreed = call("退出", options_.quitTimeout, [&] { return desktop_->terminate(); });
  } catch (...) {
    // The office often drops the connection while it shuts down.
  }
  leaveWatchers();
  dropConnection();
  return agreed;
}

void OfficeProcess::finishEnding(bool agreed) noexcept {
  // An office that refuses to end (a listener vetoed) is not waited for.
  // askToEnd has left the watchers and dropped the connection.
  if (pid_ != 0 && (!agreed || !waitForExit(options_.quitTimeout))) killGroup();
  finishWatchdog();
}

void OfficeProcess::terminate() noexcept { finishEnding(askToEnd()); }

void OfficeProcess::kill() noexcept {
  leaveWatchers();
  killGroup();
  dropConnection();
  finishWatchdog();
}

void OfficeProcess::raiseIfCutOff(const std::string& doing, std::chrono::milliseconds timeout) {
  if (options_.links->terminationRequested()) raiseAbandoned();
  if (interrupt_ && interrupt_->requested()) throw exportCancelled();
  if (deadline_.passed()) {
    const auto seconds = (timeout.count() + 999) / 1000;
    throw QuenbyError(ExportError::SpreadsheetNoAnswer,
                      "电子表格程序（LibreOffice）在" + doing + "时 " + std::to_string(seconds) +
                          " 秒内没有响应，已被结束。账单没有改动；请重新导出");
  }
}

}  // namespace quenby
