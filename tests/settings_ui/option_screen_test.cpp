// The Quorvel key screen over a real option store: what a typed key does to the settings, the
// database and the cipher's key in force, and a store that refuses the write.
#include "settings_ui/option_view_controller.h"

#include "settings/cipher_probe.h"
#include "settings/db_process.h"
#include "settings/option_store.h"
#include "settings_screen_support.h"
#include "support/io.h"

namespace zt {
namespace {

const std::string kPrevious = "previous-key-000";

class OptionScreenTest : public test::SettingsScreenTest {
 protected:
  // A process whose option store, settings and cipher hold kPrevious; `key`'s probe first.
  std::array<std::uint8_t, 8> startWithPreviousKey(std::string_view key) {
    test::SetCipherKey(key);
    const auto probe = test::EncipherProbe();
    SetUp();
    GlbParam& param = GlbParam::instance();
    EXPECT_TRUE(StartOptionStore(param, docs_.path()) &&
                param.dbProcess()->UpdateQuorvelKey(kPrevious) &&
                param.dbProcess()->ReadAppOption(param));
    return probe;
  }
  // The key the option store gives the next process.
  std::optional<std::string> storedKey() {
    GlbParam::ReleaseResource();
    EXPECT_TRUE(StartOptionStore(GlbParam::instance(), docs_.path()));
    return GlbParam::instance().quorvelKey();
  }

  test::TempDir docs_;
};

TEST_F(OptionScreenTest, OkPutsTheFirst16AsciiCharactersInForceAndInTheStore) {
  const std::string tooShort = "The Quorvel key length at least is 16, please enter it again.";
  const std::string notAscii =
      "The Quorvel key must be 16 ASCII characters, please enter it again.";
  // What is typed, whether OK (or Cancel) is tapped, the alert (if any) and the key afterwards.
  const struct { std::string typed; bool ok; std::string alert, key; } cases[] = {
      {"", true, tooShort, kPrevious}, {"0123456789abcde", true, tooShort, kPrevious},
      {"0123456789abcdef", true, "", "0123456789abcdef"},
      {"0123456789abcdefGHIJ", true, "", "0123456789abcdef"},
      {"it's 'quoted' ok", true, "", "it's 'quoted' ok"},
      {"\xC3\xBC" "123456789abcdef", true, notAscii, kPrevious},
      {"0123456789abcde\xF0\x9F\x98\x80", true, notAscii, kPrevious},  // half an emoji at 16
      {"fedcba9876543210", false, "", kPrevious}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const auto probe = startWithPreviousKey(c.key);
    auto screen = open<OptionViewController>();
    retype(*screen->tableview(), {0, 0}, c.typed);
    ASSERT_TRUE(c.ok ? tapOk() : tapCancel());
    EXPECT_EQ(isOnTop(*screen), !c.alert.empty());
    EXPECT_TRUE(c.alert.empty() || (shows("alert: " + c.alert + " | [OK]\n") && dismissAlert() &&
                                    tapCancel()));
    EXPECT_EQ(GlbParam::instance().quorvelKey(), c.key);
    EXPECT_EQ(test::EncipherProbe(), probe);
    open<OptionViewController>();  // shows the key in force
    EXPECT_EQ(screenText(), "[Cancel] Quorvel key [OK]\n== Quorvel key(16 bytes in ASCII) ==\n"
                            "row 0.0 |  | [text field: " + c.key + "]\n");
    EXPECT_EQ(storedKey(), c.key);
  }
}

TEST_F(OptionScreenTest, AKeyTheStoreRefusesIsInForceAndSaidToBeUnsaved) {
  const auto probe = startWithPreviousKey("0123456789abcdef");
  ASSERT_TRUE(GlbParam::instance().dbProcess()->ExecSql(
      "create trigger refuse before insert on AppOption begin select raise(abort, 'no'); end"));
  auto screen = open<OptionViewController>();
  retype(*screen->tableview(), {0, 0}, "0123456789abcdef");
  ASSERT_TRUE(tapOk());
  EXPECT_EQ(screenText(), "Beneath\nalert: Warning | The key could not be saved; it is in force "
                          "until Zemra Telvo ends. | [OK]\n");
  EXPECT_EQ(GlbParam::instance().quorvelKey(), "0123456789abcdef");
  EXPECT_EQ(test::EncipherProbe(), probe);
  EXPECT_EQ(storedKey(), kPrevious);
}

}  // namespace
}  // namespace zt
