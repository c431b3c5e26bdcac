#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "calibration/CalibrationTexts.h"
#include "calibration/Oszto.h"
#include "common/Version.h"
#include "fakes/Fakes.h"

namespace voltander {
namespace {

using test::Harness;
using Bytes = std::vector<std::uint8_t>;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    out.push_back(text.substr(start, at - start));
  }
  out.push_back(text.substr(start));
  return out;
}

class CalibrationWindow : public ::testing::Test {
 protected:
  void SetUp() override { h.form->Form_Load(); }

  // Opens the window from the menu, as the user does, runs script while it is open.
  void Open(std::function<void(Oszto&)> script) {
    h.dialogs.calibrationScript = std::move(script);
    h.form->BFesz_Click();
  }
  void Connect() {
    h.port.open(1);
    h.kozos.LiveLink = true;
  }
  std::vector<std::string> ShownTexts() const {
    std::vector<std::string> out;
    for (const auto& m : h.dialogs.shown) out.push_back(m.text);
    return out;
  }

  Harness h;
};

TEST_F(CalibrationWindow, OpeningAtRatioFourPreselectsFiveVoltsAndOneTwentyFive) {
  h.form->Inormal.select(6);
  Open([&](Oszto& w) {
    EXPECT_EQ(w.Vcc.count(), 201u);
    EXPECT_EQ(w.Vcc.text(0), "4.00 V");
    EXPECT_EQ(w.Vcc.text(200), "6.00 V");
    EXPECT_EQ(w.Rhi.count(), 500u);
    EXPECT_EQ(w.Rhi.text(499), "4.99");
    EXPECT_EQ(w.Vcc.selectedText(), "5.00 V");
    EXPECT_EQ(w.Rhi.selectedText(), "1.25");
    EXPECT_EQ(w.Poti1.value(), 125);
    EXPECT_EQ(w.Osztas.caption(), "4.00");
    EXPECT_EQ(w.Intt.caption(), "0.470 A");
    EXPECT_FALSE(w.CH1.checked());
    EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
    EXPECT_EQ(h.kozos.CommittedDividerRatio, 4.0f);
    EXPECT_GE(h.desktop.eventRuns, 2);
    EXPECT_FALSE(h.timer.enabled());
  });
  EXPECT_EQ(h.dialogs.calibrationOpenings, 1);
}

TEST_F(CalibrationWindow, OpeningAtRatioThreeShowsTheRoundedEntryButKeepsTheRatio) {
  h.kozos.DividerRatio = 3.0f;
  Open([&](Oszto& w) {
    EXPECT_EQ(w.Rhi.selected(), 166);
    EXPECT_EQ(w.Osztas.caption(), "3.01");
    const auto lines = Lines(w.Ufesz.text());
    ASSERT_EQ(lines.size(), 53u);
    EXPECT_EQ(lines[27], "1.255 V*");
    EXPECT_EQ(lines[52], "10.822 V*");
    EXPECT_EQ(h.kozos.DividerRatio, 3.0f);
    EXPECT_EQ(h.kozos.CommittedDividerRatio, 3.0f);
    w.Megsem.click();
    EXPECT_TRUE(w.closed());
  });
  EXPECT_EQ(h.kozos.DividerRatio, 3.0f);
  EXPECT_EQ(h.form->Umax.text(51), "10.779 V*");  // 3 x 3.593, the tables follow
}

TEST_F(CalibrationWindow, SliderMovesTheTestPinVoltageAndZeroFormsNoRatio) {
  Open([&](Oszto& w) {
    w.Poti1.scrollTo(200);
    EXPECT_EQ(w.Rhi.selected(), 200);
    EXPECT_EQ(w.Osztas.caption(), "2.50");
    EXPECT_EQ(h.kozos.DividerRatio, 2.5f);
    EXPECT_EQ(h.form->Umax.text(51), "8.983 V*");  // 2.5 x 3.593: provisional tables

    const std::string before = w.Ufesz.text();
    w.Poti1.scrollTo(0);
    EXPECT_EQ(w.Rhi.selected(), 0);
    EXPECT_EQ(w.Osztas.caption(), "---");
    EXPECT_EQ(w.Ufesz.text(), before);
    EXPECT_EQ(h.kozos.DividerRatio, 2.5f);
  });
}

