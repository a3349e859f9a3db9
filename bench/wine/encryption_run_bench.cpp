// Whole encryption runs through the real tessara7.exe under Wine, driven as
// its user drives it (the configuration opened with the master password,
// the encryption password set, a path typed, Encrypt or Decrypt pressed):
// a run of one tiny file (a run's own cost: the key derivation, the
// window); a folder of many small files each way, in files per second
// beside copy-then-delete of the same files; one large file each way beside
// a flushed copy, with the program's private memory meanwhile; and how soon
// Abort stops an encryption of it. Medians of the component's repetitions.
// Figures only; nothing here passes or fails.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "bench/bench_stats.h"
#include "bench/wine/process_memory.h"
#include "shared/win32/module.h"
#include "shared/win32/text.h"
#include "tests/e2e/file_helpers.h"
#include "tests/e2e/tessara_driver.h"

namespace {

using bench::Clock;

struct Outcome {
  double seconds = 0;
  bool errors = false;  // the progress window stayed with error lines
};

// Polls a condition every 2 ms without pumping messages: nothing here needs them.
template <typename Done>
bool pollWindow(DWORD timeoutMs, Done done) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < end) {
    if (done()) return true;
    Sleep(2);
  }
  return done();
}

class DrivenProgram {
 public:
  // Starts tessara7.exe from this program's folder with an empty store and
  // opens its configuration; false when that fails.
  bool open() {
    SetEnvironmentVariableW(L"TESSARA_BIN", win32kit::programFolder().c_str());
    e2e::endAllPrograms();
    e2e::RegistryFixture::clearStore();
    program_.emplace("tessara7");
    main_ = e2e::waitForMainWindow();
    if (!main_ || !e2e::unlockConfiguration(main_)) return false;
    return e2e::setText(main_, e2e::idOf("txtEnPwd"), "benchmark password") &&
           e2e::clickButton(main_, e2e::idOf("cmdenpwd")) &&
           e2e::waitForAnswer(main_, "cmdenpwd.caption", "Reset") == "Reset";
  }
  ~DrivenProgram() {
    program_.reset();
    e2e::RegistryFixture::clearStore();
  }

  // From the click to the end of the run (the page enabled again). The
  // page's frame is watched through its window's style, which the system
  // answers: a query would be answered by the program's own thread, the one
  // that encrypts, and under Wine each cost it a millisecond or two.
  std::optional<Outcome> run(const char* button, const std::string& path) {
    if (!e2e::setText(main_, e2e::idOf("txtPath"), path)) return std::nullopt;
    const HWND frame = GetDlgItem(main_, e2e::idOf("fraEn"));
    if (!frame || !IsWindowEnabled(frame)) return std::nullopt;
    const auto begin = Clock::now();
    if (!e2e::clickButton(main_, e2e::idOf(button))) return std::nullopt;
    const auto frameEnabled = [frame](bool enabled) {
      return [frame, enabled] { return (IsWindowEnabled(frame) != FALSE) == enabled; };
    };
    if (!pollWindow(20000, frameEnabled(false)) || !pollWindow(3600000, frameEnabled(true))) return std::nullopt;
    Outcome outcome{std::chrono::duration<double>(Clock::now() - begin).count(), false};
    // The run enables the page just before its window goes, unless errors keep it.
    const auto cryptShown = [] {
      const HWND crypt = FindWindowW(L"Tessara.frmCrypt", nullptr);
      return crypt && IsWindowVisible(crypt);
    };
    pollWindow(2000, [&] { return !cryptShown(); });
    if (HWND crypt = FindWindowW(L"Tessara.frmCrypt", nullptr); crypt && IsWindowVisible(crypt)) {
      outcome.errors = true;
      e2e::clickButton(crypt, e2e::idOf("cmdabort"));
    }
    return outcome;
  }

