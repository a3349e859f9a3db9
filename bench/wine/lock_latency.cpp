// Measurements of the window lock under Wine:
//  1. which WinEvents of other processes reach an out-of-context hook;
//  2. lock latency: from a window with a ticked task name being created and
//     brought to the front by another process (this one) to its being hidden,
//     for a plain window without children and for a Notepad-like one whose
//     edit child takes the focus, over 20 trials each; the plain window also
//     locked by a program entry (this program's file) and with the program's
//     WinEvent hooks left out (the diagnostics switch "NoWinEvent");
//  3. a locked window that shows itself again every 200 ms: the share of the
//     time it is visible, and its longest stretch;
//  4. the cost of one master password check;
//  5. idle cost: CPU time of tessara7.exe (from /proc) over a minute with 999
//     ticked lock rows (every tenth a program file) and 1000 ignored titles,
//     and with the default list.
// Usage: wine_bench.exe lock [trials=20] [idle seconds=60] [re-show seconds=10];
// 0 skips a part. tessara7.exe is taken from this program's folder; when
// TESSARA_BENCH_BASELINE names another build of it, parts 2, 3 and 5 measure
// that one too, first, in the same run. Ends every tessara7 and Notepad first
// and deletes Software\TSR under both roots before and after.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/wine/unix_process.h"
#include "platform/win32/win32_desktop.h"
#include "shared/names.h"
#include "shared/win32/handles.h"
#include "shared/win32/module.h"
#include "shared/win32/text.h"
#include "tessara7/locking/password_hash.h"

namespace {

// --- Small owners and helpers -------------------------------------------------------

using Handle = win32kit::UniqueKernelHandle;
using Snapshot = win32kit::UniqueFileHandle;
using Window = win32kit::UniqueWindow;

double nowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / perMs;
}

void pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// Pumps this thread's messages until done() or the timeout.
template <typename Done>
bool pumpUntil(double timeoutMs, Done done) {
  const double end = nowMs() + timeoutMs;
  for (;;) {
    pump();
    if (done()) return true;
    const double left = end - nowMs();
    if (left <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min(left, 10.0)) + 1, QS_ALLINPUT);
  }
}

void pumpFor(double ms) {
  pumpUntil(ms, [] { return false; });
}

std::wstring windowsFolder() {
  wchar_t path[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(path, MAX_PATH);
  return std::wstring(path, n);
}

void setString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot create key\n");
    std::exit(2);
  }
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

void clearStore() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    RegDeleteTreeW(root, L"Software\\TSR");
    RegDeleteKeyW(root, L"Software\\TSR");
  }
}

void endAll(const wchar_t* exeName) {
  Snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  for (BOOL more = Process32FirstW(snapshot.get(), &e); more; more = Process32NextW(snapshot.get(), &e)) {
    if (lstrcmpiW(e.szExeFile, exeName) != 0) continue;
    Handle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, e.th32ProcessID));
    if (p && TerminateProcess(p.get(), 1)) WaitForSingleObject(p.get(), 5000);
  }
}

struct Started {
  Handle process;
  DWORD pid = 0;
};

Started start(const std::wstring& exe, const std::wstring& arguments = {}) {
  std::wstring commandLine = L"\"" + exe + L"\"" + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
    std::exit(2);
  }
  CloseHandle(pi.hThread);
  return {Handle(pi.hProcess), pi.dwProcessId};
}

void stop(Started& program) {
  if (program.process) {
    TerminateProcess(program.process.get(), 1);
    WaitForSingleObject(program.process.get(), 5000);
  }
}

// The program measured: this build's, or the baseline named by
// TESSARA_BENCH_BASELINE.
std::wstring g_program;
std::wstring thisBuild() { return win32kit::inProgramFolder(win32kit::toWide(names::MainProgram)); }
std::wstring baseline() {
  wchar_t path[MAX_PATH * 4] = {};
  const DWORD n = GetEnvironmentVariableW(L"TESSARA_BENCH_BASELINE", path, static_cast<DWORD>(std::size(path)));
  return n > 0 && n < std::size(path) ? std::wstring(path, n) : std::wstring();
}