TEST_F(CalibrationWindow, ClosingRestoresTheRatioClearsTheSevenListsAndResetsTheTitle) {
  for (ListBox* list : h.form->parameterLists()) list->select(3);
  h.form->window.setTitle("Voltander 1. 1. 0   (akku.vlt)");
  std::vector<std::string> order;
  const std::vector<std::pair<const char*, ListBox*>> named = {
      {"Igyors", &h.form->Igyors},
      {"Inormal", &h.form->Inormal},
      {"Umax", &h.form->Umax},
      {"Umin", &h.form->Umin},
      {"Tkarbantarto", &h.form->Tkarbantarto},
      {"Thiszt", &h.form->Thiszt},
      {"Minta", &h.form->Minta}};
  for (const auto& [name, list] : named) {
    list->changed = [&order, name = name, list = list] {
      if (list->selected() == -1) order.push_back(name);
    };
  }
  Open([&](Oszto& w) {
    w.Vcc.select(200);
    w.Rhi.select(200);
    EXPECT_EQ(h.kozos.DividerRatio, 3.0f);
    w.window.requestClose();  // the close box
  });
  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_EQ(h.form->Umax.text(51), "14.372 V*");
  EXPECT_EQ(order, (std::vector<std::string>{"Igyors", "Inormal", "Umax", "Umin", "Tkarbantarto",
                                             "Thiszt", "Minta"}));
  EXPECT_EQ(h.form->window.title(), StartupTitle());
  EXPECT_FALSE(h.timer.enabled());  // no port open
}

TEST_F(CalibrationWindow, ClosingRestartsPollingOnlyWhileAPortIsOpen) {
  h.port.open(1);
  h.timer.setEnabled(true);
  Open([&](Oszto&) { EXPECT_FALSE(h.timer.enabled()); });
  EXPECT_TRUE(h.timer.enabled());
}

TEST_F(CalibrationWindow, OpensWithoutPreselectionForRatiosThatPointNowhere) {
  for (float ratio : {0.0f, -2.0f, 1.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
    SCOPED_TRACE(ratio);
    h.kozos.DividerRatio = ratio;
    Open([&](Oszto& w) {
      EXPECT_EQ(w.Vcc.selected(), 100);
      EXPECT_EQ(w.Rhi.selected(), -1);
      EXPECT_EQ(w.Osztas.caption(), "");
      w.Poti1.scrollTo(125);  // still usable
      EXPECT_EQ(w.Osztas.caption(), "4.00");
    });
    EXPECT_TRUE(std::isnan(ratio) ? std::isnan(h.kozos.DividerRatio)
                                  : h.kozos.DividerRatio == ratio);
  }
}

TEST_F(CalibrationWindow, KalibWithoutLinkOnlyRefuses) {
  Open([&](Oszto& w) { w.Kalib.click(); });
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, calibration_text::kModeRefused);
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Exclamation);
  EXPECT_EQ(h.dialogs.shown[0].title, "Voltander");
  EXPECT_TRUE(h.port.written.empty());
}

TEST_F(CalibrationWindow, KalibSendsTheModeFrameOnlyAfterYes) {
  Connect();
  h.dialogs.answers = {Answer::No, Answer::Yes};
  Open([&](Oszto& w) {
    w.Kalib.click();
    EXPECT_TRUE(h.port.written.empty());
    w.Kalib.click();
    EXPECT_FALSE(w.closed());
  });
  EXPECT_EQ(h.port.written, (Bytes{'S', 'K', '0', '0', '0', '0', '0', '0', '0', 'T'}));
  EXPECT_EQ(h.pause.pauses, std::vector<int>(10, 1));
  ASSERT_EQ(h.dialogs.shown.size(), 3u);
  EXPECT_EQ(h.dialogs.shown[0].buttons, Buttons::YesNo);
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Question);
  EXPECT_EQ(h.dialogs.shown[0].text, calibration_text::kModeQuestion);
  EXPECT_EQ(h.dialogs.shown[2].icon, Icon::Information);
  const auto steps = Lines(h.dialogs.shown[2].text);
  ASSERT_EQ(steps.size(), 11u);
  EXPECT_EQ(steps[0], "0.  Helyezze a jumpert Kalibrációs helyzetbe!");
  EXPECT_EQ(steps[9], "");
  EXPECT_TRUE(steps[10].starts_with("Kalibrációs üzemmódban")) << steps[10];
}

