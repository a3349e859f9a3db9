// The simulated platform that every native test relies on: if it drifts from
// the real system's behaviour, the logic's tests prove the wrong thing.
#include "platform/sim/sim_platform.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using platform::Root;
using platform::Value;
using platform::ValueType;
using namespace platform::sim;

// ---------------------------------------------------------------- registry

TEST(SimRegistry, MalformedPathsAreRefused) {
  SimRegistry registry;
  EXPECT_FALSE(registry.writeString(Root::User, "\\Software", "v", "x"));
  EXPECT_FALSE(registry.writeString(Root::User, "Software\\\\TSR", "v", "x"));
  EXPECT_FALSE(registry.createKey(Root::User, "Software\\"));
  EXPECT_EQ(registry.keyCount(Root::User), 0u);
  // The empty path is the root itself, which is never deleted.
  EXPECT_TRUE(registry.keyExists(Root::User, ""));
  EXPECT_FALSE(registry.deleteKey(Root::User, ""));
}

TEST(SimRegistry, ListsKeysInNameOrderAndValuesInCreationOrder) {
  SimRegistry registry;
  registry.createKey(Root::Machine, "S\\beta");
  registry.createKey(Root::Machine, "S\\Alpha");
  registry.createKey(Root::Machine, "S\\gamma");
  registry.createKey(Root::Machine, "S\\ALPHA");  // the same key again
  EXPECT_EQ(registry.subKeys(Root::Machine, "S"), (std::vector<std::string>{"Alpha", "beta", "gamma"}));

  registry.writeString(Root::Machine, "S", "Zed", "1");
  registry.writeDword(Root::Machine, "S", "Alpha", 2);
  registry.writeString(Root::Machine, "S", "ZED", "3");  // keeps its place and first spelling
  EXPECT_EQ(registry.valueNames(Root::Machine, "S"), (std::vector<std::string>{"Zed", "Alpha"}));
  EXPECT_EQ(registry.read(Root::Machine, "S", "zed")->text, "3");
  EXPECT_TRUE(registry.subKeys(Root::Machine, "Missing").empty());
}

TEST(SimRegistry, DeletionsReportWhatHappened) {
  SimRegistry registry;
  registry.writeString(Root::User, "A\\B", "v", "x");
  EXPECT_FALSE(registry.deleteKey(Root::User, "A"));  // has a sub-key
  EXPECT_FALSE(registry.deleteKey(Root::User, "A\\C"));
  EXPECT_FALSE(registry.deleteValue(Root::User, "A\\B", "w"));
  EXPECT_TRUE(registry.deleteValue(Root::User, "A\\B", "V"));
  EXPECT_TRUE(registry.deleteKey(Root::User, "a\\b"));
  EXPECT_TRUE(registry.deleteKey(Root::User, "A"));
  EXPECT_EQ(registry.keyCount(Root::User), 0u);
}

TEST(SimRegistry, RefusingRootStillReadsAndPlants) {
  SimRegistry registry;
  registry.writeString(Root::Machine, "K", "v", "x");
  registry.setWritable(Root::Machine, false);
  EXPECT_FALSE(registry.writeString(Root::Machine, "K", "v", "y"));
  EXPECT_FALSE(registry.writeDword(Root::Machine, "K", "d", 1));
  EXPECT_FALSE(registry.createKey(Root::Machine, "K\\New"));
  EXPECT_TRUE(registry.createKey(Root::Machine, "K"));  // opening an existing key works
  EXPECT_FALSE(registry.deleteValue(Root::Machine, "K", "v"));
  EXPECT_EQ(registry.read(Root::Machine, "K", "v")->text, "x");
  registry.plant(Root::Machine, "K", "p", Value{ValueType::Other, {}, 0});
  EXPECT_EQ(registry.read(Root::Machine, "K", "p")->type, ValueType::Other);
  EXPECT_FALSE(registry.writeString(Root::Machine, "K", "v", "z"));  // still refusing after plant
  registry.setWritable(Root::Machine, true);
  EXPECT_TRUE(registry.writeString(Root::Machine, "K", "v", "z"));
}

