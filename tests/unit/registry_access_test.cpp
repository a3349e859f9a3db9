// The registry access layer against the simulated registry: what reads as
// absent, what saves create, and what the deletions leave alone.
#include "tessara7/settings/registry_access.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <stdexcept>

#include "platform/sim/sim_registry.h"

namespace {

using platform::Root;
using platform::Value;
using platform::ValueType;
using tessara::RegistryAccess;

constexpr const char* Settings = "Software\\TSR\\Settings";

class RegistryAccessTest : public ::testing::Test {
 protected:
  platform::sim::SimRegistry sim;
  RegistryAccess access{sim};
};

// --- reads ---

TEST_F(RegistryAccessTest, MissingKeyOrValueReadsAsEmptyOrZero) {
  EXPECT_EQ(access.GetStringValue(Root::Machine, Settings, "LockIE"), "");
  EXPECT_EQ(access.GetDwordValue(Root::Machine, Settings, "LockIE"), 0);
  sim.writeString(Root::Machine, Settings, "Other", "x");
  EXPECT_EQ(access.GetStringValue(Root::Machine, Settings, "LockIE"), "");
  EXPECT_EQ(access.GetDwordValue(Root::Machine, Settings, "LockIE"), 0);
  // Reading creates nothing.
  EXPECT_EQ(sim.keyCount(Root::User), 0u);
}

TEST_F(RegistryAccessTest, WrongTypesReadAsAbsent) {
  sim.writeDword(Root::User, Settings, "AsDword", 1);
  sim.writeString(Root::User, Settings, "AsText", "1");
  sim.plant(Root::User, Settings, "Expandable", Value{ValueType::Other, "%WINDIR%", 0});
  EXPECT_EQ(access.GetStringValue(Root::User, Settings, "AsDword"), "");
  EXPECT_EQ(access.GetDwordValue(Root::User, Settings, "AsText"), 0);
  EXPECT_EQ(access.GetStringValue(Root::User, Settings, "Expandable"), "");
  EXPECT_EQ(access.GetDwordValue(Root::User, Settings, "Expandable"), 0);
  // The right reader still sees them.
  EXPECT_EQ(access.GetDwordValue(Root::User, Settings, "AsDword"), 1);
  EXPECT_EQ(access.GetStringValue(Root::User, Settings, "AsText"), "1");
}

TEST_F(RegistryAccessTest, TextEndsAtFirstNul) {
  sim.plant(Root::Machine, Settings, "WithNul", Value{ValueType::String, std::string("abc\0", 4), 0});
  sim.plant(Root::Machine, Settings, "Embedded", Value{ValueType::String, std::string("ab\0cd", 5), 0});
  access.SaveStringValue(Root::Machine, Settings, "WithoutNul", "abc");
  EXPECT_EQ(access.GetStringValue(Root::Machine, Settings, "WithNul"), "abc");
  EXPECT_EQ(access.GetStringValue(Root::Machine, Settings, "WithoutNul"), "abc");
  EXPECT_EQ(access.GetStringValue(Root::Machine, Settings, "Embedded"), "ab");
}

TEST_F(RegistryAccessTest, DwordsReadAsSigned32Bit) {
  const char* policies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
  access.SaveDwordValue(Root::User, policies, "NoDrives", -1);
  access.SaveDwordValue(Root::User, policies, "Low", INT32_MIN);
  access.SaveDwordValue(Root::User, policies, "High", INT32_MAX);
  EXPECT_EQ(access.GetDwordValue(Root::User, policies, "NoDrives"), -1);
  EXPECT_EQ(sim.read(Root::User, policies, "NoDrives")->dword, 0xFFFFFFFFu);
  EXPECT_EQ(access.GetDwordValue(Root::User, policies, "Low"), INT32_MIN);
  EXPECT_EQ(access.GetDwordValue(Root::User, policies, "High"), INT32_MAX);
  sim.writeDword(Root::User, policies, "Raw", 0x80000001u);
  EXPECT_EQ(access.GetDwordValue(Root::User, policies, "Raw"), INT32_MIN + 1);
}

// --- saves ---

TEST_F(RegistryAccessTest, SaveCreatesEveryMissingKey) {
  access.SaveStringValue(Root::Machine, "Software\\TSR\\Deep\\Er\\Est", "v", "1");
  EXPECT_TRUE(sim.keyExists(Root::Machine, "Software"));
  EXPECT_TRUE(sim.keyExists(Root::Machine, "Software\\TSR\\Deep"));
  EXPECT_TRUE(sim.keyExists(Root::Machine, "Software\\TSR\\Deep\\Er"));
  EXPECT_EQ(sim.keyCount(Root::Machine), 5u);
  EXPECT_EQ(sim.keyCount(Root::User), 0u);
  EXPECT_EQ(access.GetStringValue(Root::Machine, "Software\\TSR\\Deep\\Er\\Est", "v"), "1");

  access.SaveDwordValue(Root::User, "System\\CurrentControlSet\\Control\\StorageDevicePolicies",
                        "WriteProtect", 1);
  EXPECT_EQ(sim.keyCount(Root::User), 4u);
}

TEST_F(RegistryAccessTest, EmptyStringRoundTripIsLikeMissing) {
  access.SaveStringValue(Root::User, Settings, "LastPath", "");
  const auto stored = sim.read(Root::User, Settings, "LastPath");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, ValueType::String);
  EXPECT_EQ(access.GetStringValue(Root::User, Settings, "LastPath"),
            access.GetStringValue(Root::User, Settings, "NeverWritten"));
}

