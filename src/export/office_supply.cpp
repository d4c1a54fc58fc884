#include "export/office_supply.h"

#include <cstdlib>
#include <string_view>

namespace quenby {

bool prestartOffInEnvironment() {
  const char* value = std::getenv("QUENBY_PRESTART");
  return value && std::string_view(value) == "0";
}

}  // namespace quenby
