// The guard service's per-session marks and its stored wrong-password count:
// when a session's program may be started again, and what a damaged value reads as.
#include <gtest/gtest.h>

#include "guard/session_book.h"
#include "guard/tries_values.h"

namespace {

using guard::Mark;
using guard::SessionBook;

TEST(GuardSessionBook, LeftAloneUntilAnotherGenuineCopyRunsAndEndingUntilTheNextLogOn) {
  SessionBook book;
  EXPECT_TRUE(book.mayStart(1));

  // The guarded Exit from process 40 in session 1: session 2 is not touched.
  book.leaveAlone(1, 40);
  EXPECT_EQ(book.mark(1), Mark::LeftAlone);
  EXPECT_TRUE(book.mayStart(2));
  // The asking program itself, still running as it ends, re-arms nothing.
  book.seenRunning(1, 40);
  EXPECT_FALSE(book.mayStart(1));
  // Once it has ended, its id may come back as the owner's new copy, which counts.
  book.ended(1, 40);
  book.seenRunning(1, 40);
  EXPECT_TRUE(book.mayStart(1));

  // A copy other than the one that asked re-arms at once.
  book.leaveAlone(1, 41);
  book.ended(1, 99);  // another process ending changes nothing
  book.seenRunning(1, 41);
  EXPECT_FALSE(book.mayStart(1));
  book.seenRunning(1, 42);
  EXPECT_TRUE(book.mayStart(1));

  // An ending session stays ending, whatever runs or asks there, until a log-on.
  book.sessionEnds(1);
  book.seenRunning(1, 43);
  book.leaveAlone(1, 43);
  EXPECT_EQ(book.mark(1), Mark::Ending);
  book.logOn(1);
  EXPECT_TRUE(book.mayStart(1));

  // Log-off ends the session; log-on clears a left-alone mark too.
  book.logOff(3);
  EXPECT_EQ(book.mark(3), Mark::Ending);
  book.leaveAlone(4, 50);
  book.logOn(4);
  EXPECT_TRUE(book.mayStart(4));
}

TEST(GuardSessionBook, AnAnnouncedCopyIsWatchedOnceAndReArmsTheSession) {
  SessionBook book;
  EXPECT_EQ(book.takeAnnouncement(1), std::nullopt);
  book.leaveAlone(1, 40);
  book.announce(1, 40);
  EXPECT_FALSE(book.mayStart(1)) << "the copy that asked to be left ended re-arms nothing";
  EXPECT_EQ(book.takeAnnouncement(1), 40u);
  book.announce(1, 52);  // the owner started it again
  EXPECT_TRUE(book.mayStart(1));
  EXPECT_EQ(book.takeAnnouncement(2), std::nullopt) << "per session";
  EXPECT_EQ(book.takeAnnouncement(1), 52u);
  EXPECT_EQ(book.takeAnnouncement(1), std::nullopt) << "taken once";
}

TEST(GuardTriesValues, RoundTripAndDamagedValuesReadAsNoTries) {
  const guard_channel::Tries tries{3, 1767225600};
  const guard::TriesValues values = guard::valuesOf(tries);
  EXPECT_EQ(values.count, "3");
  EXPECT_EQ(values.notBefore, "1767225600");
  EXPECT_EQ(guard::triesFromValues(values.count, values.notBefore), tries);

  const guard_channel::Tries none{};
  EXPECT_EQ(guard::triesFromValues("", ""), none);
  EXPECT_EQ(guard::triesFromValues("3", ""), none);
  EXPECT_EQ(guard::triesFromValues("3x", "10"), none);
  EXPECT_EQ(guard::triesFromValues("-1", "10"), none);
  EXPECT_EQ(guard::triesFromValues("4294967296", "10"), none);  // past the count's range
  EXPECT_EQ(guard::triesFromValues("3", "-5"), none);
  EXPECT_EQ(guard::triesFromValues(" 3", "10"), none);
}

}  // namespace
