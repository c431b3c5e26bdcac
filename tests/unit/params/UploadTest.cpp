#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fakes/Fakes.h"

namespace voltander {
namespace {

using Bytes = std::vector<std::uint8_t>;

const char* kNoLink =
    "Nincs kapcsolat az Voltanderrel!\r\nFeltöltés csak élő adatkapcsolat mellett lehetséges!";
const char* kDone = "Az adatok feltöltése megtörtént!";

// A started window on an open port with a live link, the poll running and the
// assistant off.
struct Upload : ::testing::Test {
  void SetUp() override {
    h.form->Form_Load();
    h.port.open(1);
    h.timer.setEnabled(true);
    h.kozos.LiveLink = true;
    h.form->BAssis.setChecked(false);
  }
  // Umin, Umax, Igyors, Inormal, Tkarbantarto, Thiszt, Minta.
  void select(std::vector<int> p) {
    Folap& f = *h.form;
    for (ListBox* l :
         {&f.Umin, &f.Umax, &f.Igyors, &f.Inormal, &f.Tkarbantarto, &f.Thiszt, &f.Minta}) {
      l->select(p.front());
      p.erase(p.begin());
    }
  }
  std::vector<std::string> texts() {
    std::vector<std::string> t;
    for (const auto& m : h.dialogs.shown) t.push_back(m.text);
    return t;
  }
  test::Harness h;
};

TEST_F(Upload, SendsTheSetInControllerOrderPacedAndConfirms) {
  select({0, 25, 14, 4, 0, 9, 0});
  h.form->Fel.click();
  EXPECT_EQ(h.port.written, (Bytes{83, 73, 178, 159, 175, 165, 1, 10, 1, 84}));
  EXPECT_EQ(h.pause.pauses, std::vector<int>(10, 1));
  EXPECT_EQ(texts(), std::vector<std::string>{kDone});
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Information);
  EXPECT_TRUE(h.timer.enabled());
}

TEST_F(Upload, EdgeEntriesAndMissingSelectionsSendTheirCodes) {
  select({51, 26, -1, 0, 254, -1, 254});
  h.form->Fel.click();
  // Row 53, row 28, no current (row 0), row 1, 255 days - 1, no time, 255 s.
  EXPECT_EQ(h.port.written, (Bytes{'S', 'I', 143, 162, 160, 161, 255, 0, 255, 'T'}));
  h.port.written.clear();
  select({-1, -1, -1, -1, -1, -1, -1});
  h.form->Fel.click();
  EXPECT_EQ(h.port.written, (Bytes{'S', 'I', 177, 177, 160, 160, 0, 0, 0, 'T'}));
}

TEST_F(Upload, AssistantReportComesFirstAndARefusalSendsNothingOverALiveLink) {
  h.form->BAssis.setChecked(true);
  const int timerChanges = h.timer.enableChanges;
  h.form->Fel.click();  // nothing selected: refused
  EXPECT_TRUE(h.port.written.empty());
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_TRUE(h.dialogs.shown[0].text.ends_with("Adatok feltöltése MEGTAGADVA!"));
  EXPECT_EQ(h.timer.enableChanges, timerChanges);

  // The next attempt starts allowed again; the report is shown before anything goes.
  select({0, 25, 14, 4, 0, 9, 0});
  std::size_t writtenDuringReport = 99;
  h.dialogs.whileShown = [&](const test::ShownMessage& m) {
    if (m.text.starts_with("Akku")) writtenDuringReport = h.port.written.size();
  };
  h.form->Fel.click();
  ASSERT_EQ(h.dialogs.shown.size(), 3u);
  EXPECT_TRUE(h.dialogs.shown[1].text.ends_with("Adatok feltöltése engedélyezve!"));
  EXPECT_EQ(h.dialogs.shown[2].text, kDone);
  EXPECT_EQ(writtenDuringReport, 0u);
  EXPECT_EQ(h.port.written.size(), 10u);
}

TEST_F(Upload, WithoutALiveLinkOnlyTheNoConnectionMessageAppears) {
  h.kozos.LiveLink = false;
  select({0, 25, 14, 4, 0, 9, 0});
  const int timerChanges = h.timer.enableChanges;
  h.form->Fel.click();
  EXPECT_TRUE(h.port.written.empty());
  EXPECT_EQ(texts(), std::vector<std::string>{kNoLink});
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
  EXPECT_EQ(h.timer.enableChanges, timerChanges);
}

TEST_F(Upload, NoPollCanSlipBetweenTheBytesOfTheUpload) {
  select({0, 25, 14, 4, 0, 9, 0});
  std::vector<bool> timerDuringSend;
  h.pause.onPause = [&](int) {
    timerDuringSend.push_back(h.timer.enabled());
    h.timer.tick();  // a tick due now must not fire
  };
  h.form->Fel.click();
  EXPECT_EQ(timerDuringSend, std::vector<bool>(10, false));
  EXPECT_EQ(h.port.written.size(), 10u);
  EXPECT_TRUE(h.timer.enabled());
}

TEST_F(Upload, APortLostBeforeOrDuringTheSendIsNotConfirmed) {
  select({0, 25, 14, 4, 0, 9, 0});
  h.port.failWritesAfter = 4;
  h.form->Fel.click();
  h.port.close();  // the link flag has not caught up yet
  h.form->Fel.click();
  EXPECT_EQ(texts(), (std::vector<std::string>{kNoLink, kNoLink}));
  EXPECT_TRUE(h.timer.enabled());
}

}  // namespace
}  // namespace voltander
