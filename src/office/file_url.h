#pragma once
// Paths as the office names them: file:// URLs, their bytes percent-encoded, and the program's
// UTF-8 paths. No UNO.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quenby {

// Paths from and to the program's UTF-8 strings.
std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string utf8FromPath(const std::filesystem::path& path);

// Whether a byte stands for itself in a percent-encoded text: ASCII letters, digits and "/-._~".
bool isUrlPlain(unsigned char c);
// `bytes` with every byte but those written %XX (capital hex digits).
std::string percentEncode(std::string_view bytes);

// The file:// URL of an absolute path, its UTF-8 bytes percent-encoded but for ASCII letters,
// digits and "/-._~".
std::string encodeFileUrl(const std::string& absolutePathUtf8);
// The path (UTF-8) a file:// URL names; nullopt when the URL is no file:// URL.
std::optional<std::string> decodeFileUrl(std::string_view url);

}  // namespace quenby
