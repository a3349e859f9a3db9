// libFuzzer target: the encryption component decrypting whatever bytes it is
// given as a .ts7 file. Besides the sanitizers it checks what must hold for
// any input: success leaves exactly the plain size, failure leaves no output
// and raises one error, nothing is left open and no temporary file stays.
// TS7_FUZZ_WRITE_SEEDS=folder writes seed files (real .ts7 files) and exits.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/sim/sim_files.h"
#include "tessara7/encryption/encryption_component.h"
#include "tessara7/encryption/ts7_format.h"

namespace {

using tessara::encryption::ComponentOptions;
using tessara::encryption::EncryptionComponent;

constexpr const char* Password = "fuzz";
// Seeds use few iterations, and the reader refuses more than a few more, so
// that a mutated header costs a millisecond, not a second.
const ComponentOptions Options{1000, 2000};

platform::sim::SimFiles* files;
EncryptionComponent* component;
int errors;

void check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void writeSeeds(const std::string& folder) {
  for (const std::size_t size : {0u, 1u, 100u, 65536u, 65537u, 3u * 65536u + 9u}) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 13);
    files->addFile("C:\\seed", content);
    component->setActive(true);
    check(component->encrypt("C:\\seed", "C:\\seed.ts7", Password), "seed encrypts");
    std::ofstream(folder + "/seed-" + std::to_string(size) + ".ts7", std::ios::binary)
        << *files->content("C:\\seed.ts7");
    files->deleteFile("C:\\seed");
    files->deleteFile("C:\\seed.ts7");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  files = new platform::sim::SimFiles();
  component = new EncryptionComponent(*files, Options);
  component->Error = [](int, const std::string&) { ++errors; };
  if (const char* folder = std::getenv("TS7_FUZZ_WRITE_SEEDS")) {
    writeSeeds(folder);
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  *files = platform::sim::SimFiles();
  const std::string input(reinterpret_cast<const char*>(data), size);
  files->addFile("C:\\in.ts7", input);
  errors = 0;
  component->setActive(true);
  const bool ok = component->decrypt("C:\\in.ts7", "C:\\out", Password);
  check(*files->content("C:\\in.ts7") == input, "the source is unchanged");
  check(files->openFileCount() == 0, "nothing is left open");
  if (ok) {
    check(errors == 0, "success raises no error");
    check(size >= tessara::encryption::ts7::HeaderSize, "success needs a header");
    tessara::encryption::ts7::Header header;
    tessara::encryption::ts7::parse(std::span<const std::uint8_t, tessara::encryption::ts7::HeaderSize>(data,
                                        tessara::encryption::ts7::HeaderSize), header);
    check(files->content("C:\\out")->size() == header.plainSize, "the output has the plain size");
    check(files->fileCount() == 2, "no other file");
  } else {
    check(errors == 1, "a failure raises one error");
    check(files->fileCount() == 1, "a failure leaves no output and no temporary");
  }
  return 0;
}
