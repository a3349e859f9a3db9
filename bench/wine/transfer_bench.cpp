// The configuration transfer on the real registry: the tool's export and
// import of a full store, each beside what the system's own calls cost
// (saving both keys; loading and unloading both files) in the same run.
// Figures only; nothing here passes or fails.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "hivexfer/registry_module.h"
#include "hivexfer/transfer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 9;
constexpr const wchar_t* kFolder = L"C:\\TsrBench";

double median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const std::size_t mid = samples.size() / 2;
  return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

double medianMs(const std::function<void()>& work) {
  std::vector<double> samples;
  for (int i = 0; i < kRuns; ++i) {
    const auto begin = Clock::now();
    work();
    samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
  }
  return median(samples);
}

void report(const char* what, double value) { std::printf("%-58s %10.2f ms (median)\n", what, value); }

void writeString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text) {
  RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The largest store: 999 rows and 1000 ignored titles for all users, a few values for this user.
void writeFullStore() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeW(root, L"Software\\TSR");
  for (int n = 0; n < 999; ++n) {
    const std::wstring key = L"SOFTWARE\\TSR\\Windows" + std::to_wstring(n);
    writeString(HKEY_LOCAL_MACHINE, key, L"Window", L"Locked window title number " + std::to_wstring(n));
    writeString(HKEY_LOCAL_MACHINE, key, L"Enabled", L"1");
  }
  for (int n = 0; n < 1000; ++n)
    writeString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TSR\\IGNORE", L"Program" + std::to_wstring(n),
                L"Ignored window title number " + std::to_wstring(n));
  writeString(HKEY_CURRENT_USER, L"Software\\TSR\\Settings", L"CurrentUser", L"Disabled");
  writeString(HKEY_CURRENT_USER, L"Software\\TSR\\PWD", L"title2", L"secret");
}

std::wstring inFolder(const wchar_t* file) { return std::wstring(kFolder) + L"\\" + file; }

}  // namespace

void runTransferBenchmarks() {
  hivexfer::enablePrivilege(SE_BACKUP_NAME);
  hivexfer::enablePrivilege(SE_RESTORE_NAME);
  CreateDirectoryW(kFolder, nullptr);
  // The export goes to the root of the current drive: C:\ of the prefix.
  SetCurrentDirectoryW(kFolder);
  writeFullStore();

  std::string exported, imported;
  const double saveBaseline = medianMs([] {
    for (auto [root, file] : {std::pair{HKEY_LOCAL_MACHINE, L"loc.dat"}, std::pair{HKEY_CURRENT_USER, L"cur.dat"}}) {
      DeleteFileW(inFolder(file).c_str());
      HKEY key = nullptr;
      RegOpenKeyExW(root, L"SOFTWARE\\TSR", 0, KEY_READ, &key);
      RegSaveKeyW(key, inFolder(file).c_str(), nullptr);
      RegCloseKey(key);
    }
  });
  const double exportMs = medianMs([&] { exported = hivexfer::exportConfiguration(); });
  const double loadBaseline = medianMs([] {
    for (const wchar_t* file : {L"C:\\tsrlocusr.dat", L"C:\\tsrcurusr.dat"}) {
      RegLoadKeyW(HKEY_LOCAL_MACHINE, L"TsrBenchHive", file);
      RegUnLoadKeyW(HKEY_LOCAL_MACHINE, L"TsrBenchHive");
    }
  });
  const double importMs = medianMs([&] { imported = hivexfer::importConfiguration(); });
  std::fprintf(stderr, "  (export: \"%.40s...\"; import: \"%s\")\n", exported.c_str(), imported.c_str());

  report("Transfer: RegSaveKey of both keys (baseline)", saveBaseline);
  report("Transfer: export, full store, files replaced", exportMs);
  report("Transfer: RegLoadKey + RegUnLoadKey of both files (baseline)", loadBaseline);
  report("Transfer: import, full store (load, empty, copy, unload)", importMs);

  for (const wchar_t* file : {L"C:\\tsrlocusr.dat", L"C:\\tsrcurusr.dat"}) DeleteFileW(file);
  for (const wchar_t* file : {L"loc.dat", L"cur.dat"}) DeleteFileW(inFolder(file).c_str());
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeW(root, L"Software\\TSR");
}
