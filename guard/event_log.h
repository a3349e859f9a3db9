#pragma once
// A service has no window: what goes wrong is written to the event log.
#include <windows.h>

#include <string>

#include "shared/names.h"
#include "shared/win32/text.h"

namespace guard {

// Event 1 of `sourceName`, whose message file (if any) shows the text as it stands.
inline void logEvent(WORD type, const std::string& text, const char* sourceName = names::GuardService) {
  HANDLE source = RegisterEventSourceW(nullptr, win32kit::toWide(sourceName).c_str());
  if (!source) return;
  const std::wstring wide = win32kit::toWide(text);
  const wchar_t* strings[] = {wide.c_str()};
  ReportEventW(source, type, 0, 1, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
}

}  // namespace guard
