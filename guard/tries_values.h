#pragma once
// The wrong-password count and its "not before" time as the registry keeps
// them: two decimal strings. Anything else reads as no tries, so that a
// damaged value never leaves the master password refused for ever.
#include <string>
#include <string_view>

#include "shared/guard_channel.h"

namespace guard {

inline guard_channel::Tries triesFromValues(std::string_view count, std::string_view notBefore) {
  guard_channel::Tries tries;
  if (!guard_channel::detail::parseNumber(count, tries.count) || !count.empty() ||
      !guard_channel::detail::parseNumber(notBefore, tries.notBefore) || !notBefore.empty() || tries.notBefore < 0)
    return {};
  return tries;
}

struct TriesValues {
  std::string count;
  std::string notBefore;
};
inline TriesValues valuesOf(const guard_channel::Tries& tries) {
  return {std::to_string(tries.count), std::to_string(tries.notBefore)};
}

}  // namespace guard
