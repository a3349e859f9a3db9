#include "tessara7/encryption/component_errors.h"

namespace tessara::encryption {

std::string reasonText(const platform::FileFailure& failure) {
  using platform::FileError;
  switch (failure.error) {
    case FileError::NotFound: return "it does not exist";
    case FileError::AccessDenied: return "access is denied";
    case FileError::InUse: return "the file is in use by another program";
    case FileError::DiskFull: return "the disk is full";
    case FileError::AlreadyExists: return "a file of that name already exists";
    case FileError::None:
    case FileError::Other: break;
  }
  return failure.reason.empty() ? std::string("the system reported an error") : failure.reason;
}

std::string errorText(ComponentError error, std::string_view file, std::string_view reason) {
  const std::string name(file);
  switch (error) {
    case ErrorWrongPassword: return "The password does not match " + name + ".";
    case ErrorCannotRead: return "Cannot read " + name + ": " + std::string(reason) + ".";
    case ErrorCannotWrite: return "Cannot write " + name + ": " + std::string(reason) + ".";
    case ErrorTargetExists: return name + " already exists and was left as it is.";
    case ErrorDamaged: return name + " is damaged or truncated.";
    case ErrorUnknownFormat: return name + " is not a .ts7 file of a known version.";
    case ErrorAborted: return "Aborted: " + name + " was left as it was.";
    case ErrorVerifyFailed:
      return "The encrypted copy of " + name + " did not read back intact (" + std::string(reason) +
             "); the file was left as it is.";
    case ErrorCryptoFailed: return "The system's cryptography failed for " + name + ".";
    case ErrorBusy: return "Busy with another file: " + name + " was not processed.";
    case ErrorNone: break;
  }
  return {};
}

}  // namespace tessara::encryption
