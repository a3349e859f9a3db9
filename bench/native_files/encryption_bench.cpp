// The encryption component natively, over real files (OpenSSL, POSIX files):
// one large file encrypted and decrypted in whole calls, each output flushed
// and an encryption checked as under Windows, beside a copy of the same file
// with one fsync at its end on the same disk; each call derives its key, as
// a run does. scripts/bench prints the
// native tools' figures on the same file after these. Figures only.
//
// Usage: native_encryption_bench FILE [REPETITIONS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_stats.h"
#include "platform/posix/posix_files.h"
#include "tessara7/encryption/encryption_component.h"

namespace {

using bench::Clock;
using bench::medianOf;
using bench::secondsSince;

bool flushedCopy(platform::posix::PosixFiles& files, const std::string& from, const std::string& to) {
  if (!files.copyFile(from, to)) return false;
  auto out = files.openRead(to);
  return out && out->flush();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [REPETITIONS]\n", argv[0]);
    return 2;
  }
  const std::string file = argv[1];
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  platform::posix::PosixFiles files;
  auto source = files.openRead(file);
  const auto size = source ? source->size() : std::nullopt;
  source.reset();
  if (!size) {
    std::fprintf(stderr, "native encryption: cannot open %s\n", file.c_str());
    return 2;
  }
  const double megabytes = static_cast<double>(*size) / 1e6;
  const std::string sealed = file + ".ts7", plain = file + ".out", copy = file + ".copy";
  for (const std::string& leftover : {sealed, plain, copy}) files.deleteFile(leftover);

  tessara::encryption::EncryptionComponent component(files);
  std::string error;
  component.Error = [&](int number, const std::string& text) { error = std::to_string(number) + " " + text; };
  // The key derivation alone, on a tiny file.
  const std::string tiny = file + ".tiny";
  { auto out = files.createNew(tiny); }
  auto begin = Clock::now();
  component.setActive(true);
  component.encrypt(tiny, tiny + ".ts7", "benchmark password");
  const double derivation = secondsSince(begin);
  files.deleteFile(tiny);
  files.deleteFile(tiny + ".ts7");

  std::vector<double> copyRates, encryptRates, decryptRates;
  for (int i = 0; i < repetitions && error.empty(); ++i) {
    begin = Clock::now();
    if (!flushedCopy(files, file, copy)) error = "the copy failed: " + files.lastFailure().reason;
    copyRates.push_back(megabytes / secondsSince(begin));
    files.deleteFile(copy);

    // Each call derives its key anew, as a run of the program does.
    component.forgetKeys();
    begin = Clock::now();
    component.setActive(true);
    if (!component.encrypt(file, sealed, "benchmark password")) break;
    encryptRates.push_back(megabytes / secondsSince(begin));

    component.forgetKeys();
    begin = Clock::now();
    component.setActive(true);
    if (!component.decrypt(sealed, plain, "benchmark password")) break;
    decryptRates.push_back(megabytes / secondsSince(begin));
    files.deleteFile(sealed);
    files.deleteFile(plain);
  }
  if (!error.empty()) {
    std::fprintf(stderr, "native encryption: %s\n", error.c_str());
    return 1;
  }
  std::printf("%-44s %10.0f MB/s (median of %d)\n", "  copy, then fsync (the ceiling)", medianOf(copyRates),
              repetitions);
  std::printf("%-44s %10.0f MB/s  %.2fx the flushed copy\n", "  component, encrypt (write, flush, check, name)",
              medianOf(encryptRates), medianOf(encryptRates) / medianOf(copyRates));
  std::printf("%-44s %10.0f MB/s  %.2fx the flushed copy\n", "  component, decrypt (authenticate, write, flush)",
              medianOf(decryptRates), medianOf(decryptRates) / medianOf(copyRates));
  std::printf("%-44s %10.0f ms\n", "  key derivation (in each call above)", derivation * 1000);
  return 0;
}