TEST_F(RegistryAccessTest, SaveReplacesValueOfAnotherType) {
  access.SaveDwordValue(Root::User, Settings, "Flag", 1);
  access.SaveStringValue(Root::User, Settings, "Flag", "0");
  EXPECT_EQ(access.GetStringValue(Root::User, Settings, "Flag"), "0");
  EXPECT_EQ(access.GetDwordValue(Root::User, Settings, "Flag"), 0);
  access.SaveDwordValue(Root::User, Settings, "Flag", 7);
  EXPECT_EQ(access.GetStringValue(Root::User, Settings, "Flag"), "");
  EXPECT_EQ(access.GetDwordValue(Root::User, Settings, "Flag"), 7);
  EXPECT_EQ(sim.valueNames(Root::User, Settings).size(), 1u);
}

TEST_F(RegistryAccessTest, NamesAreCaseBlindAcrossSpellings) {
  access.SaveStringValue(Root::Machine, "SOFTWARE\\TSR\\IGNORE", "PROGRAM0", "Notepad");
  access.SaveStringValue(Root::Machine, "software\\tsr", "help", "1");
  EXPECT_EQ(access.GetStringValue(Root::Machine, "Software\\TSR\\Ignore", "Program0"), "Notepad");
  EXPECT_EQ(access.GetStringValue(Root::Machine, "Software\\TSR", "Help"), "1");
  EXPECT_EQ(sim.keyCount(Root::Machine), 3u);
  // The roots are separate stores.
  EXPECT_EQ(access.GetStringValue(Root::User, "Software\\TSR", "Help"), "");
}

TEST_F(RegistryAccessTest, NonAnsiTextRoundTrips) {
  const std::string text = "\xC3\x9Cn\xC3\xAF" "c\xC3\xB8" "d\xC3\xA9 \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x80\x93 \xE2\x9C\x93";
  const std::string key = "Software\\TSR\\" + text;
  access.SaveStringValue(Root::User, key, text, text);
  EXPECT_EQ(access.GetStringValue(Root::User, key, text), text);
  EXPECT_EQ(sim.subKeys(Root::User, "Software\\TSR"), std::vector<std::string>{text});
}

TEST_F(RegistryAccessTest, WritesToARefusingRootAreLostSilently) {
  access.SaveStringValue(Root::Machine, Settings, "tmp", "before");
  sim.setWritable(Root::Machine, false);
  const std::string before = sim.dump(Root::Machine);

  access.SaveStringValue(Root::Machine, Settings, "tmp", "after");
  access.SaveDwordValue(Root::Machine, "Software\\New", "x", 1);
  access.CreateKey(Root::Machine, "Software\\Newer");
  access.DeleteValue(Root::Machine, Settings, "tmp");
  access.DeleteKey(Root::Machine, Settings);

  EXPECT_EQ(sim.dump(Root::Machine), before);
  EXPECT_EQ(access.GetStringValue(Root::Machine, Settings, "tmp"), "before");
  // The other root is not affected.
  access.SaveStringValue(Root::User, Settings, "tmp", "user");
  EXPECT_EQ(access.GetStringValue(Root::User, Settings, "tmp"), "user");
}

