#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "calibration/CalibrationTexts.h"
#include "calibration/DividerModel.h"
#include "calibration/Oszto.h"
#include "common/Version.h"
#include "fakes/Fakes.h"

namespace voltander {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
namespace text = calibration_text;

std::size_t LineCount(const std::string& s) { return std::count(s.begin(), s.end(), '\n') + 1; }

// Supply, test-pin voltage, slider and ratio as the window shows them.
std::string View(const Oszto& w) {
  return w.Vcc.selectedText() + " / " + w.Rhi.selectedText() + " @" +
         std::to_string(w.Poti1.value()) + " = " + w.Osztas.caption();
}

struct CalibrationWindow : ::testing::Test {
  void SetUp() override { h.form->Form_Load(); }
  // Opens the window from the menu, as the user does, and runs script while it is open.
  void open(std::function<void(Oszto&)> script) {
    h.dialogs.calibrationScript = std::move(script);
    h.form->BFesz_Click();
  }
  void connect() {
    h.port.open(1);
    h.kozos.LiveLink = true;
  }
  Strings texts() const { return h.dialogs.texts(); }
  test::Harness h;
};

TEST_F(CalibrationWindow, OpeningPreselectsTheEntriesForTheRatioButKeepsTheRatio) {
  // clang-format off
  const struct { float ratio; const char* view; const char* thresholds; } cases[] = {
      {4.0f, "5.00 V / 1.25 @125 = 4.00", "\r\n14.372 V*"},
      {3.0f, "5.00 V / 1.66 @166 = 3.01", "\r\n1.255 V*\r\n"},
      {1.0f, "5.00 V /  @0 = ", ""}};  // a ratio that points at no test-pin voltage
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ratio);
    h.kozos.DividerRatio = c.ratio;
    open([&](Oszto& w) {
      EXPECT_EQ(View(w), c.view);
      EXPECT_NE(w.Ufesz.text().find(c.thresholds), std::string::npos);
      EXPECT_EQ(h.kozos.DividerRatio, c.ratio);
      w.Poti1.scrollTo(125);  // still usable
      EXPECT_EQ(View(w), "5.00 V / 1.25 @125 = 4.00");
    });
    EXPECT_EQ(h.kozos.DividerRatio, c.ratio);
  }
}

TEST_F(CalibrationWindow, ChoicesRecomputeTheRatioTheThresholdsAndTheMainLists) {
  h.form->Inormal.select(6);
  open([&](Oszto& w) {
    EXPECT_EQ(w.Vcc.text(200), "6.00 V");
    EXPECT_EQ(w.Intt.caption(), "0.470 A");
    EXPECT_FALSE(h.timer.enabled()) << "no poll while the window is open";
    EXPECT_EQ(LineCount(w.Ufesz.text()), 53u);
    EXPECT_TRUE(w.Ufesz.text().starts_with("0.208 V\r\n0.417 V\r\n"));
    EXPECT_NE(w.Ufesz.text().find("\r\n3.593 V\r\n1.666 V*\r\n"), std::string::npos);
    w.CH1.toggle();
    EXPECT_EQ(LineCount(w.Ufesz.text()), 26u);
    EXPECT_TRUE(w.Ufesz.text().starts_with("1.666 V*\r\n"));
    // Typing in the test-pin list clears the thresholds; only Enter recomputes them.
    w.Rhi.onKeyPress('5');
    EXPECT_EQ(w.Ufesz.text(), "");
    w.Rhi.onKeyPress(13);
    EXPECT_EQ(LineCount(w.Ufesz.text()), 26u);

    w.Vcc.select(0);  // the lowest supply still forms a ratio
    EXPECT_EQ(View(w), "4.00 V / 1.25 @125 = 3.20");
    w.Vcc.select(100);
    w.Poti1.scrollTo(200);
    EXPECT_EQ(View(w), "5.00 V / 2.00 @200 = 2.50");
    EXPECT_EQ(h.form->Umax.text(51), "8.983 V*");  // 2.5 x 3.593: provisional tables
    const std::string before = w.Ufesz.text();
    w.Poti1.scrollTo(0);  // zero forms no ratio
    EXPECT_EQ(View(w), "5.00 V / 0.00 @0 = ---");
    EXPECT_EQ(w.Ufesz.text(), before);
    EXPECT_EQ(h.kozos.DividerRatio, 2.5f);
    w.Megsem.click();
    EXPECT_TRUE(w.closed());
  });
}

