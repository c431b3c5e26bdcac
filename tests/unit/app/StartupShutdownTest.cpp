#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Version.h"
#include "fakes/Fakes.h"

namespace voltander {
namespace {

using test::Harness;

TEST(Startup, FirstRunLeavesThePortClosedAndStoresTheDefaultsAtExit) {
  Harness h;
  h.form->Form_Load();

  EXPECT_EQ(h.form->Portok.selected(), -1);
  EXPECT_TRUE(h.port.devices.empty());
  EXPECT_FALSE(h.timer.enabled());
  EXPECT_TRUE(h.form->BAssis.checked());
  EXPECT_FALSE(h.kozos.ExpertMode);
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(h.form->Portok.count(), 255u);
  EXPECT_EQ(h.form->Portok.text(0) + "|" + h.form->Portok.text(254), "Comm 1|Comm 255");
  EXPECT_EQ(h.form->window.title(), StartupTitle());
  h.form->Nevjegy_Click();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  const std::string& about = h.dialogs.shown[0].text;
  EXPECT_EQ(about.substr(0, about.find("\r\n")), h.form->window.title());

  h.form->Form_Unload();
  for (const auto& [key, value] : {std::pair{"Portok", "-1"}, {"BAssis", "1"}, {"Expert", "0"},
                                   {"Ujracsatlakozas", "0"}, {"Naplo", "1"}})
    EXPECT_EQ(h.setting(key), value) << key;
}

// A port that opens with an error the user cannot act on stays chosen and polled.
TEST(Startup, AStoredPortIsOpenedAndPolledEvenWithAnOtherErrorAndExitClosesTheWindow) {
  for (const bool failing : {false, true}) {
    Harness h;
    if (failing) h.port.openFailures[3] = {OpenError::Other, 8012, "not ready"};
    h.loadWithPort(2);
    EXPECT_EQ(h.form->Portok.selected(), 2);
    EXPECT_EQ(h.port.isOpen() ? h.port.portNumber() : 0, failing ? 0 : 3);
    EXPECT_EQ(h.port.settings, "9600,N,8,1");
    EXPECT_TRUE(h.timer.enabled());
    EXPECT_EQ(h.timer.interval(), 2000);
    EXPECT_TRUE(h.dialogs.shown.empty());
    int closes = 0;
    h.form->window.requestClose = [&] { ++closes; };
    h.form->FKi.click();
    EXPECT_EQ(closes, 1);
  }
}

TEST(Shutdown, TogglesAndTheFirstEntryAreStoredAfterThePortIsClosed) {
  Harness first;
  first.settings.values["Voltander/Setup/BAssis"] = "1.0";
  first.settings.values["Voltander/Setup/Expert"] = "2";
  first.form->Form_Load();
  EXPECT_TRUE(first.form->BAssis.checked());
  EXPECT_FALSE(first.kozos.ExpertMode);
  first.form->Portok.select(0);
  EXPECT_EQ(first.port.portNumber(), 1);
  first.form->BAssis_Click();
  first.form->BSzakerto_Click();
  first.form->NMentes_Click();
  std::vector<bool> openWhileSaving;
  first.settings.onSave = [&](const std::string&) {
    openWhileSaving.push_back(first.port.isOpen());
  };
  first.form->Form_Unload();
  EXPECT_EQ(openWhileSaving, (std::vector<bool>(5, false)));
  EXPECT_EQ(first.setting("Portok"), " 0");
  EXPECT_EQ(first.setting("BAssis"), "0");
  EXPECT_EQ(first.setting("Expert"), "1");
  EXPECT_EQ(first.setting("Naplo"), "0");
}

const std::string kEveryByte = [] {
  std::string s;
  for (int b = 0; b < 256; ++b) s += char(b);
  return s;
}();

// Hand-edited or damaged texts, each stored as the port index and as every menu
// toggle, grouped by what they must read as. The port takes the whole text, a
// toggle only its leading number; ties go to the even neighbour.
struct GarbageGroup {
  int port;
  bool toggle;
  std::vector<std::string> texts;
};

// clang-format off
const std::vector<GarbageGroup> kGroups = {
    {-1, false, {"abc", "1e9", "-7", "255", "255.5", "-1.5", "", " ", std::string(10240, '1'),
                 std::string(10240, 'x'), kEveryByte, std::string("\0005", 2), "nan", "-Infinity",
                 "1e400", "-1e400", "1e99999999999999999999", "2147483648", "&HFFFF", "&O377",
                 "&H", "&HFFFFFFFFFFFFFFFFFFFFFFFF", "3\r\n", "5,0", "0x10", "-1"}},
    {-1, true, {std::string("1\0", 2), "1x"}},
    {0, false, {"-0.5", "0.5", "1e-400", "0." + std::string(10240, '0') + "1"}},
    {1, true, {"&H1", "&O1", "10e-1", std::string(10240, ' ') + "1"}},
    {2, false, {"2"}},
    {3, false, {"\t3\n"}},
    {5, false, {"+5", ".5e1"}},
    {7, false, {std::string(10240, '0') + "7"}},
    {12, false, {"1 2"}},
    {254, false, {"254.5", "253.5", "&H00FE"}},
};
// clang-format on

// Loads from a store holding text under every key, exits, then runs once more
// from what the exit wrote.
void Check(const std::string& text, int port, bool toggle) {
  Harness first;
  for (const char* key : {"Portok", "BAssis", "Expert", "Naplo", "Ujracsatlakozas"})
    first.settings.values[std::string("Voltander/Setup/") + key] = text;
  first.form->Form_Load();
  EXPECT_EQ(first.form->Portok.selected(), port);
  EXPECT_EQ(first.port.isOpen() ? first.port.portNumber() - 1 : -1, port);
  EXPECT_EQ(first.timer.enabled(), port != -1);
  EXPECT_EQ(first.form->BAssis.checked(), toggle);
  EXPECT_EQ(first.form->BSzakerto.checked(), toggle);
  EXPECT_EQ(first.kozos.ExpertMode, toggle);
  EXPECT_EQ(first.form->NMentes.checked(), toggle);
  EXPECT_EQ(first.form->BUjra.checked(), toggle);
  EXPECT_TRUE(first.dialogs.shown.empty());
  first.form->Form_Unload();
  EXPECT_EQ(first.setting("Portok"), port == -1 ? "-1" : " " + std::to_string(port));
  for (const char* key : {"BAssis", "Expert", "Naplo", "Ujracsatlakozas"})
    EXPECT_EQ(first.setting(key), toggle ? "1" : "0") << key;

  // The repaired store reads back as the same choice.
  Harness second;
  second.settings.values = first.settings.values;
  second.form->Form_Load();
  second.form->Form_Unload();
  EXPECT_EQ(second.settings.values, first.settings.values);
}

TEST(SettingsGarbage, DamagedStoreSelectsAnExistingPortOrNoneAndIsRepairedAtExit) {
  for (const GarbageGroup& group : kGroups) {
    for (const std::string& text : group.texts) {
      SCOPED_TRACE(testing::PrintToString(text.substr(0, 40)));
      Check(text, group.port, group.toggle);
    }
  }
}

}  // namespace
}  // namespace voltander