// --- deletions and creation ---

TEST_F(RegistryAccessTest, DeleteKeyOfMissingKeyChangesNothing) {
  access.SaveStringValue(Root::Machine, Settings, "LockIE", "1");
  const std::string before = sim.dump(Root::Machine);
  access.DeleteKey(Root::Machine, "Software\\TSR\\Windows0");
  access.DeleteKey(Root::Machine, "Software\\Missing\\Deeper");
  EXPECT_EQ(sim.dump(Root::Machine), before);
}

TEST_F(RegistryAccessTest, DeleteKeyWithSubkeysChangesNothing) {
  access.SaveStringValue(Root::Machine, "Software\\TSR", "Help", "1");
  access.SaveStringValue(Root::Machine, Settings, "LockIE", "1");
  const std::string before = sim.dump(Root::Machine);
  access.DeleteKey(Root::Machine, "Software\\TSR");
  EXPECT_EQ(sim.dump(Root::Machine), before);
  EXPECT_EQ(access.GetStringValue(Root::Machine, "Software\\TSR", "Help"), "1");
}

TEST_F(RegistryAccessTest, DeleteKeyRemovesALeafWithItsValues) {
  access.SaveStringValue(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window", "Notepad");
  access.SaveStringValue(Root::Machine, "SOFTWARE\\TSR\\Windows1", "Window", "Paint");
  access.DeleteKey(Root::Machine, "Software\\tsr\\windows0");
  EXPECT_FALSE(sim.keyExists(Root::Machine, "SOFTWARE\\TSR\\Windows0"));
  EXPECT_EQ(access.GetStringValue(Root::Machine, "SOFTWARE\\TSR\\Windows0", "Window"), "");
  EXPECT_EQ(access.GetStringValue(Root::Machine, "SOFTWARE\\TSR\\Windows1", "Window"), "Paint");
  // Recreated, the key starts empty.
  access.CreateKey(Root::Machine, "SOFTWARE\\TSR\\Windows0");
  EXPECT_TRUE(sim.valueNames(Root::Machine, "SOFTWARE\\TSR\\Windows0").empty());
}

TEST_F(RegistryAccessTest, DeleteValueRemovesOnlyThatValue) {
  access.SaveStringValue(Root::Machine, Settings, "tmp", "1");
  access.SaveStringValue(Root::Machine, Settings, "LockIE", "1");
  access.DeleteValue(Root::Machine, Settings, "TMP");
  EXPECT_EQ(sim.valueNames(Root::Machine, Settings), std::vector<std::string>{"LockIE"});
  // Nothing to delete: nothing happens, not even a key creation.
  access.DeleteValue(Root::Machine, Settings, "tmp");
  access.DeleteValue(Root::User, Settings, "tmp");
  EXPECT_EQ(sim.keyCount(Root::User), 0u);
}

TEST_F(RegistryAccessTest, CreateKeyCreatesParentsAndKeepsExistingValues) {
  access.CreateKey(Root::Machine, "Software\\TSR\\Ignore");
  EXPECT_TRUE(sim.keyExists(Root::Machine, "Software\\TSR\\Ignore"));
  EXPECT_EQ(sim.keyCount(Root::Machine), 3u);
  access.SaveStringValue(Root::Machine, "Software\\TSR\\Ignore", "Program0", "Run");
  access.CreateKey(Root::Machine, "SOFTWARE\\TSR\\IGNORE");
  EXPECT_EQ(access.GetStringValue(Root::Machine, "Software\\TSR\\Ignore", "Program0"), "Run");
  EXPECT_EQ(sim.keyCount(Root::Machine), 3u);
}

// --- listing and reading a whole key ---

TEST_F(RegistryAccessTest, ListingsAndBulkReadsGiveWhatSingleReadsGive) {
  const char* row = "SOFTWARE\\TSR\\Windows0";
  access.SaveStringValue(Root::Machine, row, "Window", "Notepad");
  access.SaveStringValue(Root::Machine, row, "Enabled", "0");
  sim.writeDword(Root::Machine, row, "Count", 3);
  sim.plant(Root::Machine, row, "Expandable", Value{ValueType::Other, "%WINDIR%", 0});
  access.SaveStringValue(Root::Machine, "SOFTWARE\\TSR\\Windows1", "Window", "Paint");

  EXPECT_EQ(access.SubKeyNames(Root::Machine, "Software\\TSR"), (std::vector<std::string>{"Windows0", "Windows1"}));
  EXPECT_EQ(access.SubKeyCount(Root::Machine, "Software\\TSR"), 2u);
  EXPECT_EQ(access.ValueNames(Root::Machine, row),
            (std::vector<std::string>{"Window", "Enabled", "Count", "Expandable"}));
  // One read for several values: absent and wrongly typed ones read as "".
  const auto [window, enabled, count, missing] =
      access.GetStringValues(Root::Machine, "software\\tsr\\windows0", "WINDOW", "Enabled", "Count", "Missing");
  EXPECT_EQ(window, "Notepad");
  EXPECT_EQ(enabled, "0");
  EXPECT_EQ(count, "");
  EXPECT_EQ(missing, "");
  // The whole key: its string values only, in the key's order.
  const auto all = access.GetAllStringValues(Root::Machine, row);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].name, "Window");
  EXPECT_EQ(all[0].text, "Notepad");
  EXPECT_EQ(all[1].name, "Enabled");
  EXPECT_EQ(all[1].text, "0");
  // A missing key lists nothing and reads as empty, and creates nothing.
  const std::size_t keys = sim.keyCount(Root::User);
  EXPECT_TRUE(access.SubKeyNames(Root::User, "Software\\TSR").empty());
  EXPECT_TRUE(access.ValueNames(Root::User, row).empty());
  EXPECT_TRUE(access.GetAllStringValues(Root::User, row).empty());
  EXPECT_EQ(access.GetStringValues(Root::User, row, "Window")[0], "");
  EXPECT_EQ(sim.keyCount(Root::User), keys);
}

