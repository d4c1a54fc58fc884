#pragma once
// The program's register of running offices and its termination flag (termination.h), as the
// office code reaches them: through links, so that the office host module, loaded later, calls the
// program's own register and keeps none of its own. No Qt, no UNO.

#include <sys/types.h>

namespace quenby {

struct OfficeModuleLinks {
  bool (*terminationRequested)() noexcept;
  bool (*add)(pid_t group);
  void (*remove)(pid_t group) noexcept;
  bool (*beginSave)(pid_t group);
  void (*endSave)(pid_t group) noexcept;
};

// The links to the register of this process (termination.cpp): the program hands them to the
// module, and office code that runs in the program itself (the tests, the export driver) uses them.
const OfficeModuleLinks& ownOfficeLinks() noexcept;

}  // namespace quenby