  // Abort pressed a quarter into an encryption of `path`: milliseconds from
  // the press to the window showing "Wait..." (the click handled), and to the
  // end of the run (the page enabled again); nullopt when it went wrong.
  std::optional<std::pair<double, double>> abortEncryption(const std::string& path) {
    if (!e2e::setText(main_, e2e::idOf("txtPath"), path) || !e2e::clickButton(main_, e2e::idOf("cmdEncrypt")))
      return std::nullopt;
    const HWND crypt = e2e::waitForVisibleWindow("Tessara.frmCrypt", 20000);
    if (!crypt || !e2e::waitUntil(600000, [&] {
          return std::atoi(e2e::query(crypt, "lblProgress.caption", 5000).value_or("0").c_str()) >= 25;
        }))
      return std::nullopt;
    const auto pressed = Clock::now();
    if (!e2e::clickButton(crypt, e2e::idOf("cmdabort"))) return std::nullopt;
    const auto msSincePress = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - pressed).count(); };
    double seen = -1, ended = -1;
    while (msSincePress() < 60000 && ended < 0) {
      if (seen < 0 && e2e::query(crypt, "cmdabort.caption", 5000).value_or("") != "Abort") seen = msSincePress();
      if (e2e::query(main_, "fraEn.enabled", 5000) == "1") ended = msSincePress();
      Sleep(1);
    }
    if (IsWindow(crypt)) e2e::clickButton(crypt, e2e::idOf("cmdabort"));  // Close
    if (ended < 0) return std::nullopt;
    return std::pair{seen < 0 ? ended : seen, ended};
  }

 private:
  std::optional<e2e::Program> program_;
  HWND main_ = nullptr;
};

using bench::medianOf;

// Seconds of `repetitions` runs of one kind; empty when one failed.
struct Runs {
  std::vector<double> seconds;
  bool errors = false;
  bool failed = false;
  void add(const std::optional<Outcome>& outcome) {
    if (!outcome) failed = true;
    else {
      seconds.push_back(outcome->seconds);
      errors = errors || outcome->errors;
    }
  }
  double median() const { return medianOf(seconds); }
  const char* note() const { return errors ? "  (ERRORS listed)" : ""; }
};

// Copies every file of the folder to a new name and deletes the source, as
// cheap a way to give each file a new name as there is; then puts the names back.
double copyThenDeleteSeconds(const std::string& folder, int count) {
  const auto name = [&](int i) {
    char text[32];
    std::snprintf(text, sizeof text, "\\file%05d.txt", i);
    return win32kit::toWide(folder + text);
  };
  const auto begin = Clock::now();
  for (int i = 0; i < count; ++i) {
    CopyFileW(name(i).c_str(), (name(i) + L".copy").c_str(), TRUE);
    DeleteFileW(name(i).c_str());
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  for (int i = 0; i < count; ++i) MoveFileW((name(i) + L".copy").c_str(), name(i).c_str());
  return seconds;
}

}  // namespace

