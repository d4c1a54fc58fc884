#pragma once
// The keys the store keeps the three calculators' sheets under, written out for the tests: a
// calculator whose descriptor changed its key would lose the sheets and records kept under it.

#include <string_view>

namespace quenby::store {

inline constexpr std::string_view kLogTally = "logtally";
inline constexpr std::string_view kMultiLength = "multilength";
inline constexpr std::string_view kSawnTimber = "sawn";

}  // namespace quenby::store
