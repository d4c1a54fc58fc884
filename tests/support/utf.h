#pragma once
// UTF-8 <-> UTF-16 for tests and the fuzzer: field texts are UTF-16, literals and messages UTF-8.
// Malformed input becomes U+FFFD.

#include <string>
#include <string_view>

namespace quenby {

std::u16string u16(std::string_view utf8);
std::string u8(std::u16string_view utf16);

}  // namespace quenby
