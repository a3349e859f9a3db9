// The guard's channel is read by a service running as the system from
// whatever connects to it: only the exact requests count.
#include <gtest/gtest.h>

#include <string>

#include "shared/guard_channel.h"

namespace {

using guard_channel::Message;
using guard_channel::Request;

TEST(GuardChannel, EveryRequestRoundTripsAndNothingElseDecodes) {
  for (const Message& message :
       {Message{Request::Exit, {}}, Message{Request::HandOver, {}}, Message{Request::SessionEnds, {}},
        Message{Request::ReadTries, {}}, Message{Request::Running, {}}, Message{Request::WriteTries, {7, 1800000030}}}) {
    const auto decoded = guard_channel::decode(guard_channel::encode(message));
    ASSERT_TRUE(decoded.has_value()) << guard_channel::encode(message);
    EXPECT_EQ(decoded->request, message.request);
    EXPECT_EQ(decoded->tries, message.tries);
  }
  for (const char* text : {"", "exit", "EXIT ", "TRIES", "TRIES 1", "TRIES 1 ", "TRIES 1 2 3", "TRIES -1 5",
                           "TRIES 1 -5", "TRIES 4294967296 5", "TRIES x y", "RUNNING\n", "TRIES? "})
    EXPECT_FALSE(guard_channel::decode(text).has_value()) << '"' << text << '"';
  EXPECT_FALSE(guard_channel::decode(std::string(200, 'E')).has_value());

  EXPECT_EQ(guard_channel::decodeTries(guard_channel::encodeTries({5, 42})), (guard_channel::Tries{5, 42}));
  EXPECT_FALSE(guard_channel::decodeTries("OK").has_value());
  EXPECT_FALSE(guard_channel::decodeTries("REFUSED").has_value());
}

}  // namespace
