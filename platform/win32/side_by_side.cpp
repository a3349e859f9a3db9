#include "platform/win32/side_by_side.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace platform::win32 {

void sideBySide(std::size_t count, const std::function<void(std::size_t)>& work, std::size_t threads,
                std::size_t smallest) {
  // Items are handed out one at a time, so a thread that starts late or
  // stalls holds up no block of them.
  std::atomic<std::size_t> next{0};
  auto drain = [&] {
    for (std::size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1)) work(i);
  };
  std::vector<std::thread> helpers;
  if (count >= smallest) {
    for (std::size_t n = 1; n < threads; ++n) {
      try {
        helpers.emplace_back(drain);
      } catch (const std::system_error&) {
        break;  // fewer helpers; this thread still drains what is left
      }
    }
  }
  drain();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace platform::win32
