#pragma once
// Addresses under the product's web page, which the build configures.
#include <string>
#include <string_view>

namespace tessara {

inline std::string webPage(std::string_view path) {
  return std::string(TESSARA_WEB_PAGE) + std::string(path);
}

}  // namespace tessara
