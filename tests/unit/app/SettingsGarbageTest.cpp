#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace voltander {
namespace {

using test::Harness;

// Every byte value once, NUL included.
std::string AllBytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
  return s;
}

// Printable in a failure message.
std::string Shown(const std::string& text) {
  std::string out;
  for (const char c : text.substr(0, 40)) {
    const auto b = static_cast<unsigned char>(c);
    out += b >= 0x20 && b < 0x7F ? std::string(1, c) : "\\x" + std::to_string(b);
  }
  return '"' + out + (text.size() > 40 ? "...\"" : "\"");
}

struct PortCase {
  std::string stored;
  int selected;
};

// A settings file edited by hand or damaged on disk must neither crash the start-up
// nor select an entry the list does not have.
TEST(SettingsGarbage, StoredPortTextsSelectAnExistingEntryOrNone) {
  const std::vector<PortCase> cases = {
      {"abc", -1},
      {"1e9", -1},
      {"-7", -1},
      {"254.5", 254},  // ties go to the even neighbour
      {"253.5", 254},
      {"255.5", -1},
      {"-1.5", -1},
      {"-0.5", 0},
      {"", -1},
      {" ", -1},
      {std::string(10240, '1'), -1},
      {std::string(10240, 'x'), -1},
      {std::string(10240, '0') + "7", 7},
      {std::string(10240, ' ') + "3", 3},
      {"0." + std::string(10240, '0') + "1", 0},
      {AllBytes(), -1},
      {std::string("5\0", 2), -1},
      {std::string("\0"
                   "5",
                   2),
       -1},
      {"nan", -1},
      {"inf", -1},
      {"-Infinity", -1},
      {"1e400", -1},
      {"-1e400", -1},
      {"1e-400", 0},
      {"1e99999999999999999999", -1},
      {"&HFFFF", -1},
      {"&H00FE", 254},
      {"&HFF", -1},
      {"&O377", -1},
      {"&H", -1},
      {"&HFFFFFFFFFFFFFFFFFFFFFFFF", -1},
      {"2147483648", -1},
      {"-2147483649", -1},
      {"4294967296", -1},
      {"1 2", 12},
      {"\t3\n", 3},
      {"3\r\n", -1},
      {"+5", 5},
      {".5e1", 5},
      {"5,0", -1},
      {"0x10", -1},
  };
  for (const PortCase& c : cases) {
    SCOPED_TRACE(Shown(c.stored));
    Harness h;
    h.settings.values["Voltander/Setup/Portok"] = c.stored;
    h.form->Form_Load();

    const int selected = h.form->Portok.selected();
    EXPECT_EQ(selected, c.selected);
    EXPECT_TRUE(selected >= -1 && selected < static_cast<int>(h.form->Portok.count()));
    EXPECT_EQ(h.port.isOpen(), selected != -1);
    if (selected != -1) EXPECT_EQ(h.port.portNumber(), selected + 1);
    EXPECT_EQ(h.timer.enabled(), selected != -1);
    EXPECT_TRUE(h.dialogs.shown.empty());

    h.form->Form_Unload();
    EXPECT_EQ(h.setting("Portok"), selected == -1 ? "-1" : " " + std::to_string(selected));
  }
}

struct ToggleCase {
  std::string stored;
  bool on;
};

TEST(SettingsGarbage, MenuTogglesAreOnOnlyForTextsThatReadAsOne) {
  const std::vector<ToggleCase> cases = {
      {"x", false},
      {"1e400", false},
      {"-1e400", false},
      {"&HFFFF", false},  // -1 as a 16-bit number
      {"&H1", true},
      {"&O1", true},
      {"", false},  // present but empty: not the default
      {AllBytes(), false},
      {std::string(10240, '1'), false},
      {std::string(10240, ' ') + "1", true},
      {std::string("1\0", 2), true},  // the leading number counts
      {"1x", true},
      {"10e-1", true},
      {"-1", false},
      {"nan", false},
      {"2", false},
      {"0.5", false},
  };
  for (const ToggleCase& c : cases) {
    SCOPED_TRACE(Shown(c.stored));
    Harness h;
    h.settings.values["Voltander/Setup/BAssis"] = c.stored;
    h.settings.values["Voltander/Setup/Expert"] = c.stored;
    h.form->Form_Load();
    EXPECT_EQ(h.form->BAssis.checked(), c.on);
    EXPECT_EQ(h.kozos.ExpertMode, c.on);
    EXPECT_EQ(h.form->BSzakerto.checked(), c.on);

    h.form->Form_Unload();
    EXPECT_EQ(h.setting("BAssis"), c.on ? "1" : "0");
    EXPECT_EQ(h.setting("Expert"), c.on ? "1" : "0");
  }
}

// Whatever the store held, what the exit writes back starts the next run in the
// same state and is written back unchanged: one bad file is repaired, not repeated.
TEST(SettingsGarbage, ExitRepairsTheStoreForTheNextRun) {
  const std::vector<std::string> garbage = {
      AllBytes(), std::string(10240, '9'), "254.5", "&H1", "-0.5", "1e400"};
  for (const std::string& g : garbage) {
    SCOPED_TRACE(Shown(g));
    Harness first;
    for (const char* key : {"Portok", "BAssis", "Expert"}) {
      first.settings.values[std::string("Voltander/Setup/") + key] = g;
    }
    first.form->Form_Load();
    first.form->Form_Unload();

    Harness second;
    second.settings.values = first.settings.values;
    second.form->Form_Load();
    EXPECT_EQ(second.form->Portok.selected(), first.form->Portok.selected());
    EXPECT_EQ(second.form->BAssis.checked(), first.form->BAssis.checked());
    EXPECT_EQ(second.kozos.ExpertMode, first.kozos.ExpertMode);
    second.form->Form_Unload();
    EXPECT_EQ(second.settings.values, first.settings.values);
  }
}

}  // namespace
}  // namespace voltander