// Starts tessara7 and waits for its main window; the time that took, in ms.
double startTessara(Started& program) {
  const double t0 = nowMs();
  program = start(g_program.empty() ? thisBuild() : g_program);
  if (!pumpUntil(180000, [] { return FindWindowW(nullptr, win32kit::toWide(names::MainTitle).c_str()) != nullptr; })) {
    std::fprintf(stderr, "tessara7 did not come up within 180 s\n");
    std::exit(2);
  }
  return nowMs() - t0;
}

const wchar_t* registerClass(const wchar_t* name, WNDPROC proc) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
  return name;
}

Window makeWindow(const wchar_t* cls, const std::wstring& title) {
  return Window(CreateWindowExW(0, cls, title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr));
}

// --- 1. WinEvents across processes ---------------------------------------------------

// Events seen by the out-of-context hook, by event id, for Notepad's process,
// this process and a child copy of this program that raises events itself.
struct EventTally {
  DWORD notepad = 0, child = 0;
  std::map<DWORD, int> fromNotepad, fromSelf, fromChild;
};
EventTally g_events;

void CALLBACK countEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
  DWORD pid = 0;
  if (window) GetWindowThreadProcessId(window, &pid);
  if (pid == 0) return;
  if (pid == g_events.notepad) ++g_events.fromNotepad[event];
  else if (pid == g_events.child) ++g_events.fromChild[event];
  else if (pid == GetCurrentProcessId()) ++g_events.fromSelf[event];
}

const char* eventName(DWORD event) {
  switch (event) {
    case EVENT_SYSTEM_FOREGROUND: return "SYSTEM_FOREGROUND";
    case EVENT_SYSTEM_MENUSTART: return "SYSTEM_MENUSTART";
    case EVENT_SYSTEM_MINIMIZESTART: return "SYSTEM_MINIMIZESTART";
    case EVENT_SYSTEM_MINIMIZEEND: return "SYSTEM_MINIMIZEEND";
    case EVENT_OBJECT_CREATE: return "OBJECT_CREATE";
    case EVENT_OBJECT_DESTROY: return "OBJECT_DESTROY";
    case EVENT_OBJECT_SHOW: return "OBJECT_SHOW";
    case EVENT_OBJECT_HIDE: return "OBJECT_HIDE";
    case EVENT_OBJECT_FOCUS: return "OBJECT_FOCUS";
    case EVENT_OBJECT_LOCATIONCHANGE: return "OBJECT_LOCATIONCHANGE";
    case EVENT_OBJECT_NAMECHANGE: return "OBJECT_NAMECHANGE";
    case EVENT_OBJECT_VALUECHANGE: return "OBJECT_VALUECHANGE";
    case EVENT_OBJECT_STATECHANGE: return "OBJECT_STATECHANGE";
    default: return nullptr;
  }
}

void printTally(const char* from, const std::map<DWORD, int>& tally) {
  std::printf("  from %s:", from);
  if (tally.empty()) std::printf(" none");
  for (const auto& [event, count] : tally) {
    if (const char* name = eventName(event)) std::printf(" %s=%d", name, count);
    else std::printf(" 0x%04lx=%d", event, count);
  }
  std::printf("\n");
}

// The child copy: a window of its own, brought to the front and renamed, then
// both events raised explicitly with NotifyWinEvent.
int notifyChild() {
  Window own = makeWindow(registerClass(L"BenchChild", DefWindowProcW), L"Bench child");
  ShowWindow(own.get(), SW_SHOW);
  SetForegroundWindow(own.get());
  SetWindowTextW(own.get(), L"Bench child renamed");
  pumpFor(300);
  NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, own.get(), OBJID_WINDOW, CHILDID_SELF);
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, own.get(), OBJID_WINDOW, CHILDID_SELF);
  pumpFor(300);
  return 0;
}