TEST(SimRegistry, DumpShowsKeysAndTypedValues) {
  SimRegistry registry;
  registry.writeString(Root::User, "Software\\TSR", "Help", "1");
  registry.writeDword(Root::User, "Software\\TSR\\P", "NoRun", 1);
  registry.plant(Root::User, "Software\\TSR\\P", "X", Value{ValueType::Other, {}, 0});
  EXPECT_EQ(registry.dump(Root::User),
            "Software\n"
            "Software\\TSR\n"
            "Software\\TSR \"Help\" = \"1\"\n"
            "Software\\TSR\\P\n"
            "Software\\TSR\\P \"NoRun\" = dword:1\n"
            "Software\\TSR\\P \"X\" = (other)\n");
  EXPECT_EQ(registry.dump(Root::Machine), "");
}

// ------------------------------------------------------------------- clock

// Records (timer name, time) for every tick.
struct TickLog {
  std::vector<std::pair<std::string, std::uint64_t>> ticks;
  std::function<void()> tick(SimClock& clock, std::string name) {
    return [this, &clock, name] { ticks.emplace_back(name, clock.nowMs()); };
  }
};
using Ticks = std::vector<std::pair<std::string, std::uint64_t>>;

TEST(SimClock, FiresDueTimersInTimeOrder) {
  SimClock clock(1000);
  TickLog log;
  clock.startTimer(500, log.tick(clock, "slow"));
  clock.startTimer(300, log.tick(clock, "fast"));
  clock.advance(299);
  EXPECT_TRUE(log.ticks.empty());
  clock.advance(701);
  EXPECT_EQ(log.ticks, (Ticks{{"fast", 1300}, {"slow", 1500}, {"fast", 1600}, {"fast", 1900}, {"slow", 2000}}));
  EXPECT_EQ(clock.nowMs(), 2000u);
}

TEST(SimClock, SimultaneousTimersFireInStartOrder) {
  SimClock clock;
  TickLog log;
  clock.startTimer(1000, log.tick(clock, "second-long"));
  clock.startTimer(500, log.tick(clock, "half"));
  clock.advance(1000);
  EXPECT_EQ(log.ticks, (Ticks{{"half", 500}, {"second-long", 1000}, {"half", 1000}}));
}

TEST(SimClock, TimerStoppedInsideItsOwnCallbackFiresOnce) {
  SimClock clock;
  int ticks = 0;
  platform::TimerId id = 0;
  id = clock.startTimer(100, [&] {
    ++ticks;
    clock.stopTimer(id);
  });
  clock.advance(1000);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(clock.isRunning(id));
  EXPECT_EQ(clock.runningTimers(), 0u);
}

TEST(SimClock, TimerStoppedByAnEarlierCallbackDoesNotFire) {
  SimClock clock;
  TickLog log;
  platform::TimerId victim = 0;
  clock.startTimer(500, [&] {
    log.ticks.emplace_back("killer", clock.nowMs());
    clock.stopTimer(victim);
  });
  victim = clock.startTimer(500, log.tick(clock, "victim"));  // due at the same moment
  clock.advance(2000);
  EXPECT_EQ(log.ticks, (Ticks{{"killer", 500}, {"killer", 1000}, {"killer", 1500}, {"killer", 2000}}));
}

TEST(SimClock, TimerStartedInsideACallbackCountsFromThen) {
  SimClock clock;
  TickLog log;
  platform::TimerId outer = 0;
  outer = clock.startTimer(300, [&] {
    log.ticks.emplace_back("outer", clock.nowMs());
    clock.stopTimer(outer);
    clock.startTimer(200, log.tick(clock, "inner"));
  });
  clock.advance(1000);
  EXPECT_EQ(log.ticks, (Ticks{{"outer", 300}, {"inner", 500}, {"inner", 700}, {"inner", 900}}));
  EXPECT_EQ(clock.runningTimers(), 1u);
}

TEST(SimClock, CallbackMayAdvanceTheClockItself) {
  SimClock clock;
  TickLog log;
  bool nested = false;
  clock.startTimer(100, [&] {
    log.ticks.emplace_back("pump", clock.nowMs());
    if (!nested) {
      nested = true;
      clock.advance(250);  // like a modal loop that lets time pass
    }
  });
  clock.advance(400);
  EXPECT_EQ(log.ticks, (Ticks{{"pump", 100}, {"pump", 200}, {"pump", 300}, {"pump", 400}}));
  EXPECT_EQ(clock.nowMs(), 400u);
}

