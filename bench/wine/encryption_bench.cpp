// Encryption benchmarks on one large file under Wine: a plain CopyFileW of
// it beside the encryption component encrypting and decrypting it (CNG, real
// files, every output flushed and an encryption checked), the key
// derivation on its own, the process's private memory meanwhile, the longest
// gap between the component's "let events run" calls, and how long an abort
// takes. Figures only; nothing here passes or fails.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_stats.h"
#include "bench/wine/process_memory.h"
#include "bench/wine/timed_files.h"
#include "shared/win32/text.h"
#include "platform/win32/win32_files.h"
#include "tessara7/encryption/encryption_component.h"

namespace {

using bench::Clock;
using bench::medianOf;
using bench::secondsSince;

}  // namespace

// Many small files through the component, as a run over one folder would
// hand them over (each output flushed, the source deleted after it): files
// per second each way, with the run's one key derivation already done.
void benchSmallFiles(platform::win32::Win32Files& files, tessara::encryption::EncryptionComponent& component,
                     const std::string& folder, int count) {
  CreateDirectoryW(win32kit::toWide(folder).c_str(), nullptr);
  const std::string content(4096, 'x');
  for (int i = 0; i < count; ++i) {
    auto out = files.createNew(folder + "\\file" + std::to_string(i) + ".txt");
    if (out) out->write({reinterpret_cast<const std::uint8_t*>(content.data()), content.size()});
  }
  // The ceiling: CopyFileW of each to a new name, then deleting the source,
  // as cheap a way to give every file a new name as there is.
  auto begin = Clock::now();
  for (int i = 0; i < count; ++i) {
    const std::wstring source = win32kit::toWide(folder + "\\file" + std::to_string(i) + ".txt");
    CopyFileW(source.c_str(), (source + L".copy").c_str(), TRUE);
    DeleteFileW(source.c_str());
  }
  const double copySeconds = secondsSince(begin);
  for (int i = 0; i < count; ++i) {
    const std::wstring source = win32kit::toWide(folder + "\\file" + std::to_string(i) + ".txt");
    MoveFileW((source + L".copy").c_str(), source.c_str());
  }
  int failures = 0;
  // The same component on a file system that times every call.
  TimedFiles timed(files);
  tessara::encryption::EncryptionComponent timedComponent(timed);
  timedComponent.LetEventsRun = component.LetEventsRun;
  timedComponent.Error = component.Error;
  { auto tiny = files.createNew(folder + "\\tiny"); }
  timedComponent.setActive(true);
  timedComponent.encrypt(folder + "\\tiny", folder + "\\tiny.ts7", "benchmark password");  // the derivation
  files.deleteFile(folder + "\\tiny");
  files.deleteFile(folder + "\\tiny.ts7");
  timed.reset();
  // As the run does: the source held from its reading and deleted through its handle.
  timedComponent.holdSources(true);
  std::string why;
  begin = Clock::now();
  for (int i = 0; i < count; ++i) {
    const std::string source = folder + "\\file" + std::to_string(i) + ".txt";
    timedComponent.setActive(true);
    if (!timedComponent.encrypt(source, source + ".ts7", "benchmark password") ||
        !timedComponent.deleteSource(source, why))
      ++failures;
  }
  const double encryptSeconds = secondsSince(begin);
  const TimedFiles::Split encryptCalls = timed.split();
  timed.reset();
  begin = Clock::now();
  for (int i = 0; i < count; ++i) {
    const std::string source = folder + "\\file" + std::to_string(i) + ".txt.ts7";
    timedComponent.setActive(true);
    if (!timedComponent.decrypt(source, source.substr(0, source.size() - 4), "benchmark password") ||
        !timedComponent.deleteSource(source, why))
      ++failures;
  }
  const double decryptSeconds = secondsSince(begin);
  for (const auto& entry : files.list(folder)) files.deleteFile(folder + "\\" + entry.name);
  RemoveDirectoryW(win32kit::toWide(folder).c_str());
  std::printf("%-44s %10d files of 4 KiB%s\n", "Encryption, one folder of", count, failures ? " (some FAILED)" : "");
  std::printf("%-44s %10.0f files/s  %.2f ms per file\n", "  CopyFileW to a new name, delete the source",
              count / copySeconds, copySeconds * 1000 / count);
  std::printf("%-44s %10.0f files/s  %.2f ms per file\n", "  encrypt, then delete the source", count / encryptSeconds,
              encryptSeconds * 1000 / count);
  std::printf("%-44s %10.0f files/s  %.2f ms per file\n", "  decrypt, then delete the .ts7", count / decryptSeconds,
              decryptSeconds * 1000 / count);
  // Where a file's time goes: milliseconds per call, and calls per file.
  const auto split = [count](const char* what, const TimedFiles::Split& calls) {
    std::printf("    %-40s", what);
    const std::pair<const char*, TimedFiles::Call> kinds[] = {
        {"create", TimedFiles::Create}, {"open", TimedFiles::Open},     {"write", TimedFiles::Write},
        {"flush", TimedFiles::Flush},   {"read", TimedFiles::Read},     {"rename", TimedFiles::Rename},
        {"delete", TimedFiles::Delete}, {"attributes", TimedFiles::Attributes}, {"time", TimedFiles::Other}};
    for (const auto& [name, call] : kinds)
      if (calls.calls[call]) std::printf(" %s %.2f ms x%.0f,", name, calls.averageMs(call), double(calls.calls[call]) / count);
    std::printf("\n");
  };
  split("encrypt, ms per call x calls per file:", encryptCalls);
  split("decrypt, ms per call x calls per file:", timed.split());
}