void winEventEvidence() {
  std::printf("== WinEvents to an out-of-context hook (SetWinEventHook EVENT_MIN..EVENT_MAX, all processes) ==\n");
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, countEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
  std::printf("SetWinEventHook: %s\n", hook ? "installed" : "FAILED");

  // This process: a window shown, brought to the front, renamed.
  Window own = makeWindow(registerClass(L"BenchOwn", DefWindowProcW), L"Bench own window");
  ShowWindow(own.get(), SW_SHOW);
  SetForegroundWindow(own.get());
  SetWindowTextW(own.get(), L"Bench own window renamed");
  pumpFor(500);

  // Notepad: started (comes to the front), sent away and back, renamed from here.
  Started notepad = start(windowsFolder() + L"\\notepad.exe");
  g_events.notepad = notepad.pid;
  HWND pad = nullptr;
  pumpUntil(10000, [&] {
    pad = FindWindowW(L"Notepad", nullptr);
    return pad != nullptr && IsWindowVisible(pad);
  });
  pumpFor(1000);
  SetForegroundWindow(own.get());
  pumpFor(300);
  SetForegroundWindow(pad);
  pumpFor(300);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(pad, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"renamed - Notepad"), SMTO_NORMAL, 5000, &r);
  pumpFor(500);
  std::printf("Notepad's window is %s the foreground; its title now \"renamed - Notepad\"\n",
              GetForegroundWindow() == pad ? "now" : "NOT");

  // A child copy of this program raising the two events itself.
  wchar_t self[MAX_PATH * 4];
  GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  Started child = start(std::wstring(self), L" lock --notify-child");
  g_events.child = child.pid;
  pumpUntil(15000, [&] { return WaitForSingleObject(child.process.get(), 0) == WAIT_OBJECT_0; });
  pumpFor(500);

  printTally("Notepad (started, SetForegroundWindow, WM_SETTEXT)", g_events.fromNotepad);
  printTally("this process (ShowWindow, SetForegroundWindow, SetWindowText)", g_events.fromSelf);
  printTally("child process (same, then NotifyWinEvent FOREGROUND + NAMECHANGE)", g_events.fromChild);
  if (hook) UnhookWinEvent(hook);
  stop(notepad);
  g_events = {};
}

// --- 2. Lock latency ---------------------------------------------------------------

// What the probe windows report: when the last one was hidden, and, for the
// re-showing window, how long it has been visible in all.
struct ProbeRecord {
  double hiddenAt = 0;      // 0 while shown
  double visibleSince = 0;  // 0 while hidden
  double visibleMs = 0;
  double longestMs = 0;
};
ProbeRecord g_probe;

void noteVisibility(const WINDOWPOS& position) {
  const double now = nowMs();
  if ((position.flags & SWP_SHOWWINDOW) && g_probe.visibleSince == 0) g_probe.visibleSince = now;
  if (position.flags & SWP_HIDEWINDOW) {
    if (g_probe.hiddenAt == 0) g_probe.hiddenAt = now;
    if (g_probe.visibleSince != 0) {
      const double stretch = now - g_probe.visibleSince;
      g_probe.visibleMs += stretch;
      g_probe.longestMs = std::max(g_probe.longestMs, stretch);
      g_probe.visibleSince = 0;
    }
  }
}

// A plain window: no child, so nothing in it takes the focus.
LRESULT CALLBACK plainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_WINDOWPOSCHANGED) noteVisibility(*reinterpret_cast<const WINDOWPOS*>(lp));
  return DefWindowProcW(w, m, wp, lp);
}

