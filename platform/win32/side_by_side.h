#pragma once
// Many independent system calls spread over a few threads. Under Wine every
// registry call is a round trip to the server, and one thread spends most of
// it waiting; a few threads keep the server busy and read a large key three
// times as fast. On Windows the same calls scale with the cores.
#include <cstddef>
#include <functional>

namespace platform::win32 {

// Runs work(0) to work(count - 1), each exactly once, on up to `threads`
// threads (this one among them), and returns when all have run. Below
// `smallest` items, or when no thread can be started, all run on this
// thread. work must not throw.
void sideBySide(std::size_t count, const std::function<void(std::size_t)>& work, std::size_t threads = 4,
                std::size_t smallest = 64);

}  // namespace platform::win32
