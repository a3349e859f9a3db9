// The guard's channel is read by a service running as the system from
// whatever connects to it: only the exact requests count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shared/guard_channel.h"

namespace {

using guard_channel::Message;
using guard_channel::Request;

TEST(GuardChannel, EveryRequestRoundTripsAndNothingElseDecodes) {
  Message write = guard_channel::only(Request::WriteTries);
  write.tries = {7, 1800000030};
  Message event = guard_channel::only(Request::Record);
  event.kind = history::Kind::PasswordWrong;
  event.detail = "for the configuration";
  Message page = guard_channel::only(Request::ReadHistory);
  page.from = 300;
  for (const Message& message :
       {guard_channel::only(Request::Exit), guard_channel::only(Request::HandOver),
        guard_channel::only(Request::SessionEnds), guard_channel::only(Request::ReadTries),
        guard_channel::only(Request::Running), guard_channel::only(Request::ClearHistory), write, event, page}) {
    const auto decoded = guard_channel::decode(guard_channel::encode(message));
    ASSERT_TRUE(decoded.has_value()) << guard_channel::encode(message);
    EXPECT_EQ(decoded->request, message.request);
    EXPECT_EQ(decoded->tries, message.tries);
    EXPECT_EQ(decoded->kind, message.kind);
    EXPECT_EQ(decoded->detail, message.detail);
    EXPECT_EQ(decoded->from, message.from);
  }
  // A detail cannot add fields or lines to the service's file.
  event.detail = "a\tb\nc";
  EXPECT_EQ(guard_channel::decode(guard_channel::encode(event))->detail, "a b c");
  for (const char* text : {"", "exit", "EXIT ", "TRIES", "TRIES 1", "TRIES 1 ", "TRIES 1 2 3", "TRIES -1 5",
                           "TRIES 1 -5", "TRIES 4294967296 5", "TRIES x y", "RUNNING\n", "TRIES? ",
                           "EVENT Nonsense\tx", "EVENT Exit", "HISTORY? ", "HISTORY? -1", "HISTORY? 1 2"})
    EXPECT_FALSE(guard_channel::decode(text).has_value()) << '"' << text << '"';
  EXPECT_FALSE(guard_channel::decode(std::string(2000, 'E')).has_value());

  EXPECT_EQ(guard_channel::decodeTries(guard_channel::encodeTries({5, 42})), (guard_channel::Tries{5, 42}));
  EXPECT_FALSE(guard_channel::decodeTries("OK").has_value());
  EXPECT_FALSE(guard_channel::decodeTries("REFUSED").has_value());
}

// The history comes back in pages that fit the pipe, each entry with its
// flags, the last page holding what is left.
TEST(GuardChannel, TheHistoryIsServedInPagesThatFitAndReadBackWhole) {
  std::vector<history::Entry> entries;
  for (int i = 0; i < 400; ++i)
    entries.push_back({{"2026-12-09T10:00:00Z", "PC\\ann", 1, history::Kind::Locked,
                        "\"Window " + std::to_string(i) + "\" " + std::string(300, 'x')},
                       i != 7, i % 50 != 3});
  std::vector<history::Entry> read;
  while (read.size() < entries.size()) {
    std::size_t taken = 0;
    const std::string reply =
        guard_channel::encodeHistoryPage(entries.size(), std::span(entries).subspan(read.size()), taken);
    ASSERT_LE(reply.size(), guard_channel::MaxReplyBytes);
    ASSERT_GT(taken, 0u);
    const auto page = guard_channel::decodeHistoryPage(reply);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->total, entries.size());
    ASSERT_EQ(page->entries.size(), taken);
    read.insert(read.end(), page->entries.begin(), page->entries.end());
  }
  ASSERT_EQ(read.size(), entries.size());
  for (std::size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].event, entries[i].event) << i;
    EXPECT_EQ(read[i].intact, entries[i].intact) << i;
    EXPECT_EQ(read[i].readable, entries[i].readable) << i;
  }
  EXPECT_FALSE(guard_channel::decodeHistoryPage("HISTORY 1\n11\tno fields\n").has_value());
  EXPECT_FALSE(guard_channel::decodeHistoryPage("OK").has_value());
}

}  // namespace