// `flushedCopyRate`: MB/s of a copy of `largeFile` with one flush at its end,
// `replacingCopyRate` the same with its source deleted after it, as a run
// deletes each file it has encrypted; both measured beforehand in the same run.
void benchProgramRuns(std::string largeFile, std::string folder, int count, int repetitions,
                      double flushedCopyRate, double replacingCopyRate) {
  // Typed into the path box as a user would, with backslashes.
  std::replace(largeFile.begin(), largeFile.end(), '/', '\\');
  std::replace(folder.begin(), folder.end(), '/', '\\');
  DrivenProgram program;
  if (!program.open()) {
    std::printf("Runs through tessara7.exe: the program could not be opened\n");
    return;
  }
  // A run's own cost, whatever its files: the key derivation, the window.
  const std::string tiny = largeFile + ".tiny";
  Runs tinyEncrypt, tinyDecrypt;
  for (int i = 0; i < repetitions; ++i) {
    e2e::writeFile(tiny, "x");
    tinyEncrypt.add(program.run("cmdEncrypt", tiny));
    tinyDecrypt.add(program.run("cmddecrypt", tiny + ".ts7"));
  }
  DeleteFileW(win32kit::toWide(tiny).c_str());
  const double fixedEncrypt = tinyEncrypt.median(), fixedDecrypt = tinyDecrypt.median();
  std::printf("%-44s %10.0f ms encrypting, %.0f ms decrypting (one file of one byte)\n",
              "Runs through tessara7.exe: a run's own cost", fixedEncrypt * 1000, fixedDecrypt * 1000);

  e2e::removeTree(folder);
  CreateDirectoryW(e2e::systemPath(folder).c_str(), nullptr);
  const std::string content(4096, 'x');
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\file%05d.txt", i);
    e2e::writeFile(folder + name, content);
  }
  std::vector<double> copySeconds;
  Runs encrypted, decrypted;
  for (int i = 0; i < repetitions; ++i) {
    copySeconds.push_back(copyThenDeleteSeconds(folder, count));
    encrypted.add(program.run("cmdEncrypt", folder));
    decrypted.add(program.run("cmddecrypt", folder));
  }
  const double copyRate = count / medianOf(copySeconds);
  std::printf("%-44s %10d files of 4 KiB, through the page's buttons (medians of %d)\n",
              "Runs through tessara7.exe, one folder of", count, repetitions);
  std::printf("%-44s %10.0f files/s\n", "  copy, then delete the source (the ceiling)", copyRate);
  for (const auto& [what, runs, fixed] : {std::tuple{"  Encrypt (each file flushed, read back)", &encrypted, fixedEncrypt},
                                          std::tuple{"  Decrypt (each file flushed)", &decrypted, fixedDecrypt}}) {
    if (runs->failed) {
      std::printf("%-44s %10s\n", what, "FAILED");
      continue;
    }
    const double rate = count / runs->median();
    std::printf("%-44s %10.0f files/s  %.2fx the copy; %.2f ms per file past the run's own cost%s\n", what, rate,
                rate / copyRate, (runs->median() - fixed) * 1000 / count, runs->note());
  }
  int plain = 0;
  for (const std::string& name : e2e::namesIn(folder)) plain += name.ends_with(".txt") ? 1 : 0;
  if (plain != count) std::printf("  %d of %d files came back as they were\n", plain, count);
  e2e::removeTree(folder);

  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(win32kit::toWide(largeFile).c_str(), GetFileExInfoStandard, &data);
  const double megabytes = (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1e6;
  Runs encryptLarge, decryptLarge;
  double peak = 0, before = 0;
  {
    MemoryWatch memory("tessara7.exe");
    for (int i = 0; i < repetitions; ++i) {
      encryptLarge.add(program.run("cmdEncrypt", largeFile));
      decryptLarge.add(program.run("cmddecrypt", largeFile + ".ts7"));
    }
    peak = memory.peakMegabytes();
    before = memory.baselineMegabytes();
  }
  std::printf("%-44s %10.0f MB (medians of %d)\n", "Runs through tessara7.exe, one file of", megabytes, repetitions);
  for (const auto& [what, runs, fixed] : {std::tuple{"  Encrypt", &encryptLarge, fixedEncrypt},
                                          std::tuple{"  Decrypt", &decryptLarge, fixedDecrypt}}) {
    if (runs->failed) {
      std::printf("%-44s %10s\n", what, "FAILED");
      continue;
    }
    // A run derives its key once: on one file that is a large share of it.
    const double whole = megabytes / runs->median(), past = megabytes / (runs->median() - fixed);
    std::printf("%-44s %10.0f MB/s  %.2fx the flushed copy; past the run's own cost %.0f MB/s, %.2fx, %.2fx the "
                "copy that deletes its source%s\n",
                what, whole, whole / flushedCopyRate, past, past / flushedCopyRate, past / replacingCopyRate,
                runs->note());
  }
  std::printf("%-44s %10.1f MiB (%.1f MiB before)\n", "  private memory of tessara7.exe (RssAnon), peak", peak, before);
  if (const auto abort = program.abortEncryption(largeFile))
    std::printf("%-44s %10.0f ms to \"Wait...\", %.0f ms to the end of the run\n", "  Abort pressed at 25% of the encryption",
                abort->first, abort->second);
  else
    std::printf("%-44s %10s\n", "  Abort pressed at 25% of the encryption", "FAILED");
}