// encryption_run_bench.cpp
void benchProgramRuns(std::string largeFile, std::string folder, int count, int repetitions, double flushedCopyRate,
                      double replacingCopyRate);

int runEncryptionBenchmarks(const std::string& file, int repetitions) {
  platform::win32::Win32Files files;
  const std::wstring wide = win32kit::toWide(file);
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
    std::fprintf(stderr, "encryption: cannot find %s\n", file.c_str());
    return 2;
  }
  const double megabytes = (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1e6;
  const std::string sealed = file + ".ts7", copy = file + ".copy", plain = file + ".out";
  for (const std::string& leftover : {sealed, copy, plain}) files.deleteFile(leftover);

  tessara::encryption::EncryptionComponent component(files);
  Clock::time_point lastEvents = Clock::now();
  double longestGap = 0;
  component.LetEventsRun = [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    longestGap = std::max(longestGap, secondsSince(lastEvents));
    lastEvents = Clock::now();
  };
  std::string error;
  component.Error = [&](int number, const std::string& text) { error = std::to_string(number) + " " + text; };

  // The run's one key derivation (600,000 iterations), measured on a tiny file.
  const std::string tiny = file + ".tiny";
  { auto out = files.createNew(tiny); }
  auto begin = Clock::now();
  component.setActive(true);
  component.encrypt(tiny, tiny + ".ts7", "benchmark password");
  const double derivation = secondsSince(begin);
  files.deleteFile(tiny);
  files.deleteFile(tiny + ".ts7");

  // AES-GCM alone, in memory, 64 KiB per call, as the component calls it.
  double aesRate = 0;
  {
    std::vector<std::uint8_t> plainChunk(65536, 7), cipherChunk(65536);
    std::array<std::uint8_t, 16> key{}, tag{};
    std::array<std::uint8_t, 12> nonce{};
    platform::crypto::AesGcm aes(key);
    const int chunks = 4096;  // 256 MiB
    begin = Clock::now();
    for (int i = 0; i < chunks; ++i) aes.seal(nonce, {}, plainChunk, cipherChunk, tag);
    aesRate = chunks * 65536.0 / 1e6 / secondsSince(begin);
  }

  std::vector<double> copyRates, flushedCopyRates, replacingCopyRates, encryptRates, decryptRates;
  MemoryWatch memory("wine_bench.exe encryption");
  for (int i = 0; i < repetitions && error.empty(); ++i) {
    begin = Clock::now();
    if (!CopyFileW(wide.c_str(), win32kit::toWide(copy).c_str(), TRUE)) error = "CopyFileW failed";
    copyRates.push_back(megabytes / secondsSince(begin));
    files.deleteFile(copy);

    // The same copy made durable, as the component makes its output.
    begin = Clock::now();
    CopyFileW(wide.c_str(), win32kit::toWide(copy).c_str(), TRUE);
    const HANDLE handle = CreateFileW(win32kit::toWide(copy).c_str(), GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle)) error = "FlushFileBuffers failed";
    CloseHandle(handle);
    flushedCopyRates.push_back(megabytes / secondsSince(begin));
    files.deleteFile(copy);

    // The same, and the source deleted, as a run through the program
    // replaces each file: a source already on the disk, as a user's is.
    const std::wstring copyName = win32kit::toWide(copy);
    if (!CopyFileW(wide.c_str(), copyName.c_str(), TRUE)) error = "CopyFileW failed";
    const HANDLE first = CreateFileW(copyName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (first == INVALID_HANDLE_VALUE || !FlushFileBuffers(first)) error = "FlushFileBuffers failed";
    CloseHandle(first);
    begin = Clock::now();
    CopyFileW(copyName.c_str(), (copyName + L"2").c_str(), TRUE);
    const HANDLE second = CreateFileW((copyName + L"2").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (second == INVALID_HANDLE_VALUE || !FlushFileBuffers(second)) error = "FlushFileBuffers failed";
    CloseHandle(second);
    DeleteFileW(copyName.c_str());
    replacingCopyRates.push_back(megabytes / secondsSince(begin));
    DeleteFileW((copyName + L"2").c_str());

    begin = Clock::now();
    lastEvents = begin;
    component.setActive(true);
    // A failure is reported as it is, not hidden behind the decryption's.
    if (!component.encrypt(file, sealed, "benchmark password")) break;
    encryptRates.push_back(megabytes / secondsSince(begin));

    begin = Clock::now();
    lastEvents = begin;
    component.setActive(true);
    component.decrypt(sealed, plain, "benchmark password");
    decryptRates.push_back(megabytes / secondsSince(begin));
    files.deleteFile(sealed);
    files.deleteFile(plain);
  }
  // Gaps are measured inside the calls only.
  const double longestGapInCalls = longestGap;
  const double peakMemory = memory.peakMegabytes();
  const double baselineMemory = memory.baselineMegabytes();
  if (!error.empty()) {
    std::fprintf(stderr, "encryption: %s\n", error.c_str());
    return 1;
  }

  // Abort from the progress event a quarter of the way through: the time to
  // the error event, and to the return (which deletes the partial output).
  Clock::time_point aborted;
  double abortToEventMs = 0;
  bool asked = false;
  component.Progress = [&](int percent) {
    if (percent >= 25 && !asked) {
      asked = true;
      aborted = Clock::now();
      component.abort();
    }
  };
  component.Error = [&](int, const std::string&) { abortToEventMs = secondsSince(aborted) * 1000; };
  component.setActive(true);
  component.encrypt(file, sealed, "benchmark password");
  const double abortMs = secondsSince(aborted) * 1000;

  std::printf("%-44s %10s\n", "Encryption, one file of", (std::to_string(static_cast<long>(megabytes)) + " MB").c_str());
  std::printf("%-44s %10.0f MB/s (median of %d)\n", "  CopyFileW (the ceiling)", medianOf(copyRates), repetitions);
  std::printf("%-44s %10.0f MB/s\n", "  CopyFileW, then FlushFileBuffers", medianOf(flushedCopyRates));
  std::printf("%-44s %10.0f MB/s\n", "  the same, then the source deleted", medianOf(replacingCopyRates));
  // The flushed copy is the fair ceiling: every output here is flushed too.
  std::printf("%-44s %10.0f MB/s  %.2fx the copy, %.2fx the flushed copy\n", "  encrypt (write, flush, check, name)",
              medianOf(encryptRates), medianOf(encryptRates) / medianOf(copyRates),
              medianOf(encryptRates) / medianOf(flushedCopyRates));
  std::printf("%-44s %10.0f MB/s  %.2fx the copy, %.2fx the flushed copy\n",
              "  decrypt (authenticate, write, flush, name)", medianOf(decryptRates),
              medianOf(decryptRates) / medianOf(copyRates), medianOf(decryptRates) / medianOf(flushedCopyRates));
  std::printf("%-44s %10.0f MB/s\n", "  AES-128-GCM alone, in memory", aesRate);
  std::printf("%-44s %10.0f ms\n", "  key derivation (600,000 iterations, once)", derivation * 1000);
  std::printf("%-44s %10.1f MiB (%.1f MiB before)\n", "  private memory (RssAnon), peak in the runs", peakMemory,
              baselineMemory);
  std::printf("%-44s %10.1f ms\n", "  longest gap between event runs", longestGapInCalls * 1000);
  std::printf("%-44s %10.1f ms (%.1f ms to the error event)\n", "  abort to return", abortMs, abortToEventMs);

  component.Progress = nullptr;
  component.Error = [&](int number, const std::string& text) { error = std::to_string(number) + " " + text; };
  std::printf("\n");
  const char* count = std::getenv("TESSARA_BENCH_SMALL_FILES");
  const int smallFiles = count ? std::atoi(count) : 10000;
  benchSmallFiles(files, component, file + ".folder", smallFiles);
  std::printf("\n");
  benchProgramRuns(file, file + ".run", smallFiles, std::max(repetitions, 1), medianOf(flushedCopyRates),
                   medianOf(replacingCopyRates));
  return 0;
}
