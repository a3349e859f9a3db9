#include "bench/wine/unix_process.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace {

std::string readWholeFile(const std::wstring& path) {
  win32kit::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return text;
}

}  // namespace

// Lower case, backslashes: how two spellings of one path are compared.
std::string normalisedPath(std::string path) {
  std::transform(path.begin(), path.end(), path.begin(), [](char c) {
    if (c == '/') return '\\';
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  return path;
}

std::wstring unixProcessDir(const std::wstring& programPath) {
  const std::string wanted = normalisedPath(win32kit::toUtf8(programPath));
  WIN32_FIND_DATAW entry{};
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::string commandLine = normalisedPath(readWholeFile(L"Z:\\proc\\" + name + L"\\cmdline"));
    if (commandLine.find(wanted) != std::string::npos) {
      found = L"Z:\\proc\\" + name + L"\\";
      break;
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return found;
}

double unixCpuMilliseconds(const std::wstring& dir) {
  const std::string stat = readWholeFile(dir + L"stat");
  const std::size_t end = stat.rfind(')');
  if (end == std::string::npos) return -1;
  std::vector<std::string> fields;
  std::size_t at = end + 2;
  while (at < stat.size()) {
    const std::size_t next = stat.find(' ', at);
    fields.push_back(stat.substr(at, next == std::string::npos ? std::string::npos : next - at));
    if (next == std::string::npos) break;
    at = next + 1;
  }
  if (fields.size() < 13) return -1;  // fields[11] is utime (field 14), fields[12] stime
  return (std::stod(fields[11]) + std::stod(fields[12])) * 10.0;
}

double unixStatusMiB(const std::wstring& dir, const std::string& name) {
  const std::string status = readWholeFile(dir + L"status");
  const std::size_t at = status.find("\n" + name + ":");
  if (at == std::string::npos) return -1;
  return std::stod(status.substr(at + name.size() + 2)) / 1024.0;
}
