#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace voltander {
namespace {

using test::Harness;

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