// --- no error ever leaves the layer ---

class ThrowingRegistry final : public platform::Registry {
 public:
  bool keyExists(Root, std::string_view) override { throw std::runtime_error("boom"); }
  std::optional<Value> read(Root, std::string_view, std::string_view) override { throw std::bad_alloc(); }
  bool writeString(Root, std::string_view, std::string_view, std::string_view) override {
    ++calls;
    throw std::runtime_error("boom");
  }
  bool writeDword(Root, std::string_view, std::string_view, std::uint32_t) override {
    ++calls;
    throw std::runtime_error("boom");
  }
  bool createKey(Root, std::string_view) override {
    ++calls;
    throw 42;
  }
  bool deleteKey(Root, std::string_view) override {
    ++calls;
    throw std::runtime_error("boom");
  }
  bool deleteValue(Root, std::string_view, std::string_view) override {
    ++calls;
    throw std::runtime_error("boom");
  }
  std::vector<std::string> subKeys(Root, std::string_view) override { throw std::runtime_error("boom"); }
  std::vector<std::string> valueNames(Root, std::string_view) override { throw std::runtime_error("boom"); }
  int calls = 0;
};

TEST(RegistryAccessFailures, ExceptionsFromThePlatformNeverEscape) {
  ThrowingRegistry registry;
  RegistryAccess access(registry);
  EXPECT_EQ(access.GetStringValue(Root::User, Settings, "x"), "");
  EXPECT_EQ(access.GetDwordValue(Root::User, Settings, "x"), 0);
  access.SaveStringValue(Root::User, Settings, "x", "1");
  access.SaveDwordValue(Root::User, Settings, "x", 1);
  access.CreateKey(Root::User, Settings);
  access.DeleteKey(Root::User, Settings);
  access.DeleteValue(Root::User, Settings, "x");
  // Each operation really reached the platform and survived its failure.
  EXPECT_EQ(registry.calls, 5);
}

TEST(RegistryAccessFailures, ListingsAndBulkReadsOfAFailingPlatformAreEmpty) {
  ThrowingRegistry registry;
  RegistryAccess access(registry);
  EXPECT_TRUE(access.SubKeyNames(Root::User, Settings).empty());
  EXPECT_EQ(access.SubKeyCount(Root::User, Settings), 0u);
  EXPECT_TRUE(access.ValueNames(Root::User, Settings).empty());
  EXPECT_TRUE(access.GetAllStringValues(Root::User, Settings).empty());
  const auto [first, second] = access.GetStringValues(Root::User, Settings, "a", "b");
  EXPECT_EQ(first, "");
  EXPECT_EQ(second, "");
}

}  // namespace
