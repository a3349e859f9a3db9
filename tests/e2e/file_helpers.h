#pragma once
// Files for the end-to-end tests and the benchmarks: real files under Wine,
// paths of any length (handed to the system in their "\\?\" form), UTF-8 names.
#include <optional>
#include <string>
#include <vector>

namespace e2e {

std::wstring systemPath(const std::string& path);
bool writeFile(const std::string& path, const std::string& bytes);
std::optional<std::string> readFile(const std::string& path);
bool exists(const std::string& path);
// The names in a folder, without "." and "..".
std::vector<std::string> namesIn(const std::string& folder);
void removeTree(const std::string& folder);
// A new, empty folder of this name in the temporary folder; its path.
std::string freshTempFolder(const std::string& name);
// Bytes that do not compress, the same for the same seed.
std::string randomBytes(std::size_t size, unsigned seed);

}  // namespace e2e