// A Notepad-like window: an edit child that takes the focus.
LRESULT CALLBACK editorProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_CREATE:
      CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 380, 260, w, nullptr,
                      GetModuleHandleW(nullptr), nullptr);
      return 0;
    case WM_SETFOCUS:
      if (HWND edit = GetWindow(w, GW_CHILD)) SetFocus(edit);
      return 0;
    case WM_WINDOWPOSCHANGED:
      noteVisibility(*reinterpret_cast<const WINDOWPOS*>(lp));
      break;
    default:
      break;
  }
  return DefWindowProcW(w, m, wp, lp);
}

enum class Probe { Plain, Editor };

Window makeProbe(Probe kind, const std::wstring& title) {
  static const wchar_t* plain = registerClass(L"BenchPlainProbe", plainProc);
  static const wchar_t* editor = registerClass(L"BenchEditorProbe", editorProc);
  return makeWindow(kind == Probe::Plain ? plain : editor, title);
}

struct Stats {
  double median = 0, p95 = 0, min = 0, max = 0;
  int missed = 0;
};

Stats stats(std::vector<double> v, int missed) {
  Stats s;
  s.missed = missed;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  s.p95 = v[std::min(n - 1, static_cast<std::size_t>((95 * n + 99) / 100) - 1)];  // nearest rank
  s.min = v.front();
  s.max = v.back();
  return s;
}

// What locks the probes: their title, or this benchmark's program file.
enum class Entry { Title, Program };

// Starts tessara7 with the probes' title, or this program's file, as a ticked task name.
void startWithProbeLocked(Started& tessara, bool hooks, Entry entry = Entry::Title) {
  clearStore();
  setString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TSR\\Windows0", L"Window",
            entry == Entry::Title ? L"LatencyProbe" : L"wine_bench.exe");
  setString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TSR\\Windows0", L"Enabled", L"1");
  win32kit::setMachineSwitch(L"NoWinEvent", !hooks);
  startTessara(tessara);
  win32kit::setMachineSwitch(L"NoWinEvent", false);
}

Stats measureLatency(const char* label, Probe kind, bool hooks, int trials, Entry entry = Entry::Title,
                     bool notepadBase = false) {
  Started tessara;
  startWithProbeLocked(tessara, hooks, entry);
  // Between trials another window takes the front: for a program entry one
  // of another process (Notepad), since every window of this one is locked.
  Window ownBase;
  Started notepad;
  HWND base = nullptr;
  if (entry == Entry::Program || notepadBase) {
    notepad = start(windowsFolder() + L"\\notepad.exe");
    pumpUntil(10000, [&] {
      base = FindWindowW(L"Notepad", nullptr);
      return base != nullptr && IsWindowVisible(base);
    });
  } else {
    ownBase = makeWindow(registerClass(L"BenchBase", DefWindowProcW), L"Bench base");
    base = ownBase.get();
    ShowWindow(base, SW_SHOW);
  }
  SetForegroundWindow(base);
  pumpFor(2000);

  std::vector<double> samples;
  int missed = 0;
  std::srand(7);
  std::printf("  %-38s", label);
  for (int i = 0; i < trials; ++i) {
    Window probe = makeProbe(kind, L"LatencyProbe " + std::to_wstring(i + 1));
    pump();
    g_probe = {};
    const double shown = nowMs();
    ShowWindow(probe.get(), SW_SHOW);
    SetForegroundWindow(probe.get());
    if (pumpUntil(3000, [] { return g_probe.hiddenAt != 0; })) {
      samples.push_back(g_probe.hiddenAt - shown);
      std::printf(" %.0f", g_probe.hiddenAt - shown);
    } else {
      ++missed;
      std::printf(" miss");
    }
    std::fflush(stdout);
    probe = Window();
    SetForegroundWindow(base);
    pumpFor(300 + std::rand() % 500);  // the next trial at another phase of the half-second timer
  }
  std::printf("\n");
  stop(notepad);
  stop(tessara);
  clearStore();
  return stats(samples, missed);
}

// --- 3. A locked window that shows itself again ---------------------------------------

struct Reshown {
  double share = 0, longestMs = 0;
  int shows = 0;
  bool locked = false;
};

