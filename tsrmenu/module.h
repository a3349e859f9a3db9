#pragma once
// What the whole DLL shares: its instance, and the count of live objects and
// server locks that tells DllCanUnloadNow whether it may go.
#include <windows.h>

#include <atomic>

namespace tsrmenu {

inline HINSTANCE g_instance = nullptr;
inline std::atomic<long> g_liveObjects{0};
inline std::atomic<long> g_serverLocks{0};

// Counts one live object for as long as it exists.
class ModuleReference {
 public:
  ModuleReference() { ++g_liveObjects; }
  ~ModuleReference() { --g_liveObjects; }
  ModuleReference(const ModuleReference&) = delete;
  ModuleReference& operator=(const ModuleReference&) = delete;
};

}  // namespace tsrmenu
