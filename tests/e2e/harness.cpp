#include "tests/e2e/harness.h"


#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <cwctype>
#include <vector>

#include "forms/win32/state_query.h"
#include "shared/win32/module.h"
#include "shared/win32/process.h"
#include "shared/win32/user_sid.h"
#include "shared/win32/window.h"

namespace e2e {

namespace {

constexpr DWORD kPollMs = 50;

HKEY rootKey(Root root) { return root == Root::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::wstring lower(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return std::towlower(c); });
  return s;
}

// Polls until done() or the timeout; done() is always asked once more at the end.
template <typename Done>
bool pollUntil(DWORD timeoutMs, Done done) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < end) {
    if (done()) return true;
    Sleep(kPollMs);
  }
  return done();
}

RegKey openKey(Root root, const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(rootKey(root), widen(path).c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
  return RegKey(key);
}

RegKey createKey(Root root, const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(rootKey(root), widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return {};
  return RegKey(key);
}

// The answer window of one query: a message-only window whose WM_COPYDATA handler
// keeps the answer (tag kAnswerTag) in the std::optional its creator gave it.
LRESULT CALLBACK answerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_COPYDATA) {
    auto* answer = reinterpret_cast<std::optional<std::string>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (answer && data && data->dwData == forms::win32::kAnswerTag) {
      const char* bytes = static_cast<const char*>(data->lpData);
      *answer = std::string(bytes ? bytes : "", bytes ? data->cbData : 0);
      return TRUE;
    }
    return FALSE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* answerClass() {
  static const win32kit::WindowClass answer{L"TessaraE2eAnswer", answerProc, 0, COLOR_WINDOW, false};
  static const bool registered = win32kit::registerWindowClass(answer);
  return registered ? answer.name.c_str() : nullptr;
}

HWND control(HWND form, int controlId) { return form ? GetDlgItem(form, controlId) : nullptr; }

struct TitleCount {
  std::wstring title;
  int count = 0;
};

BOOL CALLBACK countTitle(HWND window, LPARAM param) {
  auto* counter = reinterpret_cast<TitleCount*>(param);
  std::array<wchar_t, 512> text{};
  const int n = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  if (std::wstring_view(text.data(), n > 0 ? n : 0) == counter->title) ++counter->count;
  return TRUE;
}

}  // namespace

// --- Programs ---------------------------------------------------------------

std::string toWindowsPath(const std::string& path) {
  if (path.empty() || path.front() != '/') return path;
  std::string out = "Z:" + path;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

std::string programFolder() {
  const auto bin = win32kit::environmentVariable(L"TESSARA_BIN");
  if (!bin || bin->empty()) return {};
  std::string folder = toWindowsPath(narrow(*bin));
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

Program::Program(const std::string& name) : Program(ByPath{}, programFolder() + "\\" + name + ".exe") {}

Program Program::atPath(const std::string& exePath) { return Program(ByPath{}, exePath); }

Program::Program(ByPath, const std::string& exePath) {
  // Machine-wide: for the program, whatever it starts itself (a restarted
  // copy, hivexfer) and the copies the guard service starts.
  win32kit::setMachineSwitch(L"StateQuery", true);
  const std::wstring path = widen(exePath);
  win32kit::StartedProcess started = win32kit::startProcess(path, -1, win32kit::folderOf(path));
  if (!started) {
    ADD_FAILURE() << "cannot start " << exePath << " (error " << started.error << ")";
    return;
  }
  process_ = std::move(started.process);
  pid_ = started.id;
}

Program& Program::operator=(Program&& o) noexcept {
  if (this != &o) {
    kill();
    process_ = std::move(o.process_);
    pid_ = std::exchange(o.pid_, 0);
  }
  return *this;
}

Program::~Program() { kill(); }

bool Program::running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::waitExit(DWORD ms) const {
  if (!process_ || WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

void Program::kill() {
  if (running()) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

int endAllPrograms() {
  static const std::array<std::wstring, 4> programs{lower(widen(names::MainProgram)), lower(widen(names::TransferProgram)),
                                                     lower(widen(names::LauncherProgram)), L"notepad.exe"};
  SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  std::vector<Handle> ending;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    if (std::find(programs.begin(), programs.end(), lower(entry.szExeFile)) == programs.end()) continue;
    Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (process && TerminateProcess(process.get(), 1)) ending.push_back(std::move(process));
  }
  for (const Handle& process : ending) WaitForSingleObject(process.get(), 5000);
  return static_cast<int>(ending.size());
}

// --- Windows ----------------------------------------------------------------

HWND waitForWindow(const std::string& title, DWORD timeoutMs, const std::string& className) {
  const std::wstring wtitle = widen(title);
  const std::wstring wclass = widen(className);
  HWND found = nullptr;
  pollUntil(timeoutMs, [&] {
    found = FindWindowW(wclass.empty() ? nullptr : wclass.c_str(), wtitle.c_str());
    return found != nullptr;
  });
  return found;
}

bool waitForNoWindow(const std::string& title, DWORD timeoutMs, const std::string& className) {
  const std::wstring wtitle = widen(title);
  const std::wstring wclass = widen(className);
  return pollUntil(timeoutMs, [&] {
    return FindWindowW(wclass.empty() ? nullptr : wclass.c_str(), wtitle.c_str()) == nullptr;
  });
}

int countTopLevelWindows(const std::string& title) {
  TitleCount counter{widen(title)};
  EnumWindows(countTitle, reinterpret_cast<LPARAM>(&counter));
  return counter.count;
}

bool isVisible(HWND window) { return window && IsWindowVisible(window); }

DWORD processOf(HWND window) {
  DWORD pid = 0;
  if (window) GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::string windowText(HWND window) {
  std::array<wchar_t, 1024> text{};
  const int n = window ? GetWindowTextW(window, text.data(), static_cast<int>(text.size())) : 0;
  return narrow(std::wstring_view(text.data(), n > 0 ? n : 0));
}

std::string windowClass(HWND window) {
  std::array<wchar_t, 256> name{};
  const int n = window ? GetClassNameW(window, name.data(), static_cast<int>(name.size())) : 0;
  return narrow(std::wstring_view(name.data(), n > 0 ? n : 0));
}

std::optional<std::string> query(HWND form, const std::string& what, DWORD timeoutMs) {
  if (!form) return std::nullopt;
  std::optional<std::string> answer;
  OwnedWindow asker(CreateWindowExW(0, answerClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleW(nullptr), &answer));
  if (!asker) return std::nullopt;
  COPYDATASTRUCT request{};
  request.dwData = forms::win32::kQueryTag;
  request.cbData = static_cast<DWORD>(what.size());
  request.lpData = const_cast<char*>(what.data());
  DWORD_PTR result = 0;
  // The answer arrives as a message sent to `asker` while this call waits for the form.
  if (!SendMessageTimeoutW(form, WM_COPYDATA, reinterpret_cast<WPARAM>(asker.get()),
                           reinterpret_cast<LPARAM>(&request), SMTO_NORMAL, timeoutMs, &result) ||
      result != TRUE)
    return std::nullopt;
  return answer;
}

// --- Driving controls -------------------------------------------------------

bool clickButton(HWND form, int controlId) {
  HWND button = control(form, controlId);
  return button && PostMessageW(form, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                                reinterpret_cast<LPARAM>(button));
}

bool selectListItem(HWND form, int controlId, int index, bool doubleClick) {
  HWND list = control(form, controlId);
  DWORD_PTR selected = 0;
  if (!list || !SendMessageTimeoutW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL, 5000, &selected) ||
      static_cast<LRESULT>(selected) != index)
    return false;
  const auto notify = [&](WORD code) {
    return PostMessageW(form, WM_COMMAND, MAKEWPARAM(controlId, code), reinterpret_cast<LPARAM>(list)) != FALSE;
  };
  return notify(LBN_SELCHANGE) && (!doubleClick || notify(LBN_DBLCLK));
}

bool clickBackground(HWND window) {
  return PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)) &&
         PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

bool setText(HWND form, int controlId, const std::string& text) {
  HWND target = control(form, controlId);
  if (!target) return false;
  const std::wstring wide = widen(text);
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL,
                             5000, &result) &&
         result == TRUE;
}

std::optional<std::string> getText(HWND window) {
  if (!window) return std::nullopt;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return std::nullopt;
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_NORMAL, 5000, &copied))
    return std::nullopt;
  text.resize(std::min<std::size_t>(copied, length));
  return narrow(text);
}

std::optional<std::string> getText(HWND form, int controlId) {
  HWND target = control(form, controlId);
  if (!target) return std::nullopt;
  return getText(target);
}

bool postMenuCommand(HWND form, int menuId) {
  return form && PostMessageW(form, WM_COMMAND, MAKEWPARAM(menuId, 0), 0);
}

bool postClose(HWND window) { return window && PostMessageW(window, WM_CLOSE, 0, 0); }

// --- Registry ---------------------------------------------------------------

void RegistryFixture::clearStore() {
  deleteTree(Root::Machine, kStoreKey);
  deleteTree(Root::User, kStoreKey);
}

bool RegistryFixture::deleteTree(Root root, const std::string& path) {
  if (!keyExists(root, path)) return true;
  const std::wstring wpath = widen(path);
  if (RegDeleteTreeW(rootKey(root), wpath.c_str()) != ERROR_SUCCESS) return false;
  return RegDeleteKeyW(rootKey(root), wpath.c_str()) == ERROR_SUCCESS || !keyExists(root, path);
}

bool RegistryFixture::keyExists(Root root, const std::string& path) {
  return static_cast<bool>(openKey(root, path, KEY_READ));
}

std::optional<std::string> RegistryFixture::readString(Root root, const std::string& path,
                                                       const std::string& name) {
  RegKey key = openKey(root, path, KEY_READ);
  if (!key) return std::nullopt;
  const std::wstring wname = widen(name);
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.get(), wname.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.get(), wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                       &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return narrow(value);
}

std::optional<DWORD> RegistryFixture::readDword(Root root, const std::string& path, const std::string& name) {
  RegKey key = openKey(root, path, KEY_READ);
  if (!key) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD bytes = sizeof value;
  if (RegQueryValueExW(key.get(), widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                       &bytes) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return std::nullopt;
  return value;
}

bool RegistryFixture::writeString(Root root, const std::string& path, const std::string& name,
                                  const std::string& value) {
  RegKey key = createKey(root, path);
  const std::wstring wide = widen(value);
  return key && RegSetValueExW(key.get(), widen(name).c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(wide.c_str()),
                               static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistryFixture::writeDword(Root root, const std::string& path, const std::string& name, DWORD value) {
  RegKey key = createKey(root, path);
  return key && RegSetValueExW(key.get(), widen(name).c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool RegistryFixture::deleteValue(Root root, const std::string& path, const std::string& name) {
  RegKey key = openKey(root, path, KEY_SET_VALUE);
  return key && RegDeleteValueW(key.get(), widen(name).c_str()) == ERROR_SUCCESS;
}

// --- Fixture ----------------------------------------------------------------

std::string currentUserSid() { return win32kit::currentUserSid(); }

bool RegistryFixture::chooseThisUser() {
  return writeString(Root::User, "Software\\TSR\\Settings", "CurrentUser", "Enabled") &&
         writeString(Root::Machine, "Software\\TSR\\Users", currentUserSid(), "Enabled");
}

void E2eTest::SetUp() {
  endAllPrograms();
  RegistryFixture::clearStore();
  ASSERT_FALSE(RegistryFixture::keyExists(Root::Machine, RegistryFixture::kStoreKey));
  ASSERT_FALSE(RegistryFixture::keyExists(Root::User, RegistryFixture::kStoreKey));
}

void E2eTest::TearDown() { endAllPrograms(); }

void pumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace e2e
