#pragma once
// What a click on the Explorer menu asks for, in the program's own terms:
// the verb, every path of the selection, and for a decryption the password
// its prompt gave. It waits for the prompt (when one is asked for) and then
// for the configuration window's one-second timer, which turns it into runs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessara::encryption {

enum class Verb { Encrypt, Decrypt };

struct ExplorerRequest {
  Verb verb = Verb::Encrypt;
  std::vector<std::string> paths;
  std::optional<std::string> password;  // a decryption's, when its prompt gave one
};

// The menu's captions are the verbs' names; anything else is no verb.
inline std::optional<Verb> verbOf(std::string_view caption) {
  if (caption == "Encrypt") return Verb::Encrypt;
  if (caption == "Decrypt") return Verb::Decrypt;
  return std::nullopt;
}

}  // namespace tessara::encryption
