// The Quorvel key screen with a real option store: what a typed key does to the settings, the
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
  void SetUp() override {
    SettingsScreenTest::SetUp();
    ASSERT_TRUE(StartOptionStore(GlbParam::instance(), docs_.path()));
    GlbParam::instance().setQuorvelKey(kPrevious);
    ASSERT_TRUE(GlbParam::instance().dbProcess()->UpdateQuorvelKey(kPrevious));
    test::SetCipherKey(kPrevious);
  }
  // Types `key` on a new key screen and confirms it.
  std::shared_ptr<OptionViewController> enter(std::string_view key) {
    auto screen = open<OptionViewController>();
    retype(*screen->tableview(), {0, 0}, key);
    EXPECT_TRUE(tapRight());
    return screen;
  }
  // The key the option store gives the next process.
  std::optional<std::string> storedKey() {
    GlbParam::ReleaseResource();
    EXPECT_TRUE(StartOptionStore(GlbParam::instance(), docs_.path()));
    return GlbParam::instance().quorvelKey();
  }
  static std::array<std::uint8_t, 8> probeFor(std::string_view key) {
    const auto inForce = test::EncipherProbe();
    test::SetCipherKey(key);
    const auto probe = test::EncipherProbe();
    test::SetCipherKey(kPrevious);
    EXPECT_EQ(test::EncipherProbe(), inForce);
    return probe;
  }

  test::TempDir docs_;
};

TEST_F(OptionScreenTest, ShowsTheKeyInForceOrAnEmptyField) {
  auto screen = open<OptionViewController>();
  EXPECT_EQ(screenText(),
            "[Cancel] Quorvel key [OK]\n"
            "== Quorvel key(16 bytes in ASCII) ==\n"
            "row 0.0 |  | [text field: " + kPrevious + "]\n");
  GlbParam::instance().setQuorvelKey(std::nullopt);
  ASSERT_TRUE(tapLeft());
  open<OptionViewController>();
  EXPECT_NE(screenText().find("[text field: ]"), std::string::npos);
}

TEST_F(OptionScreenTest, OkTakesTheFirst16AsciiCharactersAndPutsThemInForce) {
  const std::string tooShort = "alert: The Quorvel key length at least is 16, please enter it again. | [OK]\n";
  const std::string notAscii =
      "alert: The Quorvel key must be 16 ASCII characters, please enter it again. | [OK]\n";
  const struct {
    std::string typed;
    std::string alert;  // empty: accepted
    std::string key;
  } cases[] = {
      {"", tooShort, kPrevious},
      {"0123456789abcde", tooShort, kPrevious},
      {"0123456789abcdef", "", "0123456789abcdef"},
      {"0123456789abcdefGHIJ", "", "0123456789abcdef"},
      {"it's 'quoted' ok", "", "it's 'quoted' ok"},
      {"\xC3\xBC" "123456789abcdef", notAscii, kPrevious},            // u-umlaut first
      {"0123456789abcde\xF0\x9F\x98\x80", notAscii, kPrevious},       // 16th unit half an emoji
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const auto probe = probeFor(c.key);
    auto screen = enter(c.typed);
    EXPECT_EQ(isOnTop(*screen), !c.alert.empty());
    if (!c.alert.empty()) {
      EXPECT_NE(screenText().find(c.alert), std::string::npos);
      ASSERT_TRUE(dismissAlert());
      ASSERT_TRUE(tapLeft());
    }
    EXPECT_EQ(GlbParam::instance().quorvelKey(), c.key);
    EXPECT_EQ(test::EncipherProbe(), probe);
    auto again = open<OptionViewController>();
    EXPECT_NE(screenText().find("[text field: " + c.key + "]"), std::string::npos);
    ASSERT_TRUE(tapLeft());
    EXPECT_EQ(storedKey(), c.key);
    SetUp();  // the next case starts afresh
  }
}

TEST_F(OptionScreenTest, CancelDropsWhatWasTyped) {
  auto screen = open<OptionViewController>();
  retype(*screen->tableview(), {0, 0}, "fedcba9876543210");
  ASSERT_TRUE(tapLeft());
  EXPECT_FALSE(isOnTop(*screen));
  EXPECT_EQ(GlbParam::instance().quorvelKey(), kPrevious);
  EXPECT_EQ(test::EncipherProbe(), probeFor(kPrevious));
  EXPECT_EQ(storedKey(), kPrevious);
}

TEST_F(OptionScreenTest, AKeyTheStoreRefusesIsInForceAndSaidToBeUnsaved) {
  ASSERT_TRUE(GlbParam::instance().dbProcess()->ExecSql(
      "create trigger refuse before insert on AppOption begin select raise(abort, 'no'); end"));
  const auto probe = probeFor("0123456789abcdef");
  auto screen = enter("0123456789abcdef");
  EXPECT_EQ(screenText(),
            "Beneath\n"
            "alert: Warning | The key could not be saved; it is in force until Zemra Telvo "
            "ends. | [OK]\n");
  EXPECT_EQ(GlbParam::instance().quorvelKey(), "0123456789abcdef");
  EXPECT_EQ(test::EncipherProbe(), probe);
  EXPECT_EQ(storedKey(), kPrevious);
}

}  // namespace
}  // namespace zt
