// The program before the simulated controller on a real line, with the real timer
// and serial events: the bytes on the wire, and what a real line does to the link.
#include <gtest/gtest.h>

#include <QDateTime>

#include "adapter/Rig.h"
#include "calibration/Oszto.h"

namespace voltander::test {
namespace {

using Frames = std::vector<std::array<std::uint8_t, 10>>;

bool HasStoredSet(const ProgramRig& rig) {
  return rig.window.windowTitle().endsWith(" (*Kontroller*)");
}

// The controller must keep what the upload sent: its report of the stored set on a
// new connection brings the same selections back.
TEST(UploadWire, TheSetArrivesByteForByteAndTheControllerReportsItBack) {
  ProgramRig rig(43, {"--ratio", "4000"});
  Folap& f = rig.form;
  // The stored set arriving later would overwrite selections made before it.
  ASSERT_TRUE(ProcessEventsUntil([&] { return HasStoredSet(rig); }, 3 * kTickMs));
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.kozos.LiveLink; }, 3 * kTickMs));
  const std::array<int, 7> chosen{14, 4, 25, 0, 9, 0, 0};  // in lists.all() order
  for (std::size_t i = 0; i < chosen.size(); ++i) f.lists.all()[i]->select(chosen[i]);
  f.Fel.click();
  EXPECT_EQ(rig.framesWithLetter('I'), (Frames{{83, 73, 178, 159, 175, 165, 1, 10, 1, 84}}));

  for (ListBox* list : f.lists.all()) list->select(-1);
  f.link.ShowLinkLost();  // the next tick opens a new connection
  ASSERT_TRUE(
      ProcessEventsUntil([&] { return rig.list("Minta")->currentIndex() != -1; }, 3 * kTickMs));
  for (std::size_t i = 0; i < chosen.size(); ++i)
    EXPECT_EQ(f.lists.all()[i]->selected(), chosen[i]) << "list " << i;
}

// The ratio the controller reports after the calibration upload is taken over by
// the polling that resumes when the window closes.
TEST(CalibrationWire, ModeAndUploadFramesReachTheControllerAndItsReportedRatioIsTakenOver) {
  ProgramRig rig(41, {"--ratio", "4000", "--state", "2"});
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.kozos.LiveLink; }, 3 * kTickMs));
  rig.dialogs.calibrationScript = [](Oszto& w) {
    w.Kalib.click();    // answered Yes
    w.Rhi.select(166);  // 5.00 V / 1.66 V
    w.Ufel.click();
  };
  rig.form.BFesz_Click();
  EXPECT_EQ(rig.framesWithLetter('K'),
            (Frames{{'S', 'K', '0', '0', '0', '0', '0', '0', '0', 'T'}}));
  EXPECT_EQ(rig.framesWithLetter('U'), (Frames{{'S', 'U', 11, 196, 'Z', 'E', 'P', 'H', ' ', 'T'}}));
  EXPECT_TRUE(ProcessEventsUntil([&] { return rig.kozos.DividerRatio == 3.012f; }, 3 * kTickMs))
      << "ratio " << rig.kozos.DividerRatio;
}

// Another controller on another port is a new link: its own version and stored set
// replace those of the first, and its first link is told as up, not restored.
TEST(PortSwitch, AnotherPortsControllerGetsAHandshakeOfItsOwn) {
  ProgramRig rig(44, {"--version", "111111", "--params", "140,143,170,165,29,10,5"});
  SimProcess other({"--port", "45", "--version", "222222", "--params", "150,153,171,166,30,11,6"});
  ASSERT_TRUE(ProcessEventsUntil([&] { return HasStoredSet(rig); }, 3 * kTickMs));
  const int umin = rig.form.Umin.selected();
  rig.list("Portok")->setCurrentIndex(44);
  emit rig.list("Portok")->activated(44);
  EXPECT_TRUE(ProcessEventsUntil([&] { return rig.version() == "V222222"; }, 3 * kTickMs))
      << rig.version().toStdString();
  EXPECT_TRUE(ProcessEventsUntil([&] { return rig.form.Umin.selected() != umin; }, kTickMs));
  EXPECT_EQ(std::count(rig.journal.events.begin(), rig.journal.events.end(), "up"), 2);
  EXPECT_EQ(std::count(rig.journal.events.begin(), rig.journal.events.end(), "restored"), 0);
}

