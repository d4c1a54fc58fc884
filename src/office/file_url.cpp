#include "office/file_url.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace quenby {

namespace {
constexpr std::string_view kFileScheme = "file://";
}

std::filesystem::path pathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
  std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

std::string encodeFileUrl(const std::string& absolutePathUtf8) {
  static const char hex[] = "0123456789ABCDEF";
  std::string url(kFileScheme);
  for (unsigned char c : absolutePathUtf8) {
    // ASCII letters and digits by range: isalnum would follow the program's locale.
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       (c != 0 && std::strchr("/-._~", c) != nullptr);
    if (plain) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += hex[c >> 4];
      url += hex[c & 15];
    }
  }
  return url;
}

std::optional<std::string> decodeFileUrl(std::string_view url) {
  if (url.substr(0, kFileScheme.size()) != kFileScheme) return std::nullopt;
  std::string path;
  for (size_t i = kFileScheme.size(); i < url.size(); ++i) {
    if (url[i] == '%' && i + 2 < url.size() && std::isxdigit(static_cast<unsigned char>(url[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(url[i + 2]))) {
      path += static_cast<char>(std::strtol(std::string(url.substr(i + 1, 2)).c_str(), nullptr, 16));
      i += 2;
    } else {
      path += url[i];
    }
  }
  return path;
}

}  // namespace quenby
