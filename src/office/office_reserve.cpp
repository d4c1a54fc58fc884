#include "office/office_reserve.h"

#include <sys/resource.h>
#include <unistd.h>

#include "office/office_interrupt.h"
#include "office/office_process.h"
#include "office/termination.h"

namespace quenby {

OfficeReserve::OfficeReserve(OfficeOptions options, std::chrono::milliseconds idleTime)
    : options_(std::move(options)), idleTime_(idleTime), thread_(&OfficeReserve::run, this) {}

OfficeReserve::~OfficeReserve() {
  handoff_.change([this] {
    stopping_ = true;
    if (startInterrupt_) startInterrupt_->interrupt();
  });
  thread_.join();
}

void OfficeReserve::touch() {
  bool wake = false;
  {
    const Handoff::Lock lock = handoff_.lock();
    touched_ = Clock::now();  // read again by the idle wait when it ends
    wake = !wanted_ && !failed_ && !options_.links->terminationRequested();
    if (wake) wanted_ = true;
  }
  // Every key press touches: the thread is woken only when it has an office to start.
  if (wake) handoff_.announce();
}

void OfficeReserve::refill() {
  handoff_.change([this] {
    touched_ = Clock::now();
    failed_ = false;
    wanted_ = !options_.links->terminationRequested();
  });
}

void OfficeReserve::retire(std::unique_ptr<OfficeProcess> office, bool agreed) {
  handoff_.change([&] { retired_.emplace_back(std::move(office), agreed); });
}

std::unique_ptr<OfficeProcess> OfficeReserve::take(const std::shared_ptr<OfficeInterrupt>& caller) {
  Handoff::Lock lock = handoff_.lock();
  bool waited = false;
  ++waiting_;
  // A start asked for and not yet begun counts as begun.
  while (starting_ || (wanted_ && !office_ && !stopping_)) {
    waited = true;
    if (caller->requested()) {
      // Given up with the export: an office the user gave up on waiting for is not kept.
      if (startInterrupt_) startInterrupt_->interrupt();
      wanted_ = false;
      --waiting_;
      throw exportCancelled();
    }
    handoff_.waitForChangeUntil(lock, Clock::now() + std::chrono::milliseconds(20));
  }
  --waiting_;
  wanted_ = false;
  std::unique_ptr<OfficeProcess> office = std::move(office_);
  const std::exception_ptr error = waited ? startError_ : nullptr;
  lock.unlock();
  handoff_.announce();

  if (!office) {
    if (error) {
      try {
        std::rethrow_exception(error);
      } catch (const QuenbyError& e) {
        // Given up by the reserve itself, as it ends: the export starts its own.
        if (!e.is(ExportError::ExportCancelled)) throw;
      }
    }
    return nullptr;
  }
  if (!office->running()) return nullptr;  // ended, and what it left removed, by its destructor
  office->watchedBy(caller);
  return office;
}

pid_t OfficeReserve::readyOffice() const {
  const Handoff::Lock lock = handoff_.lock();
  return office_ ? office_->pid() : 0;
}

bool OfficeReserve::waitUntilReady(std::chrono::milliseconds timeout) {
  Handoff::Lock lock = handoff_.lock();
  handoff_.waitFor(lock, timeout, [&] { return office_ || (!starting_ && !wanted_); });
  return office_ != nullptr;
}

int OfficeReserve::starts() const {
  const Handoff::Lock lock = handoff_.lock();
  return starts_;
}

void OfficeReserve::run() {
  // On Linux the niceness is the thread's own, and what the thread starts inherits it: the office
  // and its watchdog run niced, while the windows keep theirs.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kNiceness);
  Handoff::Lock lock = handoff_.lock();
  while (!stopping_) {
    const bool idleTooLong = Clock::now() >= touched_ + idleTime_;
    if (!retired_.empty()) {
      endRetired(lock);
    } else if (wanted_ && !office_) {
      start(lock);
    } else if (office_ && waiting_ == 0 && (!wanted_ || idleTooLong)) {
      end(lock);
    } else if (office_) {
      handoff_.waitForChangeUntil(lock, touched_ + idleTime_);
    } else {
      handoff_.waitForChange(lock);
    }
  }
  endRetired(lock);
}

void OfficeReserve::start(Handoff::Lock& lock) {
  starting_ = true;
  ++starts_;
  auto interrupt = std::make_shared<OfficeInterrupt>();
  startInterrupt_ = interrupt;
  lock.unlock();
  std::unique_ptr<OfficeProcess> office;
  std::exception_ptr error;
  try {
    office = std::make_unique<OfficeProcess>(options_, interrupt);
  } catch (...) {
    error = std::current_exception();
  }
  lock.lock();
  starting_ = false;
  startInterrupt_.reset();
  startError_ = error;
  if (office) {
    office_ = std::move(office);
  } else {
    // An office that cannot start is not tried again at every key: the next export tries.
    failed_ = !interrupt->requested();
    wanted_ = false;
  }
  handoff_.announce();
}

void OfficeReserve::endRetired(Handoff::Lock& lock) {
  auto retired = std::move(retired_);
  retired_.clear();
  lock.unlock();
  for (auto& [office, agreed] : retired) office->finishEnding(agreed);
  retired.clear();
  lock.lock();
  handoff_.announce();
}

void OfficeReserve::end(Handoff::Lock& lock) {
  std::unique_ptr<OfficeProcess> office = std::move(office_);
  wanted_ = false;
  lock.unlock();
  office->terminate();
  office.reset();
  lock.lock();
  handoff_.announce();
}

}  // namespace quenby
