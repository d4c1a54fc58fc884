#include "office/office_interrupt.h"

#include "office/process_group.h"

namespace quenby {

void OfficeInterrupt::interrupt() noexcept {
  std::lock_guard lock(mutex_);
  requested_ = true;
  if (group_ != 0) killOfficeMembers(group_);
}

bool OfficeInterrupt::requested() const noexcept {
  std::lock_guard lock(mutex_);
  return requested_;
}

bool OfficeInterrupt::watch(pid_t group) {
  std::lock_guard lock(mutex_);
  group_ = group;
  if (requested_) killOfficeMembers(group_);
  return !requested_;
}

void OfficeInterrupt::unwatch() noexcept {
  std::lock_guard lock(mutex_);
  group_ = 0;
}

}  // namespace quenby
