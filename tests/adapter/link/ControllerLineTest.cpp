// The program before the simulated controller on a real line, with the real timer
// and serial events: the bytes on the wire, and what a real line does to the link.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QAction>
#include <QDateTime>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "adapter/Rig.h"
#include "calibration/Oszto.h"
#include "discovery/ControllerSearch.h"
#include "discovery/SearchTexts.h"
#include "qt/platform/PortNames.h"
#include "qt/widgets/PortComboBox.h"

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

// The controller search from the real window over simulators on real pseudo-terminals.
// Root passes a device's mode unless CAP_DAC_OVERRIDE and its reading kin leave its
// effective set (from which they can come back); for a user without them, nothing.
void DacOverride(bool on) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct c[_LINUX_CAPABILITY_U32S_3]{};
  const std::uint32_t dac = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
  syscall(SYS_capget, &header, c);
  c[0].effective = on ? c[0].effective | (c[0].permitted & dac) : c[0].effective & ~dac;
  syscall(SYS_capset, &header, c);
}

// Lists only the test's own devices (besides its port links), as a Bluetooth or network
// port would be listed; the device refused refuses the user while the probe runs.
struct TestDevices : QtPortSearch {
  std::vector<SerialDeviceInfo> systemDevices() override {
    std::vector<SerialDeviceInfo> devices;
    for (const std::string& d : extra) devices.push_back({d, d, "", "", "", {}, {}});
    return devices;
  }
  ProbeRun probe(const std::vector<std::string>& paths) override {
    struct stat was {};
    const bool changed =
        !refused.empty() && ::stat(refused.c_str(), &was) == 0 && ::chmod(refused.c_str(), 0) == 0;
    DacOverride(false);
    refusing = changed && ::faccessat(AT_FDCWD, refused.c_str(), R_OK, AT_EACCESS) != 0;
    ProbeRun run = QtPortSearch::probe(paths);
    DacOverride(true);
    if (changed) ::chmod(refused.c_str(), was.st_mode & 07777);
    return run;
  }
  std::vector<std::string> extra;
  std::string refused;
  bool refusing = false;
};

// The window before a silent controller at Comm comm, the port the user had.
struct SearchWindow {
  explicit SearchWindow(int comm) : rig(comm, {"--silent-from", "1"}) {
    portSearch.setParentWindow(&rig.window);
    rig.form.KKereses.onClick = [this] { search.KKereses_Click(); };
  }
  void searchFromMenu() { Child<QAction>(rig.window, "KKereses")->trigger(); }
  ProgramRig rig;
  TestDevices portSearch;
  ControllerSearch search{rig.form.Portok, rig.port, rig.timer, rig.dialogs, portSearch};
};

// The answering device has no number of its own: it is linked and opened as Comm 97.
TEST(ControllerSearchWire, TheAnsweringSimulatorBesideASilentOneGetsComm97AndIsPolled) {
  SearchWindow w(221);
  SimProcess answering({});
  w.portSearch.extra = {answering.device()};
  w.searchFromMenu();
  EXPECT_EQ(std::filesystem::read_symlink(PortLinkFolder() + "/COM97"), answering.device());
  EXPECT_EQ(w.rig.list("Portok")->currentIndex(), 96);
  EXPECT_EQ(w.rig.dialogs.shown.size(), 1u);  // the question before anything is sent
  // The silent one was asked too, once, and nothing after the search.
  EXPECT_EQ(Letters(w.rig.sim().frames()), "R");
  EXPECT_TRUE(ProcessEventsUntil([&] { return w.rig.looksConnected(); }, 2 * kTickMs));
  const auto rrv = [](const std::vector<LoggedFrame>& f) { return Letters(f).starts_with("RRV"); };
  EXPECT_TRUE(rrv(answering.waitForFrames(rrv, 2 * kTickMs)));
  // The list marks the ports with a device behind them and names it.
  auto* list = Child<PortComboBox>(w.rig.window, "Portok");
  list->refreshDevices();
  const auto bold = [list](int i) { return list->itemData(i, Qt::FontRole).value<QFont>().bold(); };
  EXPECT_TRUE(bold(220) && bold(96) && !bold(221));
  EXPECT_TRUE(
      list->itemData(220, Qt::ToolTipRole).toString().contains(w.rig.sim().device().c_str()));
}

TEST(ControllerSearchWire, EveryWayWithoutAControllerGivesThePreviousPortBack) {
  enum class Way { NoAnswer, Cancel, NoRights };
  for (const auto& [way, comm] :
       {std::pair{Way::NoAnswer, 231}, {Way::Cancel, 232}, {Way::NoRights, 233}}) {
    SCOPED_TRACE(comm);
    SearchWindow w(comm);
    if (way == Way::Cancel)
      QTimer::singleShot(100, &w.rig.window, [&] {
        if (auto* p = w.rig.window.findChild<QProgressDialog*>("KKeresesProgress"))
          p->findChild<QPushButton*>()->click();
      });
    if (way == Way::NoRights) w.portSearch.refused = w.rig.sim().device();
    w.searchFromMenu();
    if (way == Way::NoRights && !w.portSearch.refusing)
      GTEST_SKIP() << "the device's mode cannot keep this user out";
    // The confirmation, and the report when the search ran to its end.
    ASSERT_EQ(w.rig.dialogs.shown.size(), way == Way::Cancel ? 1u : 2u);
    const std::string& report = w.rig.dialogs.shown.back().text;
    EXPECT_EQ(report.find(kDialoutHint) != std::string::npos, way == Way::NoRights) << report;
    EXPECT_EQ(w.rig.list("Portok")->currentIndex(), comm - 1);
    EXPECT_EQ(w.rig.port.isOpen(), comm != 0);
  }
}

}  // namespace
}  // namespace voltander::test
