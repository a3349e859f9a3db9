#pragma once
// A Windows program of the benchmarks seen from the Linux side. Under Wine,
// GetProcessTimes of another process stops advancing after its start and
// PrivateUsage stays 0; /proc (drive Z:) has the figures of the Linux process
// that runs the program.
#include <string>

// Z:\proc\<pid>\ of the one Linux process whose command line names the
// program (lower case, e.g. "tessara7.exe"); empty when there is none.
std::wstring unixProcessDir(const std::string& exeName);
// utime + stime of /proc/<pid>/stat in ms (clock ticks of 10 ms); -1 when unknown.
double unixCpuMilliseconds(const std::wstring& dir);
// A "Name:   1234 kB" line of /proc/<pid>/status in MiB; -1 when missing.
double unixStatusMiB(const std::wstring& dir, const std::string& name);