// The floor of the measurement: instead of tessara7, another process (a
// copy of this program) that does nothing but look every 10 ms (the quick
// checks' timer) and hide the probe when it is visible, minimising it first
// or not; it ends with the probe.
enum class Hider { Tessara, FloorHide, FloorMinimiseHide };
int floorHider(HWND probe, bool minimise) {
  SetTimer(nullptr, 0, 10, nullptr);
  MSG m;
  while (IsWindow(probe) && GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message != WM_TIMER || !IsWindowVisible(probe)) continue;
    if (minimise) ShowWindowAsync(probe, SW_MINIMIZE);
    ShowWindowAsync(probe, SW_HIDE);
  }
  return 0;
}

Reshown measureReshowing(int seconds, Hider hider = Hider::Tessara) {
  Started tessara;
  if (hider == Hider::Tessara) startWithProbeLocked(tessara, true);
  Window base = makeWindow(registerClass(L"BenchBase", DefWindowProcW), L"Bench base");
  ShowWindow(base.get(), SW_SHOW);
  SetForegroundWindow(base.get());
  pumpFor(2000);

  Reshown result;
  Window probe = makeProbe(Probe::Plain, L"LatencyProbe reshowing");
  Started floor;
  if (hider != Hider::Tessara) {
    wchar_t self[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    floor = start(std::wstring(self), L" lock --floor-hider " +
                                          std::to_wstring(reinterpret_cast<std::uintptr_t>(probe.get())) +
                                          (hider == Hider::FloorMinimiseHide ? L" 1" : L" 0"));
  }
  g_probe = {};
  ShowWindow(probe.get(), SW_SHOW);
  SetForegroundWindow(probe.get());
  result.locked = pumpUntil(3000, [] { return g_probe.hiddenAt != 0; });
  if (result.locked) {
    pumpFor(500);
    g_probe = {};
    const double begin = nowMs();
    double next = begin;
    while (nowMs() - begin < seconds * 1000.0) {
      if (nowMs() >= next) {
        if (!IsWindowVisible(probe.get())) {
          ShowWindow(probe.get(), SW_SHOWNORMAL);
          ++result.shows;
        }
        next += 200;
      }
      pumpUntil(std::max(0.0, next - nowMs()), [] { return false; });
    }
    const double end = nowMs();
    if (g_probe.visibleSince != 0) {
      const double stretch = end - g_probe.visibleSince;
      g_probe.visibleMs += stretch;
      g_probe.longestMs = std::max(g_probe.longestMs, stretch);
    }
    result.share = 100.0 * g_probe.visibleMs / (end - begin);
    result.longestMs = g_probe.longestMs;
  }
  probe = Window();
  stop(floor);
  stop(tessara);
  clearStore();
  return result;
}

// --- 4. The master password check -------------------------------------------------------

void measurePasswordCheck() {
  const std::string stored = tessara::PasswordHash::make("correct horse");
  std::vector<double> samples;
  for (int i = 0; i < 7; ++i) {
    const double t0 = nowMs();
    const bool right = tessara::PasswordHash::matches("correct horse", stored);
    samples.push_back(nowMs() - t0);
    if (!right) std::printf("  the check FAILED\n");
  }
  const Stats s = stats(samples, 0);
  std::printf("  PBKDF2-HMAC-SHA256, %u iterations (CNG): median %.1f ms, min %.1f, max %.1f\n",
              tessara::PasswordHash::DefaultIterations, s.median, s.min, s.max);
  std::fflush(stdout);
}

// --- 4b. Looking up a window's program ----------------------------------------------------

// What the watchers pay for a program entry: per tick, the window's process
// and its start (the cache's key); once per process, its file and version
// resource. Measured on hivexfer.exe, whose file has a version resource.
void measureProgramLookup() {
  Started transfer = start(win32kit::inProgramFolder(win32kit::toWide(names::TransferProgram)));
  HWND window = nullptr;
  pumpUntil(10000, [&] {
    window = FindWindowW(win32kit::toWide(names::TransferClass).c_str(), nullptr);
    return window != nullptr;
  });
  platform::win32::Win32Desktop desktop;
  const auto handle = reinterpret_cast<platform::WindowHandle>(window);
  std::vector<double> keys, files;
  std::string name, original;
  for (int i = 0; i < 21; ++i) {
    const double t0 = nowMs();
    const auto key = desktop.process(desktop.windowProcessId(handle));
    const double t1 = nowMs();
    const platform::ProgramFile file = desktop.programFile(key ? key->id : 0);
    const double t2 = nowMs();
    keys.push_back((t1 - t0) * 1000.0);
    files.push_back((t2 - t1) * 1000.0);
    name = file.fileName;
    original = file.originalName;
  }
  const Stats k = stats(keys, 0), f = stats(files, 0);
  std::printf("  the window's process and start (each tick): median %6.0f us, max %6.0f\n", k.median, k.max);
  std::printf("  its file and version resource (once a process): median %6.0f us, max %6.0f  (\"%s\", \"%s\")\n",
              f.median, f.max, name.c_str(), original.c_str());
  std::fflush(stdout);
  stop(transfer);
}

// --- 5. Idle cost ---------------------------------------------------------------------

void measureIdle(const char* label, bool fullLists, int seconds) {
  clearStore();
  if (fullLists) {
    for (int row = 0; row < 999; ++row) {
      const std::wstring key = L"SOFTWARE\\TSR\\Windows" + std::to_wstring(row);
      // Every tenth row names a program file, so that the ticks look the foreground's program up too.
      setString(HKEY_LOCAL_MACHINE, key, L"Window",
                L"Idle task " + std::to_wstring(row) + (row % 10 == 0 ? L".exe" : L""));
      setString(HKEY_LOCAL_MACHINE, key, L"Enabled", L"1");
    }
    for (int n = 0; n < 1000; ++n)
      setString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TSR\\IGNORE", (L"Program" + std::to_wstring(n)).c_str(),
                L"Ignored title " + std::to_wstring(n));
  }
  Started tessara;
  const double loadMs = startTessara(tessara);
  // The foreground holds a title that matches no row, so every tick scans the whole list.
  Window front = makeWindow(registerClass(L"BenchIdle", DefWindowProcW), L"Bench idle window");
  ShowWindow(front.get(), SW_SHOW);
  SetForegroundWindow(front.get());
  pumpFor(5000);

  const std::wstring dir = unixProcessDir(g_program.empty() ? thisBuild() : g_program);
  const double cpu0 = dir.empty() ? -1 : unixCpuMilliseconds(dir);
  const double t0 = nowMs();
  pumpFor(seconds * 1000.0);
  const double cpu1 = dir.empty() ? -1 : unixCpuMilliseconds(dir);
  const double wall = nowMs() - t0;
  if (cpu0 < 0 || cpu1 < 0) std::printf("  %s: no /proc entry for tessara7.exe\n", label);
  else
    std::printf("  %-52s start-up %5.0f ms; CPU %5.0f ms in %.1f s = %.2f%% of one core\n", label, loadMs, cpu1 - cpu0,
                wall / 1000.0, 100.0 * (cpu1 - cpu0) / wall);
  std::fflush(stdout);
  stop(tessara);
  clearStore();
}

