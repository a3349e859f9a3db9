#include "tests/e2e/file_helpers.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace e2e {

std::wstring systemPath(const std::string& path) { return L"\\\\?\\" + win32kit::toWide(path); }

bool writeFile(const std::string& path, const std::string& bytes) {
  const win32kit::UniqueFileHandle file(
      CreateFileW(systemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  for (std::size_t at = 0; at < bytes.size(); at += written)
    if (!WriteFile(file.get(), bytes.data() + at, static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1 << 24)),
                   &written, nullptr))
      return false;
  return true;
}

std::optional<std::string> readFile(const std::string& path) {
  const win32kit::UniqueFileHandle file(
      CreateFileW(systemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  std::string buffer(1 << 20, '\0');
  DWORD got = 0;
  while (ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
    bytes.append(buffer.data(), got);
  return bytes;
}

bool exists(const std::string& path) { return GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data{};
  const win32kit::UniqueFind find(FindFirstFileW(systemPath(folder + "\\*").c_str(), &data));
  if (!find) return names;
  do {
    const std::wstring_view name(data.cFileName);
    if (name != L"." && name != L"..") names.push_back(win32kit::toUtf8(name));
  } while (FindNextFileW(find.get(), &data));
  return names;
}

void removeTree(const std::string& folder) {
  for (const std::string& name : namesIn(folder)) {
    const std::string path = folder + "\\" + name;
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) removeTree(path);
    else DeleteFileW(systemPath(path).c_str());
  }
  RemoveDirectoryW(systemPath(folder).c_str());
}

std::string freshTempFolder(const std::string& name) {
  wchar_t temp[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, temp);
  const std::string folder = win32kit::toUtf8(std::wstring_view(temp, length)) + name;
  removeTree(folder);
  CreateDirectoryW(systemPath(folder).c_str(), nullptr);
  return folder;
}

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937_64 generator(seed);
  std::string bytes(size, '\0');
  for (std::size_t at = 0; at < size; at += 8) {
    const std::uint64_t word = generator();
    std::memcpy(bytes.data() + at, &word, std::min<std::size_t>(8, size - at));
  }
  return bytes;
}

}  // namespace e2e