TEST(SimClock, ShortIntervalsRunAtTheSystemMinimum) {
  SimClock clock;
  int ticks = 0;
  const auto id = clock.startTimer(0, [&] { ++ticks; });
  EXPECT_EQ(clock.intervalOf(id), 10u);
  clock.advance(100);
  EXPECT_EQ(ticks, 10);
}

TEST(SimClock, ExceptionsStayInsideTheClockAndTheTimerGoesOn) {
  SimClock clock;
  int ticks = 0;
  clock.startTimer(100, [&] {
    ++ticks;
    throw std::runtime_error("handler failed");
  });
  EXPECT_NO_THROW(clock.advance(200));
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(clock.escapedErrors(), (std::vector<std::string>{"handler failed", "handler failed"}));
}

// ----------------------------------------------------------------- desktop

TEST(SimDesktop, FindWindowSearchesHiddenWindowsTopmostFirst) {
  SimDesktop desktop;
  const auto older = desktop.createWindow("Tessara 7", "ThunderForm");
  const auto hidden = desktop.createWindow("Tessara 7", "ThunderForm", platform::StyleBorder);
  const auto other = desktop.createWindow("Untitled - Notepad", "Notepad");
  EXPECT_TRUE(desktop.isHidden(hidden));
  EXPECT_EQ(desktop.findWindow(std::nullopt, "Tessara 7"), hidden);
  EXPECT_EQ(desktop.findWindow("Notepad", std::nullopt), other);
  EXPECT_EQ(desktop.findWindow("notepad", "untitled - notepad"), other);
  EXPECT_EQ(desktop.findWindow("Notepad", "Tessara 7"), 0u);
  EXPECT_EQ(desktop.findWindow(std::nullopt, "Tessara"), 0u);  // whole titles only
  desktop.bringToFront(older);
  EXPECT_EQ(desktop.findWindow("ThunderForm", std::nullopt), older);
  EXPECT_EQ(desktop.topLevelWindows(), (std::vector<platform::WindowHandle>{older, other, hidden}));
}

TEST(SimDesktop, ShowWindowAsyncAppliesAndRecordsCommands) {
  SimDesktop desktop;
  const auto w = desktop.createWindow("Untitled - Notepad", "Notepad");
  EXPECT_EQ(desktop.windowStyle(w), platform::StyleVisible | platform::StyleBorder);

  desktop.showWindowAsync(w, platform::SwMinimize);
  EXPECT_TRUE(desktop.isMinimised(w));
  EXPECT_EQ(desktop.windowStyle(w) & (platform::StyleVisible | platform::StyleMinimized),
            platform::StyleVisible | platform::StyleMinimized);
  desktop.showWindowAsync(w, platform::SwHide);
  EXPECT_TRUE(desktop.isHidden(w));
  EXPECT_EQ(desktop.windowStyle(w) & platform::StyleVisible, 0u);
  desktop.showWindowAsync(w, platform::SwShow);
  EXPECT_FALSE(desktop.isHidden(w));
  EXPECT_TRUE(desktop.isMinimised(w));  // showing does not restore
  desktop.showWindowAsync(w, platform::SwRestore);
  EXPECT_FALSE(desktop.isMinimised(w));
  desktop.showWindowAsync(0x4242, platform::SwHide);  // no such window: recorded only

  ASSERT_EQ(desktop.showCalls().size(), 5u);
  EXPECT_EQ(desktop.showCalls()[1].command, platform::SwHide);
  EXPECT_EQ(desktop.showCalls()[4].window, 0x4242u);
  EXPECT_EQ(desktop.foregroundWindow(), w);  // none of this moved the foreground
}

TEST(SimDesktop, PostCloseRemovesUnlessTheWindowRefuses) {
  SimDesktop desktop;
  const auto stubborn = desktop.createWindow("Registry Editor", "RegEdit_RegEdit");
  desktop.setRefusesClose(stubborn, true);
  const auto willing = desktop.createWindow("Untitled - Notepad", "Notepad");
  desktop.postClose(stubborn);
  desktop.postClose(willing);
  EXPECT_TRUE(desktop.isWindow(stubborn));
  EXPECT_FALSE(desktop.isWindow(willing));
  EXPECT_EQ(desktop.closeRequests(), (std::vector<platform::WindowHandle>{stubborn, willing}));
  EXPECT_EQ(desktop.foregroundWindow(), 0u);  // the foreground window went away
  EXPECT_EQ(desktop.windowText(willing), "");
}