// As a pulled USB adapter: the user is told once, nothing retries the device in a
// loop, and choosing the port again once it is back brings the link back.
TEST(DeviceLoss, VanishedDeviceIsReportedOnceAndChoosingThePortAgainReconnects) {
  // Comm 205 has no built-in device to fall back on once the simulator's link goes.
  ProgramRig rig(205, {"--exit-after", "3"});
  ASSERT_TRUE(ProcessEventsUntil([&] { return HasStoredSet(rig); }, 3 * kTickMs));
  ASSERT_TRUE(rig.sim().waitExit(5000)) << "the simulator did not go away";
  ASSERT_TRUE(ProcessEventsUntil([&] { return !rig.dialogs.shown.empty(); }, 3 * kTickMs));
  EXPECT_EQ(rig.dialogs.shown[0].text, "Érvénytelen port szám! Kérem válasszon másikat!");
  EXPECT_FALSE(rig.looksConnected());
  // Two more periods: no further box and no further opening.
  const std::vector<std::string> told = rig.journal.events;  // openings among them
  ProcessEventsFor(2 * kTickMs + 500);
  EXPECT_EQ(rig.journal.events, told);
  EXPECT_FALSE(rig.timer.enabled());
  EXPECT_EQ(rig.dialogs.shown.size(), 1u);
  EXPECT_FALSE(rig.port.isOpen());

  rig.restartSimulator({});
  rig.list("Portok")->setCurrentIndex(rig.comm - 1);
  emit rig.list("Portok")->activated(rig.comm - 1);
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.looksConnected() && rig.version() == "V200401"; },
                                 2 * kTickMs + 1500));
  EXPECT_EQ(rig.dialogs.shown.size(), 1u);
}

// Three stray bytes ahead of the first reply and every reply in halves 300 ms apart:
// thirteen bytes wait and none is taken until the next tick's re-opening clears the
// line; from then on every reply is parsed exactly once and the link holds.
TEST(LineFaults, StrayBytesWaitForTheReopeningAndSplitRepliesAreEachTakenOnce) {
  ProgramRig rig(203, {"--stray", "3", "--split", "300"});
  int parsed = 0;
  const auto inner = rig.port.onComm;
  rig.port.onComm = [&](CommEvent e) {
    if (e == CommEvent::Receive && rig.port.waiting() == 10) ++parsed;
    inner(e);
  };
  // The stray bytes and both halves of the first reply.
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.port.waiting() == 13; }, 3 * kTickMs));
  ASSERT_EQ(Letters(rig.sim().frames()), "R");
  EXPECT_EQ(parsed, 0);

  bool dropped = false;
  ProcessEventsUntil(
      [&] {
        dropped = dropped || (rig.kozos.LiveLink && !rig.looksConnected());
        return Letters(rig.sim().frames()).size() >= 6;
      },
      5 * kTickMs);
  rig.timer.setEnabled(false);  // no more polls: every reply the simulator noted is taken
  const auto replies = [&] { return int(rig.sim().noteTimesUs("reply").size()); };
  EXPECT_TRUE(ProcessEventsUntil([&] { return parsed == replies() - 1; }));
  const std::string letters = Letters(rig.sim().frames());
  EXPECT_EQ(letters.substr(0, 6), "RRVORR");
  EXPECT_FALSE(dropped);
  EXPECT_TRUE(rig.looksConnected());
  EXPECT_EQ(rig.version(), "V200401");
  EXPECT_EQ(replies(), int(letters.size()));
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

// A minute of random bytes between the replies: the link may drop, but must be back
// within two ticks of the first poll past it, and stay up.
TEST(NoisyLineSoak, LinkIsBackWithinTwoTicksAfterAMinuteOfNoise) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  ProgramRig rig(206, {"--noise-from", "5000", "--noise-for", "60000", "--noise-seed", "11"});
  int drops = 0;
  bool up = false;
  const auto isUp = [&] {
    const bool now = rig.kozos.LiveLink && rig.looksConnected();
    drops += up && !now;
    return up = now;
  };
  ASSERT_TRUE(ProcessEventsUntil(isUp, 4500)) << "no handshake before the noise";
  ProcessEventsUntil([&] { return (isUp(), sinceStart.elapsed() > 65500); }, 70000);
  const std::vector<std::int64_t> noise = rig.sim().noteTimesUs("noise");
  ASSERT_GT(noise.size(), 50u);
  EXPECT_GT(drops, 0) << "the noise never reached the program";
  // Counted from the first poll past the last burst, as the simulator logged it.
  std::int64_t pollUs = 0;
  ASSERT_TRUE(ProcessEventsUntil(
      [&] {
        for (const LoggedFrame& f : rig.sim().frames())
          if (f.usec > noise.back() && f.bytes[1] == 'R') return (pollUs = f.usec) != 0;
        return false;
      },
      kTickMs + 1000));
  const auto msSincePoll = [&] { return QDateTime::currentMSecsSinceEpoch() - pollUs / 1000; };
  std::int64_t lastDownMs = -1;
  ProcessEventsUntil(
      [&] {
        if (!isUp()) lastDownMs = msSincePoll();
        return msSincePoll() > 4 * kTickMs + 3000;
      },
      5 * kTickMs + 5000);
  EXPECT_LE(lastDownMs, 2 * kTickMs + 2000);
  EXPECT_TRUE(isUp());
  EXPECT_TRUE(rig.dialogs.shown.empty()) << "noise is not a line error";
}

}  // namespace
}  // namespace voltander::test
