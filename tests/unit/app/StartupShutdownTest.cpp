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
  ASSERT_EQ(h.form->Portok.count(), 255u);
  EXPECT_EQ(h.form->Portok.text(0), "Comm 1");
  EXPECT_EQ(h.form->Portok.text(254), "Comm 255");
  EXPECT_EQ(h.form->window.title(), StartupTitle());
  h.form->Nevjegy_Click();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  const std::string& about = h.dialogs.shown[0].text;
  EXPECT_EQ(about.substr(0, about.find("\r\n")), h.form->window.title());

  h.form->Form_Unload();
  EXPECT_EQ(h.setting("Portok"), "-1");
  EXPECT_EQ(h.setting("BAssis"), "1");
  EXPECT_EQ(h.setting("Expert"), "0");
  EXPECT_EQ(h.setting("Ujracsatlakozas"), "0");
  EXPECT_EQ(h.setting("Naplo"), "1");
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

}  // namespace
}  // namespace voltander
