#include "platform/win32/win32_guard.h"

#include <windows.h>

#include <array>
#include <string>

#include "shared/names.h"
#include "shared/win32/text.h"

namespace platform::win32 {

namespace {

// One request, one reply; nothing when no service listens. The wait is
// short: the service answers at once, and the program's window waits.
std::optional<std::string> call(const guard_channel::Message& message) {
  const std::string request = guard_channel::encode(message);
  std::string reply(guard_channel::MaxReplyBytes, '\0');
  const std::wstring pipe = win32kit::toWide(names::GuardPipe);
  // The service serves one caller at a time: the program's window and its
  // history thread may meet there, and the one that comes second waits its
  // turn. No service at all answers at once.
  const ULONGLONG deadline = GetTickCount64() + 1000;
  for (;;) {
    DWORD read = 0;
    if (CallNamedPipeW(pipe.c_str(), const_cast<char*>(request.data()), static_cast<DWORD>(request.size()),
                       reply.data(), static_cast<DWORD>(reply.size()), &read, 1000)) {
      reply.resize(read);
      return reply;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_MORE_DATA || GetTickCount64() >= deadline) return std::nullopt;
    Sleep(10);
  }
}

template <typename Fill>
guard_channel::Message with(Fill fill) {
  guard_channel::Message message;
  fill(message);
  return message;
}

}  // namespace

bool Win32Guard::tell(guard_channel::Request request) {
  const auto reply = call(guard_channel::only(request));
  return reply && *reply == guard_channel::Ok;
}

std::optional<guard_channel::Tries> Win32Guard::readTries() {
  const auto reply = call(guard_channel::only(guard_channel::Request::ReadTries));
  if (!reply) return std::nullopt;
  return guard_channel::decodeTries(*reply);
}

bool Win32Guard::writeTries(const guard_channel::Tries& tries) {
  const auto reply = call(with([&](auto& m) { m.request = guard_channel::Request::WriteTries; m.tries = tries; }));
  return reply && *reply == guard_channel::Ok;
}

bool Win32Guard::record(history::Kind kind, const std::string& detail) {
  const auto reply = call(with([&](auto& m) {
    m.request = guard_channel::Request::Record;
    m.kind = kind;
    m.detail = detail;
  }));
  return reply && *reply == guard_channel::Ok;
}

std::optional<std::vector<history::Entry>> Win32Guard::readHistory() {
  std::vector<history::Entry> entries;
  // Page by page: the service reads the files at the first and serves the
  // rest from what it read.
  for (;;) {
    const auto reply = call(with([&](auto& m) {
      m.request = guard_channel::Request::ReadHistory;
      m.from = static_cast<std::uint32_t>(entries.size());
    }));
    if (!reply) return std::nullopt;
    auto page = guard_channel::decodeHistoryPage(*reply);
    if (!page) return std::nullopt;
    for (auto& entry : page->entries) entries.push_back(std::move(entry));
    if (entries.size() >= page->total || page->entries.empty()) return entries;
  }
}

bool Win32Guard::clearHistory() {
  const auto reply = call(guard_channel::only(guard_channel::Request::ClearHistory));
  return reply && *reply == guard_channel::Ok;
}

}  // namespace platform::win32
