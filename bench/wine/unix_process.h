#pragma once
// A Windows program of the benchmarks seen from the Linux side. Under Wine,
// GetProcessTimes of another process stops advancing after its start and
// PrivateUsage stays 0; /proc (drive Z:) has the figures of the Linux process
// that runs the program.
#include <string>

// Z:\proc\<pid>\ of the Linux process whose command line names the program
// by its full Windows path (any case, either slash); empty when there is none.
// The full path, because other worktrees on the machine run their own copies.
std::wstring unixProcessDir(const std::wstring& programPath);
// utime + stime of /proc/<pid>/stat in ms (clock ticks of 10 ms); -1 when unknown.
double unixCpuMilliseconds(const std::wstring& dir);
// A "Name:   1234 kB" line of /proc/<pid>/status in MiB; -1 when missing.
double unixStatusMiB(const std::wstring& dir, const std::string& name);
