#pragma once
// The SID of the user a process runs for, as text ("S-1-5-21-..."): the name
// under which the owner's choices for that user are recorded.
#include <windows.h>
#include <sddl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "shared/win32/handles.h"
#include "shared/win32/text.h"

namespace win32kit {

// Empty when the token cannot be read.
inline std::string currentUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const UniqueKernelHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<std::byte> buffer(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  const UniqueLocal freed(text);
  return toUtf8(text);
}

}  // namespace win32kit
