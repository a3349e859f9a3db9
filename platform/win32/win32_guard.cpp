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
  std::array<char, guard_channel::MaxBytes> reply{};
  DWORD read = 0;
  const std::wstring pipe = win32kit::toWide(names::GuardPipe);
  if (!CallNamedPipeW(pipe.c_str(), const_cast<char*>(request.data()), static_cast<DWORD>(request.size()),
                      reply.data(), static_cast<DWORD>(reply.size()), &read, 1000))
    return std::nullopt;
  return std::string(reply.data(), read);
}

}  // namespace

bool Win32Guard::tell(guard_channel::Request request) {
  const auto reply = call({request, {}});
  return reply && *reply == guard_channel::Ok;
}

std::optional<guard_channel::Tries> Win32Guard::readTries() {
  const auto reply = call({guard_channel::Request::ReadTries, {}});
  if (!reply) return std::nullopt;
  return guard_channel::decodeTries(*reply);
}

bool Win32Guard::writeTries(const guard_channel::Tries& tries) {
  const auto reply = call({guard_channel::Request::WriteTries, tries});
  return reply && *reply == guard_channel::Ok;
}

}  // namespace platform::win32
