#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QMetaObject>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>

#include "adapter/Rig.h"
#include "platform/Journal.h"
#include "protocol/SendFrame.h"
#include "qt/platform/LineCounters.h"
#include "qt/platform/LineWatch.h"
#include "qt/platform/PortNames.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

// The slave side keeps the kernel's cooked defaults: the port must make it raw.
struct Pty {
  Pty() {
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty");
    ::close(slave);
    device = name;
  }
  ~Pty() { ::close(master); }
  int master = -1, slave = -1;
  std::string device;
};

// Comm n stands for target while the link lives.
struct PortLink {
  PortLink(int n, const std::string& target) : path(PortLinkFolder() + "/COM" + std::to_string(n)) {
    std::filesystem::create_directories(PortLinkFolder());
    std::filesystem::remove(path);
    std::filesystem::create_symlink(target, path);
  }
  ~PortLink() { ::unlink(path.c_str()); }
  std::string path;
};

TEST(PortNamesTest, ARegisteredLinkMakesItsFolderAndOverridesTheBuiltInNumber) {
  std::filesystem::remove_all(PortLinkFolder());
  ASSERT_TRUE(QtPortSearch().registerLink(3, "/dev/pts/424242"));  // even when that is gone
  EXPECT_EQ(DevicePathForPort(3), PortLinkFolder() + "/COM3");
  std::filesystem::remove(PortLinkFolder() + "/COM3");
  EXPECT_EQ(DevicePathForPort(3), "/dev/ttyS2");
}

// Comm 140 stands for a pseudo-terminal whose master side the test plays.
class QtSerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(port.open(DevicePathForPort(140)).ok()); }
  Pty pty;
  PortLink link{140, pty.device};
  QtSerialPort port;
};

TEST_F(QtSerialPortTest, PortsWithoutADeviceAreInvalid) {
  TempDir dir("voltander-port");
  std::ofstream(dir.file("plain")) << "not a line";
  PortLink missing(150, "/dev/pts/999999"), plain(151, dir.file("plain")), null(152, "/dev/null");
  for (int n : {150, 151, 152, 200}) {
    const OpenResult r = port.open(DevicePathForPort(n));
    EXPECT_EQ(r.code, 8002) << "Comm " << n << ": " << r.osText;
    EXPECT_EQ(r.error, OpenError::InvalidPort) << "Comm " << n;
    EXPECT_FALSE(port.isOpen());
  }
}

TEST_F(QtSerialPortTest, PortHeldByAnotherPortObjectIsInUseUntilReleased) {
  PortLink alias(141, pty.device);  // a second name must not get round the lock
  QtSerialPort second;
  for (int n : {140, 141}) {
    const OpenResult r = second.open(DevicePathForPort(n));
    EXPECT_EQ(r.code, 8005) << "Comm " << n << ": " << r.osText;
    EXPECT_EQ(r.error, OpenError::PortInUse);
    EXPECT_FALSE(second.isOpen());
  }
  EXPECT_TRUE(port.isOpen());
  port.close();
  EXPECT_TRUE(second.open(DevicePathForPort(141)).ok());
}

// Raw mode both ways: no byte is translated, swallowed as flow control or echoed.
TEST_F(QtSerialPortTest, EveryByteValuePassesUnchangedBothWays) {
  std::vector<std::uint8_t> all(256), got(256);
  for (int b = 0; b < 256; ++b) all[b] = static_cast<std::uint8_t>(b);
  ASSERT_EQ(::write(pty.master, all.data(), all.size()), 256);
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() >= 256; }));
  for (std::uint8_t& b : got) b = static_cast<std::uint8_t>(port.read());
  EXPECT_EQ(got, all);
  EXPECT_EQ(port.read(), -1);
  for (std::uint8_t b : all) ASSERT_TRUE(port.write(b));
  got.clear();
  std::uint8_t buffer[512];
  for (pollfd p{pty.master, POLLIN, 0}; ::poll(&p, 1, 100) > 0 && (p.revents & POLLIN);)
    got.insert(got.end(), buffer, buffer + std::max<ssize_t>(::read(pty.master, buffer, 512), 0));
  EXPECT_EQ(got, all);
}

