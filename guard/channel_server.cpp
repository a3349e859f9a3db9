#include "guard/channel_server.h"

#include <sddl.h>

#include <string>
#include <string_view>

#include "guard/event_log.h"
#include "guard/tries_store.h"
#include "guard/user_process.h"
#include "shared/guard_channel.h"
#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace guard {
namespace {

// SYSTEM and Administrators: everything. Interactive and authenticated
// users: read and write (0x12019B is FILE_GENERIC_READ | FILE_GENERIC_WRITE
// without FILE_CREATE_PIPE_INSTANCE), so that no one else can add an
// instance and answer in the service's place.
constexpr const wchar_t* kPipeAccess = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x12019B;;;IU)(A;;0x12019B;;;AU)";
// A client has this long to write its request and to take the reply.
constexpr DWORD kClientMs = 2000;

enum class Wait { Done, Stopped, TimedOut };

// Waits for overlapped I/O begun on the pipe; cancels it unless it finished.
Wait finish(GuardState& state, HANDLE pipe, OVERLAPPED& overlapped, DWORD timeoutMs) {
  const HANDLE handles[] = {overlapped.hEvent, state.stopEvent()};
  const DWORD result = WaitForMultipleObjects(2, handles, FALSE, timeoutMs);
  if (result == WAIT_OBJECT_0) return Wait::Done;
  CancelIoEx(pipe, &overlapped);
  DWORD ignored = 0;
  GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
  return result == WAIT_OBJECT_0 + 1 ? Wait::Stopped : Wait::TimedOut;
}

// One I/O call made overlapped, waited for; whether it completed, and the bytes moved.
template <typename Start>
std::optional<DWORD> overlappedCall(GuardState& state, HANDLE pipe, DWORD timeoutMs, Start start, DWORD* error = nullptr) {
  OVERLAPPED overlapped{};
  win32kit::UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) return std::nullopt;
  overlapped.hEvent = event.get();
  if (!start(overlapped) && GetLastError() != ERROR_IO_PENDING) {
    if (error) *error = GetLastError();
    return std::nullopt;
  }
  if (finish(state, pipe, overlapped, timeoutMs) != Wait::Done) return std::nullopt;
  DWORD bytes = 0;
  if (!GetOverlappedResult(pipe, &overlapped, &bytes, FALSE)) {
    if (error) *error = GetLastError();
    return std::nullopt;
  }
  return bytes;
}

class ChannelServer {
 public:
  ChannelServer(GuardState& state, HistoryKeeper& history, std::wstring program)
      : state_(state), history_(history), program_(std::move(program)) {}

  void run() {
    if (!makePipe()) return;
    while (!state_.stopping()) {
      if (!connect()) continue;
      serveOne();
      DisconnectNamedPipe(pipe_.get());
    }
  }

 private:
  bool makePipe() {
    win32kit::UniqueLocal descriptor;
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeAccess, SDDL_REVISION_1, &raw, nullptr)) {
      logEvent(EVENTLOG_ERROR_TYPE, "The channel's access list is invalid (error " + std::to_string(GetLastError()) + ").");
      return false;
    }
    descriptor.reset(raw);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, raw, FALSE};
    // The first instance, or none: a pipe of that name made by anyone else
    // before the service would otherwise hear the program's requests.
    pipe_.reset(CreateNamedPipeW(win32kit::toWide(names::GuardPipe).c_str(),
                                 PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                 static_cast<DWORD>(guard_channel::MaxReplyBytes), static_cast<DWORD>(guard_channel::MaxBytes),
                                 0, &attributes));
    if (!pipe_) {
      logEvent(EVENTLOG_ERROR_TYPE, "The channel could not be opened (error " + std::to_string(GetLastError()) + ").");
      return false;
    }
    return true;
  }

  bool connect() {
    DWORD error = ERROR_SUCCESS;
    const auto connected = overlappedCall(state_, pipe_.get(), INFINITE,
                                          [&](OVERLAPPED& o) { return ConnectNamedPipe(pipe_.get(), &o); }, &error);
    // A client that came between two instances' waits is connected already.
    return connected.has_value() || error == ERROR_PIPE_CONNECTED;
  }

  void serveOne() {
    char buffer[guard_channel::MaxBytes + 1];
    DWORD error = ERROR_SUCCESS;
    const auto read = overlappedCall(
        state_, pipe_.get(), kClientMs,
        [&](OVERLAPPED& o) { return ReadFile(pipe_.get(), buffer, sizeof buffer, nullptr, &o); }, &error);
    // A message longer than any request is refused whole.
    const std::string reply =
        read ? answer(std::string_view(buffer, *read)) : std::string(guard_channel::Refused);
    if (!read && error != ERROR_MORE_DATA) return;  // nobody there to answer
    overlappedCall(state_, pipe_.get(), kClientMs, [&](OVERLAPPED& o) {
      return WriteFile(pipe_.get(), reply.data(), static_cast<DWORD>(reply.size()), nullptr, &o);
    });
    // The client closes its end once it has read the reply; a disconnect
    // before that would throw the reply away.
    char ignored[1];
    overlappedCall(state_, pipe_.get(), kClientMs,
                   [&](OVERLAPPED& o) { return ReadFile(pipe_.get(), ignored, sizeof ignored, nullptr, &o); });
  }

  std::string answer(std::string_view text) {
    ULONG client = 0;
    if (!GetNamedPipeClientProcessId(pipe_.get(), &client) || !runsProgram(client, program_))
      return std::string(guard_channel::Refused);
    const auto session = sessionOf(client);
    const auto message = guard_channel::decode(text);
    if (!session || !message) return std::string(guard_channel::Refused);
    switch (message->request) {
      case guard_channel::Request::Exit:
      case guard_channel::Request::HandOver:
        state_.change([&](SessionBook& book) { book.leaveAlone(*session, client); });
        break;
      case guard_channel::Request::SessionEnds:
        state_.change([&](SessionBook& book) { book.sessionEnds(*session); });
        break;
      case guard_channel::Request::Running:
        state_.change([&](SessionBook& book) { book.announce(*session, client); });
        break;
      case guard_channel::Request::ReadTries:
        return guard_channel::encodeTries(readTries());
      case guard_channel::Request::WriteTries:
        // Not stored is not agreed: the program must not think the count kept.
        if (!writeTries(message->tries)) return std::string(guard_channel::Refused);
        break;
      case guard_channel::Request::Record:
        if (!history_.recordFor(client, message->kind, message->detail)) return std::string(guard_channel::Refused);
        break;
      case guard_channel::Request::ReadHistory:
        return history_.page(message->from);
      case guard_channel::Request::ClearHistory:
        if (!history_.clear(client)) return std::string(guard_channel::Refused);
        break;
    }
    return std::string(guard_channel::Ok);
  }

  GuardState& state_;
  HistoryKeeper& history_;
  const std::wstring program_;
  win32kit::UniqueFileHandle pipe_;
};

}  // namespace

void serveChannel(GuardState& state, HistoryKeeper& history, const std::wstring& program) {
  ChannelServer(state, history, program).run();
}

}  // namespace guard