TEST_F(CalibrationWindow, ClosingRestoresTheRatioClearsTheSevenListsAndResetsTheTitle) {
  for (ListBox* list : h.form->lists.all()) list->select(3);
  h.form->Umax.setBackground(kLightRed);  // a wizard's mark goes with the cleared choice
  h.form->window.setTitle("Voltander 1. 1. 0   (akku.vlt)");
  Folap& f = *h.form;
  const std::vector<ListBox*> order = {&f.Igyors,       &f.Inormal, &f.Umax, &f.Umin,
                                       &f.Tkarbantarto, &f.Thiszt,  &f.Minta};
  std::vector<ListBox*> cleared;
  for (ListBox* l : order)
    l->changed = [&cleared, l] { l->selected() < 0 ? cleared.push_back(l) : void(); };
  open([&](Oszto& w) {
    w.Vcc.select(200);
    w.Rhi.select(200);
    EXPECT_EQ(h.kozos.DividerRatio, 3.0f);
    w.window.requestClose();  // the close box
  });
  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_EQ(h.form->Umax.text(51), "14.372 V*");
  cleared.erase(std::unique(cleared.begin(), cleared.end()), cleared.end());
  EXPECT_EQ(cleared, order) << "cleared in the closing's own order";
  EXPECT_FALSE(h.form->Umax.background());
  EXPECT_EQ(h.form->window.title(), StartupTitle());
  EXPECT_FALSE(h.timer.enabled()) << "no port open";

  h.port.open(1);
  open([&](Oszto&) { EXPECT_FALSE(h.timer.enabled()); });
  EXPECT_TRUE(h.timer.enabled()) << "polling resumes on the open port";

  Oszto bare(h.form->osztoHost());  // without a window its own button still closes it
  bare.Form_Load();
  h.form->Umax.select(2);
  bare.Megsem.click();
  EXPECT_TRUE(bare.closed());
  EXPECT_EQ(h.form->Umax.selected(), -1);
}

TEST_F(CalibrationWindow, KalibSendsTheModeFrameOnlyAfterYesAndOnlyWithALink) {
  open([&](Oszto& w) { w.Kalib.click(); });
  EXPECT_EQ(texts(), Strings{text::kModeRefused});

  connect();
  h.dialogs.shown.clear();
  h.dialogs.answers = {Answer::No, Answer::Yes};
  open([&](Oszto& w) {
    w.Kalib.click();
    EXPECT_TRUE(h.port.written.empty());
    w.Kalib.click();
  });
  EXPECT_EQ(h.port.written, (Bytes{'S', 'K', '0', '0', '0', '0', '0', '0', '0', 'T'}));
  EXPECT_EQ(texts(), (Strings{text::kModeQuestion, text::kModeQuestion, text::kProcedure}));

  // A frame that could not leave is not followed by the procedure.
  h.dialogs.shown.clear();
  h.port.failWritesAfter = 0;
  open([&](Oszto& w) { w.Kalib.click(); });
  EXPECT_EQ(texts(), (Strings{text::kModeQuestion, text::kModeRefused}));
}

