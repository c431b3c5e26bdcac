#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "adapter/qt/PtyFixture.h"
#include "protocol/SendFrame.h"
#include "platform/Journal.h"
#include "qt/PortNames.h"
#include "qt/QtSerialPort.h"
#include "qt/QtSystem.h"
#include "support/TempDir.h"

namespace voltander {
namespace {

using test::PortLink;
using test::ProcessEventsFor;
using test::ProcessEventsUntil;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(PortNamesTest, NumbersMapToDeviceFamiliesInBlocksOf32AndALinkOverridesThem) {
  const struct {
    int n;
    const char* path;
  } cases[] = {{1, "/dev/ttyS0"},     {32, "/dev/ttyS31"},  {33, "/dev/ttyUSB0"},
               {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"}, {96, "/dev/ttyACM31"}};
  for (const auto& c : cases) EXPECT_EQ(DevicePathForPort(c.n), c.path) << "Comm " << c.n;
  for (int n : {0, 97}) EXPECT_EQ(DevicePathForPort(n), "") << "Comm " << n;
  {
    PortLink gone(3, "/dev/pts/424242");  // names its device even when that is gone
    EXPECT_EQ(DevicePathForPort(3), PortLinkFolder() + "/COM3");
    EXPECT_EQ(DevicePathForPort(4), "/dev/ttyS3");
  }
  EXPECT_EQ(DevicePathForPort(3), "/dev/ttyS2");
  PortLink high(200, "/dev/null");
  EXPECT_EQ(DevicePathForPort(200), PortLinkFolder() + "/COM200");
}

// Comm 140 stands for a pseudo-terminal whose master side plays the controller.
class QtSerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port.onComm = [this](CommEvent e) {
      if (e == CommEvent::Receive) receivedWith.push_back(port.waiting());
      if (e == CommEvent::DeviceLost) ++losses;
    };
    ASSERT_TRUE(port.open(140).ok());
  }
  std::vector<std::uint8_t> readAll() {
    std::vector<std::uint8_t> got;
    for (int b; (b = port.read()) >= 0;) got.push_back(static_cast<std::uint8_t>(b));
    return got;
  }
  test::Pty pty;
  PortLink link{140, pty.device()};
  QtSerialPort port;
  std::vector<int> receivedWith;  // bytes waiting at each receive event
  int losses = 0;
};

TEST_F(QtSerialPortTest, PortsWithoutADeviceAreInvalid) {
  test::TempDir dir("voltander-port");
  std::ofstream(dir.file("plain")) << "not a line";
  PortLink missing(150, "/dev/pts/999999"), plain(151, dir.file("plain")), null(152, "/dev/null");
  for (int n : {150, 151, 152, 200}) {
    const OpenResult r = port.open(n);
    EXPECT_EQ(r.code, 8002) << "Comm " << n << ": " << r.osText;
    EXPECT_EQ(r.error, OpenError::InvalidPort) << "Comm " << n;
    EXPECT_FALSE(port.isOpen());
  }
}

TEST_F(QtSerialPortTest, PortHeldByAnotherPortObjectIsInUseUntilReleased) {
  PortLink alias(141, pty.device());  // a second name must not get round the lock
  QtSerialPort second;
  for (int n : {140, 141}) {
    const OpenResult r = second.open(n);
    EXPECT_EQ(r.code, 8005) << "Comm " << n << ": " << r.osText;
    EXPECT_EQ(r.error, OpenError::PortInUse);
    EXPECT_FALSE(second.isOpen());
  }
  EXPECT_TRUE(port.isOpen());
  port.close();
  EXPECT_TRUE(second.open(141).ok());
}

// The link parses when exactly ten bytes wait: a reply in pieces must show ten
// once, two replies at once never.
TEST_F(QtSerialPortTest, TenBytesWaitAtOneReceiveOnlyForASingleReply) {
  const struct {
    std::vector<std::string> pieces;
    long receivesWithTen;
  } cases[] = {{{"SE\x80", "00000T\x01"}, 1}, {{"SE0000000TSE0000000T"}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pieces.size());
    ASSERT_TRUE(port.open(140).ok());
    receivedWith.clear();
    std::size_t sent = 0;
    for (const std::string& piece : c.pieces) {
      pty.send(Bytes(piece));
      sent += piece.size();
      ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() >= static_cast<int>(sent); }));
      ProcessEventsFor(40);
    }
    EXPECT_EQ(std::count(receivedWith.begin(), receivedWith.end(), 10), c.receivesWithTen);
    EXPECT_EQ(readAll().size(), sent);
  }
}

