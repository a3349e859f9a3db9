#include "history/history_line.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "platform/crypto.h"
#include "shared/hex.h"

namespace history {
namespace {

constexpr std::size_t MaxUserBytes = 128;

std::optional<Mac> macFromHex(std::string_view text) {
  const auto bytes = hex::fromHex(text, Mac{}.size());
  if (!bytes) return std::nullopt;
  Mac mac{};
  std::copy(bytes->begin(), bytes->end(), mac.begin());
  return mac;
}

}  // namespace

std::string cleanField(std::string_view text, std::size_t maxBytes) {
  std::string clean(text.substr(0, maxBytes));
  // Never cut inside a character: drop continuation bytes left at the end.
  if (text.size() > maxBytes) {
    std::size_t end = clean.size();
    while (end > 0 && (static_cast<unsigned char>(clean[end - 1]) & 0xC0) == 0x80) --end;
    if (end > 0 && static_cast<unsigned char>(clean[end - 1]) >= 0xC0) --end;
    else end = clean.size();
    clean.resize(end);
  }
  for (char& c : clean)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return clean;
}

std::string lineBody(const Event& event) {
  return cleanField(event.time, 40) + '\t' + cleanField(event.user, MaxUserBytes) + '\t' +
         std::to_string(event.session) + '\t' + std::string(nameOf(event.kind)) + '\t' + cleanField(event.detail);
}

std::optional<Mac> chainMac(std::span<const std::uint8_t> key, const Mac& previous, std::string_view body) {
  std::vector<std::uint8_t> data(previous.begin(), previous.end());
  data.insert(data.end(), body.begin(), body.end());
  Mac mac{};
  if (!platform::crypto::hmacSha256(key, data, mac)) return std::nullopt;
  return mac;
}

std::optional<std::string> formatLine(const Event& event, std::span<const std::uint8_t> key, const Mac& previous,
                                      Mac& mac) {
  std::string line = lineBody(event);
  const auto computed = chainMac(key, previous, line);
  if (!computed) return std::nullopt;
  mac = *computed;
  return line + '\t' + hex::toHex(mac);
}

std::optional<ParsedLine> parseLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::array<std::string_view, 6> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::size_t tab = line.find('\t', start);
    if ((tab == std::string_view::npos) != (i + 1 == fields.size())) return std::nullopt;
    fields[i] = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    start = tab + 1;
  }
  ParsedLine parsed;
  const auto kind = kindNamed(fields[3]);
  const auto mac = macFromHex(fields[5]);
  const auto& session = fields[2];
  const auto [end, error] = std::from_chars(session.data(), session.data() + session.size(), parsed.event.session);
  if (!kind || !mac || error != std::errc() || end != session.data() + session.size() || session.empty())
    return std::nullopt;
  parsed.event.time = std::string(fields[0]);
  parsed.event.user = std::string(fields[1]);
  parsed.event.kind = *kind;
  parsed.event.detail = std::string(fields[4]);
  parsed.mac = *mac;
  parsed.body = std::string(line.substr(0, line.size() - fields[5].size() - 1));
  return parsed;
}

Entry ChainCheck::next(std::string_view line) {
  const bool first = first_;
  first_ = false;
  auto parsed = parseLine(line);
  if (!parsed) {
    // Nothing to chain the next line to: it starts afresh.
    previousKnown_ = false;
    Entry unreadable{Event{}, false, false};
    unreadable.event.detail = cleanField(line);
    return unreadable;
  }
  const auto expected = chainMac(key_, previous_, parsed->body);
  const bool holds = expected && *expected == parsed->mac;
  const bool unchecked = !previousKnown_ || (first && lenient_);
  previous_ = parsed->mac;
  previousKnown_ = true;
  return Entry{std::move(parsed->event), true, holds || unchecked};
}

}  // namespace history
