// The calibration commands on a real serial line: the program's port talks to the
// controller simulator on a pseudo-terminal, whose frame log shows what arrived.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <functional>

#include "app/Folap.h"
#include "calibration/CalibrationTexts.h"
#include "calibration/Oszto.h"
#include "fakes/Fakes.h"
#include "qt/QtSerialPort.h"
#include "qt/QtSystem.h"
#include "qt/QtTimer.h"
#include "support/SimProcess.h"

namespace voltander {
namespace {

using test::FakeDialogs;
using test::FakeFileStore;
using test::FakeSettings;
using test::LoggedFrame;
using test::SimProcess;
using Bytes = std::array<std::uint8_t, 10>;

constexpr int kPort = 41;

bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return done();
}

std::vector<Bytes> FramesWithLetter(const std::vector<LoggedFrame>& frames, char letter) {
  std::vector<Bytes> out;
  for (const LoggedFrame& f : frames) {
    if (f.bytes[1] == static_cast<std::uint8_t>(letter)) out.push_back(f.bytes);
  }
  return out;
}

TEST(CalibrationWire, ModeAndUploadFramesReachTheControllerAndItsReportedRatioIsTakenOver) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  SimProcess sim({"--port", std::to_string(kPort), "--ratio", "4000", "--state", "2"},
                 {{"XDG_CONFIG_HOME", config}});

  QtSerialPort port;
  QtTimer timer;
  FakeSettings settings;
  FakeDialogs dialogs;
  FakeFileStore files;
  QtPause pause;
  QtBeep beep;
  QtDesktop desktop;
  Kozos kozos;
  Platform platform{port, timer, settings, dialogs, files, pause, beep, desktop};
  Folap form(kozos, platform);
  settings.values["Voltander/Setup/Portok"] = std::to_string(kPort - 1);
  form.Form_Load();
  ASSERT_TRUE(port.isOpen());
  ASSERT_TRUE(RunEventsUntil([&] { return kozos.LiveLink; }, 10000)) << "no status reply came";

  dialogs.calibrationScript = [](Oszto& w) {
    w.Kalib.click();    // answered Yes
    w.Rhi.select(166);  // 5.00 V / 1.66 V
    w.Ufel.click();
  };
  form.BFesz_Click();
  EXPECT_EQ(dialogs.shown.back().text, calibration_text::kUploadDone);
  EXPECT_EQ(kozos.DividerRatio, 3.0120482f);
  EXPECT_TRUE(timer.enabled());

  const auto frames =
      sim.waitForFrames([](const auto& f) { return !FramesWithLetter(f, 'U').empty(); }, 5000);
  EXPECT_EQ(FramesWithLetter(frames, 'K'),
            (std::vector<Bytes>{{'S', 'K', '0', '0', '0', '0', '0', '0', '0', 'T'}}));
  EXPECT_EQ(FramesWithLetter(frames, 'U'),
            (std::vector<Bytes>{{'S', 'U', 11, 196, 'Z', 'E', 'P', 'H', ' ', 'T'}}));

  // Polling resumes after the window has closed; the controller now reports 3012.
  EXPECT_TRUE(RunEventsUntil([&] { return kozos.DividerRatio == 3.012f; }, 10000))
      << "ratio " << kozos.DividerRatio;
  form.Form_Unload();
}

}  // namespace
}  // namespace voltander