// A pseudo-terminal keeps 8 bits without parity; speed and stop bits show a change.
// A malformed text keeps what is in force; a good one applies at once while open.
TEST_F(QtSerialPortTest, LineSettingsAreAppliedAtEveryOpeningAndWhileOpen) {
  using Case = std::tuple<const char*, bool, speed_t, tcflag_t>;  // reopened first?
  for (const auto& [settings, reopen, speed, stopBits] :
       {Case{"9600,N,8,1", true, B9600, 0}, Case{"4800,E,7,2", true, B4800, CSTOPB},
        Case{"9600,N,8", false, B4800, CSTOPB}, Case{"9600,Q,8,1", false, B4800, CSTOPB},
        Case{"9600,N,9,1", false, B4800, CSTOPB}, Case{"9600,o,8,1", false, B9600, 0}}) {
    if (reopen) port.close();
    port.setSettings(settings);
    ASSERT_TRUE(!reopen || port.open(DevicePathForPort(140)).ok());
    termios t{};
    tcgetattr(pty.master, &t);  // the master side reports the slave's settings
    EXPECT_EQ(cfgetospeed(&t), speed) << settings;
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), CS8 | stopBits) << settings;
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << settings;
  }
}

// A loss whose report is still queued when the port is opened again is not told to
// the new opening.
TEST_F(QtSerialPortTest, ALostDeviceIsNotToldToTheOpeningThatFollowedIt) {
  int lost = 0;
  port.onComm = [&](CommEvent e) { lost += e == CommEvent::DeviceLost; };
  auto far = std::make_unique<Pty>();
  PortLink link(142, far->device);
  ASSERT_TRUE(port.open(DevicePathForPort(142)).ok());
  far.reset();
  QElapsedTimer clock;
  for (clock.start(); port.isOpen() && clock.elapsed() < 5000;) QCoreApplication::processEvents();
  Pty next;
  PortLink again(142, next.device);
  ASSERT_TRUE(!port.isOpen() && port.open(DevicePathForPort(142)).ok());
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(lost, 0);
}

// Each byte must be on the line before its pause starts, so the pacing shows on the
// wire. Checked from inside every pause, which no load on the machine can fake: the
// far side must by then hold exactly the bytes written so far.
struct WireCheckingPause : Pause {
  explicit WireCheckingPause(int farSide) : fd(farSide) {}
  void sleepMs(int ms) override {
    std::uint8_t b[16];
    pollfd p{fd, POLLIN, 0};
    const ssize_t n = ::poll(&p, 1, 1000) > 0 ? ::read(fd, b, sizeof b) : 0;
    arrived += std::string(b, b + std::max<ssize_t>(n, 0)) + '|';
    requested.push_back(ms);
    real.sleepMs(ms);
  }
  std::string arrived;  // what reached the far side before each pause, then '|'
  std::vector<int> requested;
  int fd;
  QtPause real;
};

TEST_F(QtSerialPortTest, EveryByteIsOnTheLineBeforeItsOneMillisecondPause) {
  WireCheckingPause pause(pty.master);
  Journal journal;
  ASSERT_TRUE(SendFrame(Line{port, pause, journal}, 'R'));
  EXPECT_EQ(pause.arrived, "S|R|0|0|0|0|0|0|0|T|");
  EXPECT_EQ(pause.requested, std::vector<int>(10, 1));
}

// Runs everything queued so far: events raised before this call have been handled.
void RunQueued() {
  bool reached = false;
  QMetaObject::invokeMethod(
      qApp, [&] { reached = true; }, Qt::QueuedConnection);
  ASSERT_TRUE(ProcessEventsUntil([&] { return reached; }));
}

// A pseudo-terminal keeps no line counts, so receiving and checking raise no counted
// event; a write that cannot drain is one transmit-full event, told to the log.
TEST_F(QtSerialPortTest, APseudoTerminalRaisesNoCountedEventsAndAStuckWriteOneTransmitFull) {
  std::vector<CommEvent> events;
  port.onComm = [&](CommEvent e) { events.push_back(e); };
  FakeJournal journal;
  port.setJournal(journal);
  ASSERT_EQ(::write(pty.master, "SETS00000T", 10), 10);
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() == 10; }));
  port.checkLine();
  RunQueued();
  EXPECT_EQ(std::count(events.begin(), events.end(), CommEvent::Receive), std::ssize(events));

  // Nobody reads the far side: the device's queue fills up and a write gets stuck.
  events.clear();
  int written = 0;
  while (written < (1 << 20) && port.write('x')) ++written;
  ASSERT_LT(written, 1 << 20);
  RunQueued();
  EXPECT_EQ(events, std::vector<CommEvent>{CommEvent::TxFull});
  EXPECT_EQ(journal.events,
            std::vector<std::string>{"line 1010 write not drained within 100 ms, output dropped"});
  // The stuck byte was dropped: once the far side has read what came, the next comes alone.
  char came[4096];
  for (pollfd p{pty.master, POLLIN, 0};
       ::poll(&p, 1, 0) > 0 && ::read(pty.master, came, 4096) > 0;) {
  }
  ASSERT_TRUE(port.write('y'));
  EXPECT_EQ(::read(pty.master, came, 4096), 1);
  EXPECT_EQ(came[0], 'y');
}

