#pragma once
// UTF-8 texts of the layout tables and resource names as Qt strings.

#include <QString>
#include <string_view>

namespace quenby::shell {

inline QString qt(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace quenby::shell