TEST_F(QtSerialPortTest, OpeningDiscardsBytesThatArrivedBefore) {
  pty.send(Bytes("stale"));
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() == 5; }));
  port.close();
  pty.send(Bytes("SE0000000T"));  // kept by the device while the port is closed
  ProcessEventsFor(30);
  ASSERT_TRUE(port.open(140).ok());
  ProcessEventsFor(100);
  EXPECT_EQ(port.read(), -1);
  pty.send(Bytes("x"));
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() == 1; }));
  EXPECT_EQ(port.read(), 'x');
}

TEST_F(QtSerialPortTest, EveryByteValuePassesUnchangedBothWays) {
  std::vector<std::uint8_t> all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
  pty.send(all);
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() >= 256; }));
  EXPECT_EQ(readAll(), all);
  for (std::uint8_t b : all) ASSERT_TRUE(port.write(b));
  EXPECT_EQ(pty.receive(), all);
}

// A pseudo-terminal keeps 8 bits without parity; speed and stop bits show a change.
TEST_F(QtSerialPortTest, LineSettingsAreAppliedAtEveryOpening) {
  const struct {
    const char* settings;
    speed_t speed;
    tcflag_t stopBits;
  } cases[] = {{"9600,N,8,1", B9600, 0}, {"4800,E,7,2", B4800, CSTOPB}};
  for (const auto& c : cases) {
    port.close();
    port.setSettings(c.settings);
    ASSERT_TRUE(port.open(140).ok());
    const int fd = ::open(pty.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    tcgetattr(fd, &t);
    ::close(fd);
    EXPECT_EQ(cfgetospeed(&t), c.speed) << c.settings;
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), CS8 | c.stopBits) << c.settings;
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << c.settings;
  }
}

// Each byte must be on the line before its pause starts, so the pacing shows on the
// wire. Checked from inside every pause, which no load on the machine can fake: the
// far side must by then hold exactly the bytes written so far.
class WireCheckingPause : public Pause {
 public:
  explicit WireCheckingPause(int farSide) : fd_(farSide) {}
  void sleepMs(int ms) override {
    using Clock = std::chrono::steady_clock;
    const std::size_t expected = countsAtPause.size() + 1;
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (wire.size() < expected && Clock::now() < deadline) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      std::uint8_t b[16];
      const ssize_t n = ::read(fd_, b, sizeof b);
      wire.insert(wire.end(), b, b + std::max<ssize_t>(n, 0));
    }
    countsAtPause.push_back(wire.size());
    const auto start = Clock::now();
    real_.sleepMs(ms);
    slept.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }

  std::vector<std::uint8_t> wire;
  std::vector<std::size_t> countsAtPause;
  std::vector<double> slept;

 private:
  int fd_;
  QtPause real_;
};

TEST_F(QtSerialPortTest, EveryByteIsOnTheLineBeforeItsOneMillisecondPause) {
  WireCheckingPause pause(pty.master());
  Journal journal;
  ASSERT_TRUE(SendFrame(Line{port, pause, journal}, 'R'));
  EXPECT_EQ(pause.wire, Bytes("SR0000000T"));
  EXPECT_EQ(pause.countsAtPause, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  ASSERT_EQ(pause.slept.size(), 10u);
  for (double ms : pause.slept) EXPECT_GE(ms, 1.0);
}

TEST_F(QtSerialPortTest, LostDeviceIsClosedAndReportedOnceWithoutSpinning) {
  ProcessEventsFor(20);
  pty.closeMaster();
  ASSERT_TRUE(ProcessEventsUntil([&] { return losses > 0; }));
  EXPECT_FALSE(port.isOpen());
  const auto cpuBefore = test::CpuTimeUsed();
  ProcessEventsFor(300);
  EXPECT_EQ(losses, 1);
  // An event loop still woken by the dead device would burn most of the 300 ms.
  EXPECT_LT(test::CpuTimeUsed() - cpuBefore, std::chrono::milliseconds(150));
}

}  // namespace
}  // namespace voltander