// One look finds a break, a framing error, an overrun, a full buffer and a parity
// error. Each gets the handling it would have alone, in that order: the framing error's
// re-opening drops none of those behind it.
TEST(LineEvents, EachEventOfOneLookIsHandledInTurnAcrossTheFramingErrorsReopening) {
  Pty pty;
  PortLink link{140, pty.device};
  LineCounters counts{};
  QtSerialPort port([&](int) { return std::optional(counts); });
  Harness h;
  Platform platform{port,           h.timer, h.settings,   h.dialogs, h.files,
                    h.pause,        h.beep,  h.desktop,    h.journal, h.portSearch,
                    h.sessionFiles, h.clock, h.retryTimer, h.deferred};
  Folap form(h.kozos, platform);
  port.setJournal(h.journal);
  form.Form_Load();
  form.Portok.select(139);
  counts = {1, 1, 1, 1, 1, 0};
  port.checkLine();
  RunQueued();
  EXPECT_EQ(h.dialogs.texts(), (std::vector<std::string>{"1", "3", "4", "5"}));
  EXPECT_EQ(h.beep.count, 1);
  EXPECT_EQ(h.journal.events, (std::vector<std::string>{
                                  "open 140:0", "line 1001 brk 0 -> 1", "line 1004 frame 0 -> 1",
                                  "line 1006 overrun 0 -> 1", "line 1008 buf_overrun 0 -> 1",
                                  "line 1009 parity 0 -> 1", "open 140:0"}));
  EXPECT_TRUE(port.isOpen());
}

// Readings of the line's counts and the events between them, the port's settings that
// cannot be read, and a line that hung up, without hardware.
// Scripted readings, one per call (start() reads too), over /dev/null, which has no
// terminal settings: each look tells every count that moved since the last reading there
// was (a count past its top wraps), in the event table's order, and the settings once
// per opening, ahead of a carrier-detect change.
TEST(LineWatch, EachLookTellsWhatMovedSinceTheLastReadingAndUnreadableSettingsOnce) {
  using Reading = std::optional<LineCounters>;
  const std::string dcb = "1011 settings not readable: Inappropriate ioctl for device";
  // clang-format off
  const struct { bool start; Reading reading; std::vector<std::string> told; } steps[] = {
      {true, LineCounters{10, 20, 30, 40, ~0u, 60}, {}},
      {false, LineCounters{11, 20, 30, 40, ~0u, 61}, {"1001 brk 10 -> 11", dcb, "5 dcd 60 -> 61"}},
      {false, LineCounters{11, 20, 30, 40, ~0u, 61}, {}},
      {false, std::nullopt, {}},  // no counts this time: the last reading stays
      {false, LineCounters{11, 21, 31, 41, 0, 61}, {"1004 frame 20 -> 21", "1006 overrun 30 -> 31",
                                                    "1008 buf_overrun 40 -> 41",
                                                    "1009 parity 4294967295 -> 0"}},
      {true, std::nullopt, {}},   // an opening without counts leaves nothing to compare
      {false, LineCounters{5, 5, 5, 5, 5, 5}, {dcb}},
      {false, LineCounters{5, 6, 5, 5, 5, 5}, {"1004 frame 5 -> 6"}}};
  // clang-format on
  std::size_t next = 0;
  LineWatch watch([&](int) { return steps[next].reading; });
  const int fd = ::open("/dev/null", O_RDWR);
  ASSERT_GE(fd, 0);
  for (; next < std::size(steps); ++next) {
    std::vector<std::string> told;
    if (steps[next].start) watch.start(fd);
    for (const LineEvent& e : steps[next].start ? std::vector<LineEvent>{} : watch.look(fd))
      told.push_back(std::to_string(int(e.event)) + " " + e.detail);
    EXPECT_EQ(told, steps[next].told) << "step " << next;
  }
  ::close(fd);
}

// A line whose output is merely full has not hung up; one whose far end closed has.
TEST(LineWatch, OnlyALineWhoseFarEndClosedHasHungUp) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(fcntl(slave, F_SETFL, O_NONBLOCK), 0);
  const std::string block(4096, 'x');
  while (::write(slave, block.data(), block.size()) > 0) {
  }
  EXPECT_FALSE(HungUp(slave));
  ::close(master);
  EXPECT_TRUE(HungUp(slave));
  ::close(slave);
}

}  // namespace
}  // namespace voltander::test
