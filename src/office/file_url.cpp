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

bool isUrlPlain(unsigned char c) {
  // ASCII letters and digits by range: isalnum would follow the program's locale.
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         (c != 0 && std::strchr("/-._~", c) != nullptr);
}

std::string percentEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (isUrlPlain(c)) {
      encoded += ch;
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

std::string encodeFileUrl(const std::string& absolutePathUtf8) {
  return std::string(kFileScheme) + percentEncode(absolutePathUtf8);
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