// Runs a measurement of the baseline (when one is named) and then of this build.
template <typename Measure>
void besideBaseline(Measure measure) {
  const std::wstring other = baseline();
  if (!other.empty()) {
    g_program = other;
    measure(true);
  }
  g_program.clear();
  measure(false);
}

}  // namespace

// The "lock" group of wine_bench: trials (20), idle seconds (60), re-show seconds (10).
int runLockLatencyBenchmarks(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--notify-child") == 0) return notifyChild();
  if (argc > 3 && std::strcmp(argv[1], "--floor-hider") == 0)
    return floorHider(reinterpret_cast<HWND>(std::strtoull(argv[2], nullptr, 10)), std::atoi(argv[3]) != 0);
  const int trials = argc > 1 ? std::max(0, std::atoi(argv[1])) : 20;
  const int idleSeconds = argc > 2 ? std::max(0, std::atoi(argv[2])) : 60;
  const int reshowSeconds = argc > 3 ? std::max(0, std::atoi(argv[3])) : 10;
  endAll(win32kit::toWide(names::MainProgram).c_str());
  endAll(L"notepad.exe");
  clearStore();

  if (trials > 0) {
    winEventEvidence();
    std::printf("\n== Lock latency: window created and brought to the front by another process -> hidden (ms) ==\n");
    std::vector<std::pair<std::string, Stats>> rows;
    besideBaseline([&](bool isBaseline) {
      const std::string suffix = isBaseline ? ", baseline" : "";
      rows.emplace_back("plain window, no child" + suffix,
                        measureLatency(("plain" + suffix).c_str(), Probe::Plain, true, trials));
      rows.emplace_back("Notepad-like (edit child takes focus)" + suffix,
                        measureLatency(("Notepad-like" + suffix).c_str(), Probe::Editor, true, trials));
      if (!isBaseline) {
        // Like for like: both with Notepad, another process, at the front between trials.
        rows.emplace_back("plain window, title entry, Notepad between",
                          measureLatency("plain, title, Notepad between", Probe::Plain, true, trials, Entry::Title, true));
        rows.emplace_back("plain window, program entry, Notepad between",
                          measureLatency("plain, program entry", Probe::Plain, true, trials, Entry::Program));
      }
    });
    rows.emplace_back("plain window, timers only (no hooks)",
                      measureLatency("plain, no hooks", Probe::Plain, false, trials));
    for (const auto& [label, s] : rows)
      std::printf("%-46s n=%2d median %6.1f  p95 %6.1f  min %6.1f  max %6.1f  missed %d\n", label.c_str(),
                  trials - s.missed, s.median, s.p95, s.min, s.max, s.missed);
    std::fflush(stdout);
  }
  if (reshowSeconds > 0) {
    std::printf("\n== A locked window that shows itself again every 200 ms, over %d s ==\n", reshowSeconds);
    besideBaseline([&](bool isBaseline) {
      const Reshown r = measureReshowing(reshowSeconds);
      if (!r.locked) std::printf("%-22s the window was never locked\n", isBaseline ? "baseline" : "this build");
      else
        std::printf("%-22s visible %5.1f%% of the time, longest stretch %5.0f ms, %d re-shows\n",
                    isBaseline ? "baseline" : "this build", r.share, r.longestMs, r.shows);
      std::fflush(stdout);
    });
    for (const Hider floor : {Hider::FloorHide, Hider::FloorMinimiseHide}) {
      const Reshown r = measureReshowing(reshowSeconds, floor);
      std::printf("%-22s visible %5.1f%% of the time, longest stretch %5.0f ms, %d re-shows\n",
                  floor == Hider::FloorHide ? "floor: 10 ms, hide" : "floor: minimise, hide", r.share, r.longestMs,
                  r.shows);
      std::fflush(stdout);
    }
  }
  if (trials > 0) {
    std::printf("\n== One master password check ==\n");
    measurePasswordCheck();
    std::printf("\n== One program lookup ==\n");
    measureProgramLookup();
  }
  if (idleSeconds == 0) return 0;
  std::printf("\n== Idle cost of tessara7.exe (/proc utime + stime) ==\n");
  besideBaseline([&](bool isBaseline) {
    const std::string suffix = isBaseline ? ", baseline" : "";
    measureIdle(("999 ticked rows + 1000 ignored titles" + suffix).c_str(), true, idleSeconds);
    measureIdle(("default list" + suffix).c_str(), false, idleSeconds);
  });
  return 0;
}
