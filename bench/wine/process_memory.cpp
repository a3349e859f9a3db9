#include "bench/wine/process_memory.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

std::size_t statusKilobytes(const std::wstring& path, const char* field) {
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  char buffer[8192];
  DWORD got = 0;
  ReadFile(file, buffer, sizeof buffer - 1, &got, nullptr);
  CloseHandle(file);
  buffer[got] = 0;
  const char* line = std::strstr(buffer, field);
  return line == nullptr ? 0 : std::strtoul(line + std::strlen(field), nullptr, 10);
}

// /proc/self is not the Windows process under Wine; of the processes whose
// command line names it (a launcher's too), the largest is the program.
std::wstring statusPathOf(const std::string& commandLinePart) {
  WIN32_FIND_DATAW entry{};
  const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const HANDLE file = CreateFileW((L"Z:\\proc\\" + name + L"\\cmdline").c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    char buffer[4096];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    std::string commandLine(buffer, got);
    std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
    const std::wstring status = L"Z:\\proc\\" + name + L"\\status";
    if (commandLine.find(commandLinePart) != std::string::npos &&
        (found.empty() || statusKilobytes(status, "VmRSS:") > statusKilobytes(found, "VmRSS:")))
      found = status;
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return found;
}

MemoryWatch::MemoryWatch(const std::string& commandLinePart)
    : status_(statusPathOf(commandLinePart)), baseline_(statusKilobytes(status_, "RssAnon:")), thread_([this] {
        while (!stop_) {
          peak_ = std::max<std::size_t>(peak_, statusKilobytes(status_, "RssAnon:"));
          Sleep(20);
        }
      }) {}

MemoryWatch::~MemoryWatch() {
  stop_ = true;
  thread_.join();
}