TEST_F(CalibrationWindow, KalibShowsNoProcedureWhenTheFrameCouldNotLeave) {
  Connect();
  h.port.failWritesAfter = 0;
  Open([&](Oszto& w) { w.Kalib.click(); });
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{calibration_text::kModeQuestion,
                                                    calibration_text::kModeRefused}));
}

TEST_F(CalibrationWindow, UfelSendsTheRatioTimes1000AndCommitsIt) {
  struct Case {
    int vcc, rhi;
    std::uint8_t high, low;
  };
  for (const Case c : {Case{100, 125, 15, 160}, Case{100, 166, 11, 196}}) {
    SCOPED_TRACE(c.rhi);
    h.port.written.clear();
    h.dialogs.shown.clear();
    Connect();
    Open([&](Oszto& w) {
      w.Vcc.select(c.vcc);
      w.Rhi.select(c.rhi);
      w.Ufel.click();
      EXPECT_TRUE(w.closed());
    });
    EXPECT_EQ(h.port.written, (Bytes{'S', 'U', c.high, c.low, 'Z', 'E', 'P', 'H', ' ', 'T'}));
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{calibration_text::kUploadDone});
    EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Information);
    const float expected = static_cast<float>(5.0 / (c.rhi / 100.0));
    EXPECT_EQ(h.kozos.DividerRatio, expected);
    EXPECT_EQ(h.kozos.CommittedDividerRatio, expected);
  }
}

TEST_F(CalibrationWindow, UfelRightAfterOpeningUploadsThePreselectedEntriesNotTheOldRatio) {
  Connect();
  h.kozos.DividerRatio = 3.0f;
  Open([&](Oszto& w) { w.Ufel.click(); });
  ASSERT_EQ(h.port.written.size(), 10u);
  EXPECT_EQ(h.port.written[2] * 256 + h.port.written[3], 3012);
  EXPECT_EQ(h.kozos.DividerRatio, 3.0120482f);
}

TEST_F(CalibrationWindow, UfelWithoutLinkSendsNothingButKeepsTheNewRatio) {
  Open([&](Oszto& w) {
    w.Rhi.select(166);
    w.Ufel.click();
  });
  EXPECT_TRUE(h.port.written.empty());
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{calibration_text::kUploadRefused});
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
  EXPECT_EQ(h.kozos.DividerRatio, 3.0120482f);
}

TEST_F(CalibrationWindow, UfelRefusesARatioOutsideTheSendableRange) {
  Connect();
  Open([&](Oszto& w) {
    w.Rhi.select(10);  // 5.00 V / 0.10 V = 50
    w.Ufel.click();
  });
  EXPECT_TRUE(h.port.written.empty());
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{calibration_text::kRatioOutOfRange});
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
  EXPECT_EQ(h.kozos.DividerRatio, 50.0f);

  // A negative ratio from a parameter file, no test-pin voltage chosen.
  h.dialogs.shown.clear();
  h.kozos.DividerRatio = -2.0f;
  Open([&](Oszto& w) { w.Ufel.click(); });
  EXPECT_TRUE(h.port.written.empty());
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{calibration_text::kRatioOutOfRange});
  EXPECT_EQ(h.kozos.DividerRatio, -2.0f);
}

TEST_F(CalibrationWindow, UfelDoesNotConfirmAFrameThatCouldNotLeave) {
  Connect();
  h.port.failWritesAfter = 3;
  Open([&](Oszto& w) { w.Ufel.click(); });
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{calibration_text::kUploadRefused});
  EXPECT_EQ(h.kozos.CommittedDividerRatio, 4.0f);
}

}  // namespace
}  // namespace voltander