TEST(SimDesktop, ForegroundFollowsTheTestsArrangement) {
  SimDesktop desktop;
  const auto first = desktop.createWindow("One", "A");
  const auto hidden = desktop.createWindow("Two", "B", 0);
  EXPECT_EQ(desktop.foregroundWindow(), first);  // a hidden window does not take it
  desktop.setForeground(hidden);
  EXPECT_EQ(desktop.foregroundWindow(), hidden);
  desktop.setForeground(0x9999);  // unknown: ignored
  EXPECT_EQ(desktop.foregroundWindow(), hidden);
  desktop.setWindowText(first, "Renamed");
  EXPECT_EQ(desktop.windowText(first), "Renamed");
  EXPECT_EQ(desktop.className(first), "A");
  desktop.broadcastPolicyChange();
  desktop.broadcastPolicyChange();
  desktop.sendKeyPress(0x0D);
  EXPECT_EQ(desktop.policyBroadcasts(), 2);
  EXPECT_EQ(desktop.keyPresses(), (std::vector<std::uint16_t>{0x0D}));
}

// ------------------------------------------------------------------- shell

TEST(SimShell, StartsRecordOrFailWithTheirText) {
  SimShell shell;
  std::vector<std::string> hooked;
  shell.onStart = [&](const StartedProgram& p) { hooked.push_back(p.path); };
  shell.failStart("C:\\Tessara\\hivexfer.exe", "The system cannot find the file specified.");
  const auto failed = shell.startProgram("c:\\tessara\\HIVEXFER.EXE", platform::SwShowMinimized, {});
  EXPECT_FALSE(failed.started);
  EXPECT_EQ(failed.error, "The system cannot find the file specified.");
  const auto ok = shell.startProgram("C:\\Tessara\\tessara7.exe", platform::SwShowMinimized, "C:\\Tessara\\");
  EXPECT_TRUE(ok.started);
  ASSERT_EQ(shell.started().size(), 1u);
  EXPECT_EQ(shell.started()[0].showCommand, platform::SwShowMinimized);
  EXPECT_EQ(shell.started()[0].folder, "C:\\Tessara\\");
  EXPECT_EQ(hooked, std::vector<std::string>{"C:\\Tessara\\tessara7.exe"});

  shell.failShellExecute("C:\\missing.chm");
  EXPECT_FALSE(shell.shellExecute(0, "open", "C:\\MISSING.chm", platform::SwShowNormal));
  EXPECT_TRUE(shell.shellExecute(0, "open", "C:\\tessara.chm", platform::SwShowNormal));
  EXPECT_EQ(shell.executed().size(), 2u);
}

TEST(SimShell, MessageBoxesAnswerFromTheQueueThenWithTheFirstButton) {
  SimShell shell;
  int hookCalls = 0;
  shell.onMessageBox = [&](const ShownMessage& m) {
    ++hookCalls;
    EXPECT_EQ(m.title, "Tessara 7");
  };
  shell.queueAnswer(platform::IdNo);
  EXPECT_EQ(shell.messageBox(0, "Sure?", "Tessara 7", platform::MbYesNo | platform::MbIconQuestion),
            platform::IdNo);
  EXPECT_EQ(shell.messageBox(0, "Sure?", "Tessara 7", platform::MbYesNo), platform::IdYes);
  EXPECT_EQ(shell.messageBox(0, "Done", "Tessara 7", platform::MbOkCancel), platform::IdOk);
  EXPECT_EQ(hookCalls, 3);
  ASSERT_EQ(shell.messages().size(), 3u);
  EXPECT_EQ(shell.messages()[0].flags, platform::MbYesNo | platform::MbIconQuestion);
  EXPECT_EQ(shell.unusedAnswers(), 0u);
}

// ------------------------------------------------------------------- files

TEST(SimFiles, FilesAndFoldersWithParents) {
  SimFiles files;
  files.addFile("C:\\Data\\Sub\\a.txt", "abc");
  EXPECT_EQ(files.attributes("c:\\data"), platform::AttributeDirectory);
  EXPECT_EQ(files.attributes("C:\\Data\\Sub\\A.TXT"), AttributeArchive);
  EXPECT_EQ(files.attributes("C:/Data/Sub/"), platform::AttributeDirectory);
  EXPECT_FALSE(files.attributes("C:\\Data\\b.txt").has_value());
  EXPECT_EQ(files.windowsFolder(), "C:\\Windows");
  EXPECT_EQ(files.attributes(files.windowsFolder()), platform::AttributeDirectory);
}

