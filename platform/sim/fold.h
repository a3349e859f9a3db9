#pragma once
// ASCII case folding, which is how the simulated registry, desktop and file
// system compare names; bytes of other UTF-8 characters compare exactly.
#include <string>
#include <string_view>

namespace platform::sim {

inline std::string fold(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

inline bool equalsFolded(std::string_view a, std::string_view b) { return fold(a) == fold(b); }

}  // namespace platform::sim
