#include <gtest/gtest.h>

#include <string>

#include "fakes/Fakes.h"

namespace voltander {
namespace {

using test::Harness;

constexpr const char* kInvalidPort = "Érvénytelen port szám! Kérem válasszon másikat!";
constexpr const char* kPortInUse = "Foglalt port szám! Kérem válasszon másikat!";

TEST(Startup, FirstRunLeavesThePortClosedAndStoresTheDefaultsAtExit) {
  Harness h;
  h.form->Form_Load();

  EXPECT_EQ(h.form->Portok.selected(), -1);
  EXPECT_EQ(h.port.openAttempts, 0);
  EXPECT_FALSE(h.timer.enabled());
  EXPECT_EQ(h.timer.interval(), 2000);
  EXPECT_TRUE(h.form->BAssis.checked());
  EXPECT_FALSE(h.kozos.ExpertMode);
  EXPECT_FALSE(h.form->BSzakerto.checked());
  EXPECT_TRUE(h.dialogs.shown.empty());
  ASSERT_EQ(h.form->Portok.count(), 255u);
  EXPECT_EQ(h.form->Portok.text(0), "Comm 1");
  EXPECT_EQ(h.form->Portok.text(254), "Comm 255");

  h.form->Form_Unload();
  EXPECT_EQ(h.setting("Portok"), "-1");
  EXPECT_EQ(h.setting("BAssis"), "1");
  EXPECT_EQ(h.setting("Expert"), "0");
}

TEST(Startup, TitleIsTheFirstLineOfTheAboutBox) {
  Harness h;
  h.form->Form_Load();
  EXPECT_EQ(h.form->window.title(), "Voltander V" + std::string(" ") +
                                        std::to_string(VOLTANDER_VERSION_MAJOR) + ". " +
                                        std::to_string(VOLTANDER_VERSION_MINOR) + ". " +
                                        std::to_string(VOLTANDER_VERSION_REVISION));
  h.form->Nevjegy_Click();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  const std::string& text = h.dialogs.shown[0].text;
  EXPECT_EQ(text.substr(0, text.find("\r\n")), h.form->window.title());
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Information);
}

TEST(Startup, StoredPortIsOpenedAndPolled) {
  Harness h;
  h.loadWithPort(2);
  EXPECT_EQ(h.form->Portok.selected(), 2);
  EXPECT_TRUE(h.port.isOpen());
  EXPECT_EQ(h.port.portNumber(), 3);
  EXPECT_EQ(h.port.settings, "9600,N,8,1");
  EXPECT_TRUE(h.timer.enabled());
  EXPECT_EQ(h.timer.interval(), 2000);
  EXPECT_TRUE(h.dialogs.shown.empty());
}

struct PortFailure {
  OpenError error;
  int code;
  const char* message;
};

TEST(Startup, AStoredPortThatCannotBeOpenedIsReportedOnceAndForgotten) {
  for (const PortFailure& f : {PortFailure{OpenError::InvalidPort, 8002, kInvalidPort},
                               PortFailure{OpenError::PortInUse, 8005, kPortInUse}}) {
    Harness h;
    h.port.openFailures[4] = {f.error, f.code, ""};
    h.loadWithPort(3);

    ASSERT_EQ(h.dialogs.shown.size(), 1u) << f.code;
    EXPECT_EQ(h.dialogs.shown[0].text, f.message);
    EXPECT_EQ(h.form->Portok.selected(), -1);
    EXPECT_FALSE(h.timer.enabled());
    EXPECT_FALSE(h.port.isOpen());

    h.form->Form_Unload();
    EXPECT_EQ(h.setting("Portok"), "-1");
  }
}

TEST(Startup, StoredPortTextsThatNameNoEntryCountAsNoPort) {
  struct Case {
    const char* stored;
    int selected;
  };
  const Case cases[] = {{"abc", -1}, {"300", -1},  {"255", -1}, {"-2", -1},   {"", -1},  {" 0", 0},
                        {"2.5", 2},  {"254", 254}, {"3x", -1},  {"&H10", 16}, {"-1", -1}};
  for (const Case& c : cases) {
    Harness h;
    h.settings.values["Voltander/Setup/Portok"] = c.stored;
    h.form->Form_Load();
    EXPECT_EQ(h.form->Portok.selected(), c.selected) << '"' << c.stored << '"';
    EXPECT_EQ(h.timer.enabled(), c.selected != -1) << '"' << c.stored << '"';
    if (c.selected == -1) {
      EXPECT_EQ(h.port.openAttempts, 0) << '"' << c.stored << '"';
    }
  }
}

TEST(Startup, MenuTogglesAreOnOnlyForTheNumberOne) {
  struct Case {
    const char* bassis;
    const char* expert;
    bool assistant;
    bool expertMode;
  };
  const Case cases[] = {{"1.0", "2", true, false},
                        {"0", "1", false, true},
                        {" 1", "1.0", true, true},
                        {"yes", "x", false, false},
                        {"1e0", "0.99", true, false}};
  for (const Case& c : cases) {
    Harness h;
    h.settings.values["Voltander/Setup/BAssis"] = c.bassis;
    h.settings.values["Voltander/Setup/Expert"] = c.expert;
    h.form->Form_Load();
    EXPECT_EQ(h.form->BAssis.checked(), c.assistant) << c.bassis;
    EXPECT_EQ(h.kozos.ExpertMode, c.expertMode) << c.expert;
    EXPECT_EQ(h.form->BSzakerto.checked(), c.expertMode) << c.expert;
  }
}

TEST(Shutdown, FirstEntryIsStoredWithALeadingBlankAndReadBack) {
  Harness first;
  first.form->Form_Load();
  first.form->Portok.select(0);
  EXPECT_EQ(first.port.portNumber(), 1);
  first.form->BAssis_Click();
  first.form->BSzakerto_Click();
  first.form->Form_Unload();
  EXPECT_EQ(first.setting("Portok"), " 0");
  EXPECT_EQ(first.setting("BAssis"), "0");
  EXPECT_EQ(first.setting("Expert"), "1");

  Harness second;
  second.settings.values = first.settings.values;
  second.form->Form_Load();
  EXPECT_EQ(second.form->Portok.selected(), 0);
  EXPECT_FALSE(second.form->BAssis.checked());
  EXPECT_TRUE(second.kozos.ExpertMode);
}

TEST(Shutdown, ClosesThePortBeforeWritingTheSettings) {
  Harness h;
  h.loadWithPort(0);
  ASSERT_TRUE(h.port.isOpen());
  std::vector<bool> openWhileSaving;
  h.settings.onSave = [&](const std::string&) { openWhileSaving.push_back(h.port.isOpen()); };
  h.form->Form_Unload();
  EXPECT_EQ(openWhileSaving, (std::vector<bool>{false, false, false}));
  EXPECT_EQ(h.settings.savedKeys, (std::vector<std::string>{"Portok", "BAssis", "Expert"}));
}

TEST(PortChoice, ChoosingTheOpenPortAgainReopensItSilently) {
  Harness h;
  h.loadWithPort(4);
  const int closes = h.port.closes;
  const std::size_t openings = h.port.opened.size();

  h.form->Portok.select(4);

  EXPECT_EQ(h.port.closes, closes + 1);
  ASSERT_EQ(h.port.opened.size(), openings + 1);
  EXPECT_EQ(h.port.opened.back(), 5);
  EXPECT_TRUE(h.port.isOpen());
  EXPECT_TRUE(h.timer.enabled());
  EXPECT_TRUE(h.dialogs.shown.empty());
}

}  // namespace
}  // namespace voltander