TEST(SimFiles, ListGivesDirectChildrenInNameOrder) {
  SimFiles files;
  files.addFile("C:\\D\\b.txt");
  files.addFile("C:\\D\\A.txt");
  files.addFile("C:\\D\\Sub\\deep.txt");
  files.addFolder("C:\\D\\Empty");
  const auto entries = files.list("C:\\D\\");
  std::vector<std::pair<std::string, bool>> seen;
  for (const auto& e : entries) seen.emplace_back(e.name, e.directory);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{
                      {"A.txt", false}, {"b.txt", false}, {"Empty", true}, {"Sub", true}}));
  EXPECT_TRUE(files.list("C:\\D\\A.txt").empty());
  EXPECT_TRUE(files.list("C:\\Nowhere").empty());
}

TEST(SimFiles, DeleteRefusesReadOnlyUntilAttributesAreNormal) {
  SimFiles files;
  files.addFile("C:\\x.ts7", "", AttributeReadOnly | AttributeHidden);
  EXPECT_FALSE(files.deleteFile("C:\\x.ts7"));
  EXPECT_TRUE(files.setNormalAttributes("C:\\x.ts7"));
  EXPECT_EQ(files.attributes("C:\\x.ts7"), AttributeNormal);
  EXPECT_TRUE(files.deleteFile("C:\\X.TS7"));
  EXPECT_FALSE(files.exists("C:\\x.ts7"));
  files.addFolder("C:\\Folder");
  EXPECT_FALSE(files.deleteFile("C:\\Folder"));
  EXPECT_FALSE(files.deleteFile("C:\\missing"));
}

TEST(SimFiles, CopyOverwritesButRespectsTheSystemsRefusals) {
  SimFiles files;
  files.addFile("C:\\a.txt", "new");
  files.addFile("C:\\B.txt", "old");
  EXPECT_TRUE(files.copyFile("C:\\a.txt", "C:\\b.txt"));
  EXPECT_EQ(files.content("C:\\B.txt"), "new");
  EXPECT_EQ(files.list("C:\\").size(), 3u);  // a.txt, B.txt, Windows
  EXPECT_FALSE(files.copyFile("C:\\a.txt", "C:\\NoFolder\\a.txt"));
  EXPECT_FALSE(files.copyFile("C:\\missing.txt", "C:\\c.txt"));
  EXPECT_FALSE(files.copyFile("C:\\a.txt", "C:\\A.TXT"));
  files.addFile("C:\\hidden.txt", "keep", AttributeHidden);
  EXPECT_FALSE(files.copyFile("C:\\a.txt", "C:\\hidden.txt"));
  EXPECT_EQ(files.content("C:\\hidden.txt"), "keep");
  EXPECT_EQ(files.fileCount(), 3u);
}

TEST(SimFiles, RelativePathsFollowTheCurrentDirectory) {
  SimFiles files;
  files.setCurrentDirectory("D:\\Work");
  files.addFile("notes.txt", "n");
  EXPECT_TRUE(files.exists("D:\\Work\\notes.txt"));
  files.addFile("\\top.txt");
  EXPECT_TRUE(files.exists("D:\\top.txt"));
  EXPECT_EQ(files.currentDirectory(), "D:\\Work");
}

// ---------------------------------------------------------------- platform

TEST(SimPlatform, BundleReachesTheSameSimulations) {
  SimPlatform sim;
  platform::Platform& p = sim.get();
  p.registry.writeString(Root::User, "K", "v", "x");
  EXPECT_EQ(sim.registry.keyCount(Root::User), 1u);
  const auto w = sim.desktop.createWindow("T", "C");
  EXPECT_EQ(p.desktop.foregroundWindow(), w);
  int ticks = 0;
  p.clock.startTimer(500, [&] { ++ticks; });
  sim.clock.advance(500);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(p.shell.programPath(), sim.shell.programPath());
  EXPECT_EQ(p.files.windowsFolder(), "C:\\Windows");
}

}  // namespace
