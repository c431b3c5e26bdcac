// The parameter upload on a real serial line: the program's port talks to the
// controller simulator on a pseudo-terminal, whose frame log shows what arrived, and
// the controller's next report of its stored set shows it kept what was sent.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <functional>

#include "app/Folap.h"
#include "fakes/Fakes.h"
#include "qt/QtSerialPort.h"
#include "qt/QtSystem.h"
#include "qt/QtTimer.h"
#include "support/SimProcess.h"

namespace voltander {
namespace {

using Bytes = std::array<std::uint8_t, 10>;

constexpr int kPort = 43;

bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return done();
}

std::vector<Bytes> UploadFrames(const std::vector<test::LoggedFrame>& frames) {
  std::vector<Bytes> out;
  for (const test::LoggedFrame& f : frames) {
    if (f.bytes[1] == 'I') out.push_back(f.bytes);
  }
  return out;
}

TEST(UploadWire, TheSetArrivesByteForByteAndTheControllerReportsItBack) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  test::SimProcess sim({"--port", std::to_string(kPort), "--ratio", "4000"},
                       {{"XDG_CONFIG_HOME", config}});

  QtSerialPort port;
  QtTimer timer;
  test::FakeSettings settings;
  test::FakeDialogs dialogs;
  test::FakeFileStore files;
  QtPause pause;
  QtBeep beep;
  QtDesktop desktop;
  Kozos kozos;
  Platform platform{port, timer, settings, dialogs, files, pause, beep, desktop};
  Folap form(kozos, platform);
  settings.values["Voltander/Setup/Portok"] = std::to_string(kPort - 1);
  form.Form_Load();
  ASSERT_TRUE(port.isOpen());
  // The handshake ends with the controller's stored set in the lists; selections
  // made before that would be overwritten by it.
  ASSERT_TRUE(
      RunEventsUntil([&] { return form.window.title().ends_with("(*Kontroller*)"); }, 10000))
      << "no stored-parameter reply came";
  ASSERT_TRUE(kozos.LiveLink);

  form.Umin.select(0);
  form.Umax.select(25);
  form.Igyors.select(14);
  form.Inormal.select(4);
  form.Tkarbantarto.select(0);
  form.Thiszt.select(9);
  form.Minta.select(0);
  form.Fel.click();
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_TRUE(dialogs.shown[0].text.ends_with("Adatok feltöltése engedélyezve!"));
  EXPECT_EQ(dialogs.shown[1].text, "Az adatok feltöltése megtörtént!");
  EXPECT_TRUE(timer.enabled());

  const auto frames =
      sim.waitForFrames([](const auto& f) { return !UploadFrames(f).empty(); }, 5000);
  EXPECT_EQ(UploadFrames(frames), (std::vector<Bytes>{{83, 73, 178, 159, 175, 165, 1, 10, 1, 84}}));

  // A new connection reads the controller's set back into cleared lists.
  for (ListBox* list : form.parameterLists()) list->select(-1);
  form.ShowLinkLost();
  EXPECT_TRUE(RunEventsUntil([&] { return form.Minta.selected() != -1; }, 10000))
      << "the set was not reported again";
  EXPECT_EQ(form.Umin.selected(), 0);
  EXPECT_EQ(form.Umax.selected(), 25);
  EXPECT_EQ(form.Igyors.selected(), 14);
  EXPECT_EQ(form.Inormal.selected(), 4);
  EXPECT_EQ(form.Tkarbantarto.selected(), 0);
  EXPECT_EQ(form.Thiszt.selected(), 9);
  EXPECT_EQ(form.Minta.selected(), 0);
  form.Form_Unload();
}

}  // namespace
}  // namespace voltander
