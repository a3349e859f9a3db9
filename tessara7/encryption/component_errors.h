#pragma once
// The error numbers and texts of the encryption component's error event.
// Number 4 is the one the run tells apart ("Check Password"); the others are
// the component's own, each with a text that names the file and the reason.
#include <string>
#include <string_view>

#include "platform/files.h"

namespace tessara::encryption {

enum ComponentError : int {
  ErrorNone = 0,
  ErrorWrongPassword = 4,   // The password does not match <file>.
  ErrorCannotRead = 10,     // Cannot read <file>: <reason>.
  ErrorCannotWrite = 11,    // Cannot write <file>: <reason>.
  ErrorTargetExists = 12,   // <file> already exists and was left as it is.
  ErrorDamaged = 13,        // <file> is damaged or truncated.
  ErrorUnknownFormat = 14,  // <file> is not a .ts7 file of a known version.
  ErrorAborted = 15,        // Aborted: <file> was left as it was.
  ErrorVerifyFailed = 16,   // The encrypted copy of <file> did not read back intact; ...
  ErrorCryptoFailed = 17,   // The system's cryptography failed for <file>.
  ErrorBusy = 18,           // Busy with another file: <file> was not processed.
};

// The reason in words a user understands: "the disk is full", ...
std::string reasonText(const platform::FileFailure& failure);

// The error event's text for `error` about `file`; `reason` only for the
// errors whose text has one.
std::string errorText(ComponentError error, std::string_view file, std::string_view reason = {});

}  // namespace tessara::encryption
