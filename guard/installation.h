#pragma once
// What the setup asks of the guard program, with the installing
// administrator's rights, besides the service: rights on the install folder
// that keep users from replacing the programs, the spare copy of the main
// program in Tessara's data folder, and the program's SHA-256 in a key only
// administrators write, by which the file protector knows a true spare.
#include <windows.h>

#include <string>

namespace guard {

// Administrators and SYSTEM full, users read and run, on the folder and all
// it holds, wherever it is.
DWORD secureInstallFolder(const std::wstring& folder);
// Creates Tessara's data folder with those rights (or gives them to the one
// that is there).
DWORD makeDataFolder();
// Creates the data folder with those rights, copies the program there
// (hidden), and records its SHA-256.
DWORD placeSpareCopy(const std::wstring& program);
// The SHA-256 of a file in lower-case hex, or empty when it cannot be read.
std::string fileSha256Hex(const std::wstring& path);

}  // namespace guard
