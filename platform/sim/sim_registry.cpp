#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/sim/fold.h"

namespace platform::sim {

struct SimRegistry::Key {
  struct NamedValue {
    std::string name;
    Value value;
  };
  std::string name;
  std::map<std::string, std::unique_ptr<Key>> children;  // by folded name
  std::vector<NamedValue> values;                        // in creation order

  NamedValue* findValue(std::string_view valueName) {
    const std::string folded = fold(valueName);
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const NamedValue& v) { return fold(v.name) == folded; });
    return found == values.end() ? nullptr : &*found;
  }
};

namespace {

// A path's parts; std::nullopt for a malformed path (an empty part, as a
// leading, trailing or doubled backslash makes), which the registry refuses.
std::optional<std::vector<std::string_view>> split(std::string_view path) {
  std::vector<std::string_view> parts;
  if (path.empty()) return parts;
  for (;;) {
    const auto slash = path.find('\\');
    const std::string_view part = path.substr(0, slash);
    if (part.empty()) return std::nullopt;
    parts.push_back(part);
    if (slash == std::string_view::npos) return parts;
    path.remove_prefix(slash + 1);
  }
}

// Text values end at the first NUL, as the real registry layer reads them.
Value normalised(Value value) {
  if (value.type == ValueType::String) {
    if (const auto nul = value.text.find('\0'); nul != std::string::npos) value.text.resize(nul);
  }
  return value;
}

}  // namespace

SimRegistry::SimRegistry() : machine_(std::make_unique<Key>()), user_(std::make_unique<Key>()) {}
SimRegistry::~SimRegistry() = default;

SimRegistry::Key* SimRegistry::find(Root root, std::string_view path) {
  const auto parts = split(path);
  if (!parts) return nullptr;
  Key* key = root == Root::Machine ? machine_.get() : user_.get();
  for (const std::string_view part : *parts) {
    const auto child = key->children.find(fold(part));
    if (child == key->children.end()) return nullptr;
    key = child->second.get();
  }
  return key;
}

SimRegistry::Key* SimRegistry::createPath(Root root, std::string_view path) {
  if (Key* existing = find(root, path)) return existing;
  const auto parts = split(path);
  if (!parts || !(root == Root::Machine ? machineWritable_ : userWritable_)) return nullptr;
  Key* key = root == Root::Machine ? machine_.get() : user_.get();
  for (const std::string_view part : *parts) {
    auto& child = key->children[fold(part)];
    if (!child) {
      child = std::make_unique<Key>();
      child->name = std::string(part);
    }
    key = child.get();
  }
  return key;
}

bool SimRegistry::writeValue(Root root, std::string_view key, std::string_view name, Value value) {
  if (!(root == Root::Machine ? machineWritable_ : userWritable_)) return false;
  Key* target = createPath(root, key);
  if (target == nullptr) return false;
  if (auto* existing = target->findValue(name)) {
    existing->value = normalised(std::move(value));
  } else {
    target->values.push_back({std::string(name), normalised(std::move(value))});
  }
  return true;
}

bool SimRegistry::keyExists(Root root, std::string_view key) { return find(root, key) != nullptr; }

std::optional<Value> SimRegistry::read(Root root, std::string_view key, std::string_view name) {
  Key* target = find(root, key);
  if (target == nullptr) return std::nullopt;
  const auto* value = target->findValue(name);
  if (value == nullptr) return std::nullopt;
  return value->value;
}

bool SimRegistry::writeString(Root root, std::string_view key, std::string_view name,
                              std::string_view text) {
  return writeValue(root, key, name, Value{ValueType::String, std::string(text), 0});
}

bool SimRegistry::writeDword(Root root, std::string_view key, std::string_view name,
                             std::uint32_t value) {
  return writeValue(root, key, name, Value{ValueType::Dword, {}, value});
}

bool SimRegistry::createKey(Root root, std::string_view key) { return createPath(root, key) != nullptr; }

bool SimRegistry::deleteKey(Root root, std::string_view key) {
  if (!(root == Root::Machine ? machineWritable_ : userWritable_)) return false;
  const auto parts = split(key);
  if (!parts || parts->empty()) return false;  // the root itself is never deleted
  const auto lastSlash = key.rfind('\\');
  Key* parent = find(root, lastSlash == std::string_view::npos ? std::string_view{} : key.substr(0, lastSlash));
  if (parent == nullptr) return false;
  const auto child = parent->children.find(fold(parts->back()));
  if (child == parent->children.end() || !child->second->children.empty()) return false;
  parent->children.erase(child);
  return true;
}

bool SimRegistry::deleteValue(Root root, std::string_view key, std::string_view name) {
  if (!(root == Root::Machine ? machineWritable_ : userWritable_)) return false;
  Key* target = find(root, key);
  if (target == nullptr) return false;
  const auto* value = target->findValue(name);
  if (value == nullptr) return false;
  target->values.erase(target->values.begin() + (value - target->values.data()));
  return true;
}

std::vector<std::string> SimRegistry::subKeys(Root root, std::string_view key) {
  std::vector<std::string> names;
  if (Key* target = find(root, key))
    for (const auto& [folded, child] : target->children) names.push_back(child->name);
  return names;
}

std::vector<std::string> SimRegistry::valueNames(Root root, std::string_view key) {
  std::vector<std::string> names;
  if (Key* target = find(root, key))
    for (const auto& value : target->values) names.push_back(value.name);
  return names;
}

std::vector<NamedValue> SimRegistry::readAll(Root root, std::string_view key) {
  std::vector<NamedValue> values;
  if (Key* target = find(root, key))
    for (const auto& value : target->values) values.push_back({value.name, value.value});
  return values;
}

void SimRegistry::plant(Root root, std::string_view key, std::string_view name, Value value) {
  bool& writable = root == Root::Machine ? machineWritable_ : userWritable_;
  const bool wasWritable = std::exchange(writable, true);
  writeValue(root, key, name, std::move(value));
  writable = wasWritable;
}

void SimRegistry::setWritable(Root root, bool writable) {
  (root == Root::Machine ? machineWritable_ : userWritable_) = writable;
}

namespace {

std::size_t countKeys(const auto& key) {
  std::size_t count = 0;
  for (const auto& [folded, child] : key.children) count += 1 + countKeys(*child);
  return count;
}

void dumpKey(const auto& key, const std::string& path, std::string& out) {
  for (const auto& [name, value] : key.values) {
    out += path + " \"" + name + "\" = ";
    switch (value.type) {
      case ValueType::String: out += "\"" + value.text + "\""; break;
      case ValueType::Dword: out += "dword:" + std::to_string(value.dword); break;
      case ValueType::Other: out += "(other)"; break;
    }
    out += '\n';
  }
  for (const auto& [folded, child] : key.children) {
    const std::string childPath = path.empty() ? child->name : path + "\\" + child->name;
    out += childPath + '\n';
    dumpKey(*child, childPath, out);
  }
}

}  // namespace

std::size_t SimRegistry::keyCount(Root root) const {
  return countKeys(root == Root::Machine ? *machine_ : *user_);
}

std::string SimRegistry::dump(Root root) const {
  std::string out;
  dumpKey(root == Root::Machine ? *machine_ : *user_, "", out);
  return out;
}

}  // namespace platform::sim