// Right after an opening at 3.0 the preselected entries are uploaded: 3012, not 3000.
// The new ratio is kept even when nothing could be sent.
TEST_F(CalibrationWindow, UfelSendsTheRatioTimes1000AndKeepsItEvenWhenNothingCouldBeSent) {
  h.kozos.DividerRatio = 3.0f;
  open([&](Oszto& w) { w.Ufel.click(); });
  EXPECT_EQ(h.kozos.DividerRatio, 3.0120482f);  // without a link
  connect();
  h.kozos.DividerRatio = 3.0f;
  open([&](Oszto& w) {
    w.Ufel.click();
    EXPECT_TRUE(w.closed());
  });
  EXPECT_EQ(h.port.written, (Bytes{'S', 'U', 11, 196, 'Z', 'E', 'P', 'H', ' ', 'T'}));
  EXPECT_EQ(h.journal.events.back(), "calibration 3012");
  EXPECT_EQ(h.kozos.CommittedDividerRatio, 3.0120482f);
  EXPECT_EQ(h.kozos.DividerRatio, 3.0120482f);
  h.port.written.clear();
  h.port.failWritesAfter = 3;
  open([&](Oszto& w) { w.Ufel.click(); });
  open([&](Oszto& w) {
    w.Rhi.select(10);  // 5.00 V / 0.10 V = 50: too large to send
    w.Ufel.click();
  });
  EXPECT_EQ(h.kozos.DividerRatio, 50.0f);
  h.kozos.DividerRatio = -2.0f;  // from a parameter file, no test-pin voltage chosen
  open([&](Oszto& w) { w.Ufel.click(); });
  EXPECT_EQ(h.kozos.DividerRatio, -2.0f);
  EXPECT_EQ(h.port.written.size(), 3u) << "only the bytes before the failure";
  EXPECT_EQ(texts(), (Strings{text::kUploadRefused, text::kUploadDone, text::kUploadRefused,
                              text::kRatioOutOfRange, text::kRatioOutOfRange}));
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A ratio whose single-precision product with 1000 is exactly `product`.
float RatioWithProduct(float product) {
  float ratio = product / 1000.0f;
  while (ratio * 1000.0f > product) ratio = std::nextafter(ratio, 0.0f);
  while (ratio * 1000.0f < product) ratio = std::nextafter(ratio, 100.0f);
  EXPECT_EQ(ratio * 1000.0f, product) << "no float ratio gives " << product;
  return ratio;
}

TEST(DividerModel, RatioTimes1000RoundsHalvesToEvenAndRefusesWhatCannotComeBack) {
  for (const auto& [product, n] : {std::pair{3012.5f, 3012}, std::pair{3013.5f, 3014},
                                   std::pair{4351.5f, 4352}, std::pair{0.0f, 0}})
    EXPECT_EQ(RatioTimes1000(RatioWithProduct(product)), n) << product;
  EXPECT_EQ(RatioTimes1000(RatioFromEntries(kVccAtFiveVolts, 166)), 3012);

  // Near the top consecutive ratios move the product by about 0.004.
  float lastSendable = 32.7675f;
  while (lastSendable * 1000.0f >= 32767.5f) lastSendable = std::nextafter(lastSendable, 0.0f);
  EXPECT_EQ(RatioTimes1000(lastSendable), 32767);
  for (float ratio : {std::nextafter(lastSendable, 100.0f), 50.0f, -0.0004f, kNaN, kInf})
    EXPECT_FALSE(RatioTimes1000(ratio).has_value()) << ratio;
}

TEST(DividerModel, RhiEntryIsTheTestPinVoltageAtFiveVoltsRoundedDownOrNone) {
  EXPECT_EQ(RhiEntryForRatio(1.01f), 495);
  // Just above 1 the product may round up to 500, one past the list: never offered.
  EXPECT_LT(RhiEntryForRatio(std::nextafter(1.0f, 2.0f)).value_or(-1), kRhiEntries);
  for (float ratio : {1.0f, -0.0f, kInf, -kInf})
    EXPECT_FALSE(RhiEntryForRatio(ratio).has_value()) << ratio;
}

}  // namespace
}  // namespace voltander
