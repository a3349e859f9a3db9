#pragma once
// The SHA-256 of a file's content, as the setup records it: 64 lower-case
// hex digits, or empty when the file cannot be read to its end.
#include <string>
#include <string_view>

#include "platform/files.h"

namespace tessara {

std::string fileSha256Hex(platform::Files& files, std::string_view path);

}  // namespace tessara
