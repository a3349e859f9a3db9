#include "guard/history_keeper.h"

#include <sddl.h>
#include <wtsapi32.h>

#include <array>
#include <cstdio>

#include "guard/event_log.h"
#include "guard/installation.h"
#include "guard/user_process.h"
#include "platform/crypto.h"
#include "shared/guard_channel.h"
#include "shared/names.h"
#include "shared/win32/data_folder.h"
#include "shared/win32/file_trust.h"
#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace guard {
namespace {

constexpr const wchar_t* kKeyFile = L"history.key";
constexpr std::size_t kKeyBytes = 32;
// The secret: SYSTEM alone, the service's own account.
constexpr const wchar_t* kSystemOnlySecurity = L"O:SYG:SYD:PAI(A;;FA;;;SY)";
constexpr const wchar_t* kEventLogKey = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

std::string utcNow() {
  SYSTEMTIME now{};
  GetSystemTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  return text;
}

std::string accountName(PSID sid) {
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use{};
  if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) return "?";
  return domainSize ? win32kit::toUtf8(domain) + "\\" + win32kit::toUtf8(name) : win32kit::toUtf8(name);
}

std::string userOfProcess(DWORD processId) {
  const win32kit::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  HANDLE raw = nullptr;
  if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY, &raw)) return "?";
  const win32kit::UniqueKernelHandle token(raw);
  std::array<std::byte, 256> buffer{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size)) return "?";
  return accountName(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

std::string userOfSession(DWORD session) {
  const auto query = [session](WTS_INFO_CLASS what) {
    wchar_t* text = nullptr;
    DWORD bytes = 0;
    std::string value;
    if (WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, what, &text, &bytes) && text)
      value = win32kit::toUtf8(text);
    if (text) WTSFreeMemory(text);
    return value;
  };
  const std::string name = query(WTSUserName), domain = query(WTSDomainName);
  if (name.empty()) return "?";
  return domain.empty() ? name : domain + "\\" + name;
}

// Creates an empty file that only the accounts of `sddl` may open.
bool createSecured(const std::wstring& path, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return false;
  const win32kit::UniqueLocal freed(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const win32kit::UniqueFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  // Wine does not take the descriptor at creation; set it again to be sure.
  win32kit::setFileSecurity(path, sddl);
  return true;
}

// The secret the lines are chained with, made on first use.
std::vector<std::uint8_t> historyKey(const std::wstring& folder) {
  const std::wstring path = folder + L"\\" + kKeyFile;
  std::vector<std::uint8_t> key(kKeyBytes);
  {
    const win32kit::UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD read = 0;
    if (file && ReadFile(file.get(), key.data(), static_cast<DWORD>(key.size()), &read, nullptr) && read == kKeyBytes)
      return key;
  }
  if (!platform::crypto::randomBytes(key)) return {};
  DeleteFileW(path.c_str());
  if (!createSecured(path, kSystemOnlySecurity)) return {};
  const win32kit::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  DWORD written = 0;
  if (!file || !WriteFile(file.get(), key.data(), static_cast<DWORD>(key.size()), &written, nullptr) ||
      written != kKeyBytes || !FlushFileBuffers(file.get()))
    return {};
  return key;
}

void reportToEventLog(const history::Event& event) {
  const history::KindInfo& info = history::infoOf(event.kind);
  logEvent(info.warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE,
           std::string(info.caption) + (event.detail.empty() ? "" : ": " + event.detail) + "\r\nUser: " + event.user +
               ", session " + std::to_string(event.session) + ".",
           names::HistoryEventSource);
}

}  // namespace

history::HistoryLog* HistoryKeeper::log() {
  if (log_) return log_.get();
  const std::wstring folder = win32kit::tessaraDataFolder();
  if (folder.empty() || makeDataFolder() != ERROR_SUCCESS) return nullptr;
  auto key = historyKey(folder);
  if (key.empty()) {
    logEvent(EVENTLOG_ERROR_TYPE, "The history's key could not be read or made (error " +
                                      std::to_string(GetLastError()) + ").");
    return nullptr;
  }
  log_ = std::make_unique<history::HistoryLog>(std::filesystem::path(folder), std::move(key),
                                               [](const std::filesystem::path& path) {
                                                 return createSecured(path.wstring(),
                                                                      win32kit::AdministratorsOnlySecurity);
                                               });
  return log_.get();
}

bool HistoryKeeper::record(history::Event event) {
  event.time = utcNow();
  const std::lock_guard lock(mutex_);
  history::HistoryLog* history = log();
  const bool written = history && history->append(event);
  reportToEventLog(event);
  return written;
}

bool HistoryKeeper::recordFor(DWORD processId, history::Kind kind, const std::string& detail) {
  return record({{}, userOfProcess(processId), sessionOf(processId).value_or(0), kind, detail});
}

bool HistoryKeeper::recordForSession(DWORD session, history::Kind kind, const std::string& detail) {
  return record({{}, userOfSession(session), session, kind, detail});
}

std::string HistoryKeeper::page(std::uint32_t from) {
  const std::lock_guard lock(mutex_);
  if (from == 0) {
    history::HistoryLog* history = log();
    pageCache_ = history ? history->read() : std::vector<history::Entry>{};
  }
  std::size_t taken = 0;
  const auto rest = from < pageCache_.size() ? std::span(pageCache_).subspan(from) : std::span<history::Entry>();
  return guard_channel::encodeHistoryPage(pageCache_.size(), rest, taken);
}

bool HistoryKeeper::clear(DWORD processId) {
  history::Event event{utcNow(), userOfProcess(processId), sessionOf(processId).value_or(0), history::Kind::Cleared,
                       "by " + userOfProcess(processId)};
  const std::lock_guard lock(mutex_);
  pageCache_.clear();
  history::HistoryLog* history = log();
  if (!history || !history->clear(event)) return false;
  reportToEventLog(event);
  return true;
}

DWORD registerEventSource(const std::wstring& messageFile) {
  const std::wstring key = kEventLogKey + win32kit::toWide(names::HistoryEventSource);
  const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  if (const LSTATUS set = RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"EventMessageFile", REG_EXPAND_SZ,
                                          messageFile.c_str(),
                                          static_cast<DWORD>((messageFile.size() + 1) * sizeof(wchar_t))))
    return static_cast<DWORD>(set);
  return static_cast<DWORD>(
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"TypesSupported", REG_DWORD, &types, sizeof types));
}

DWORD removeEventSource() {
  const std::wstring key = kEventLogKey + win32kit::toWide(names::HistoryEventSource);
  const LSTATUS removed = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
  return removed == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<DWORD>(removed);
}

}  // namespace guard
