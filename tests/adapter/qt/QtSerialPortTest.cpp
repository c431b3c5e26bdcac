#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "adapter/qt/PtyFixture.h"
#include "link/SendFrame.h"
#include "qt/QtSerialPort.h"
#include "qt/QtSystem.h"
#include "support/TempDir.h"

namespace voltander {
namespace {

using test::PortLink;
using test::ProcessEventsFor;
using test::ProcessEventsUntil;
using test::Pty;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// Records every line event with the number of bytes waiting at that moment.
struct EventLog {
  explicit EventLog(SerialPort& port) {
    port.onComm = [this, &port](CommEvent e) { events.push_back({e, port.waiting()}); };
  }
  int count(CommEvent e) const {
    int n = 0;
    for (const auto& r : events) n += r.event == e;
    return n;
  }
  int receivesWith(int waiting) const {
    int n = 0;
    for (const auto& r : events) n += r.event == CommEvent::Receive && r.waiting == waiting;
    return n;
  }
  struct Record {
    CommEvent event;
    int waiting;
  };
  std::vector<Record> events;
};

TEST(QtSerialPortTest, PortsWithoutADeviceAreInvalid) {
  test::TempDir dir("voltander-port");
  { std::ofstream(dir.file("plain")) << "not a line"; }
  PortLink missing(150, "/dev/pts/999999");
  PortLink regularFile(151, dir.file("plain"));
  PortLink notATerminal(152, "/dev/null");

  QtSerialPort port;
  for (int n : {150, 151, 152, 200, 255}) {
    const OpenResult r = port.open(n);
    EXPECT_EQ(r.error, OpenError::InvalidPort) << "Comm " << n << ": " << r.osText;
    EXPECT_EQ(r.code, 8002) << "Comm " << n;
    EXPECT_FALSE(port.isOpen());
  }
}

TEST(QtSerialPortTest, PortHeldByAnotherPortObjectIsInUseUntilReleased) {
  Pty pty;
  PortLink link(140, pty.device());
  // A second name for the same device must not get round the lock.
  PortLink alias(141, pty.device());
  QtSerialPort first, second;
  ASSERT_TRUE(first.open(140).ok());

  for (int n : {140, 141}) {
    const OpenResult r = second.open(n);
    EXPECT_EQ(r.error, OpenError::PortInUse) << "Comm " << n << ": " << r.osText;
    EXPECT_EQ(r.code, 8005);
    EXPECT_FALSE(second.isOpen());
  }
  EXPECT_TRUE(first.isOpen());

  first.close();
  EXPECT_TRUE(second.open(141).ok());
}

TEST(QtSerialPortTest, PortHeldByAnotherProcessIsInUse) {
  Pty pty;
  PortLink link(142, pty.device());
  int toChild[2], fromChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(fromChild), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(toChild[0], STDIN_FILENO);
    dup2(fromChild[1], STDOUT_FILENO);
    close(toChild[1]);
    close(fromChild[0]);
    setenv("VOLTANDER_TEST_HOLD_PORT", "142", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    execl("/proc/self/exe", "adapter_tests", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  std::string reply;
  char c;
  while (read(fromChild[0], &c, 1) == 1 && c != '\n') reply += c;
  ASSERT_EQ(reply, "open 0") << "the helper could not open the port";

  QtSerialPort port;
  const OpenResult held = port.open(142);
  EXPECT_EQ(held.error, OpenError::PortInUse) << held.osText;
  EXPECT_EQ(held.code, 8005);

  close(toChild[1]);  // the helper lets go and ends
  int status = 0;
  waitpid(child, &status, 0);
  close(fromChild[0]);
  EXPECT_TRUE(port.open(142).ok());
}

TEST(QtSerialPortTest, ReplyInTwoPiecesGivesOneReceiveWithTenWaiting) {
  Pty pty;
  PortLink link(143, pty.device());
  QtSerialPort port;
  EventLog log(port);
  ASSERT_TRUE(port.open(143).ok());

  pty.send(Bytes("SE\x80"));
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() == 3; }));
  ProcessEventsFor(30);
  pty.send(Bytes("00000T\x01"));  // the tail of the reply is seven bytes
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() >= 10; }));
  ProcessEventsFor(50);

  EXPECT_EQ(log.receivesWith(10), 1);
  EXPECT_GE(log.count(CommEvent::Receive), 2);  // the first piece is announced too
  std::string got;
  for (int b; (b = port.read()) >= 0;) got += static_cast<char>(b);
  EXPECT_EQ(got, std::string("SE\x80") + "00000T\x01");
  EXPECT_EQ(port.waiting(), 0);
}

TEST(QtSerialPortTest, TwentyBytesAtOnceNeverShowTenWaiting) {
  Pty pty;
  PortLink link(144, pty.device());
  QtSerialPort port;
  EventLog log(port);
  ASSERT_TRUE(port.open(144).ok());

  pty.send(Bytes("SE0000000TSE0000000T"));
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() == 20; }));
  ProcessEventsFor(50);
  EXPECT_EQ(log.receivesWith(10), 0);
  EXPECT_GE(log.count(CommEvent::Receive), 1);
}

TEST(QtSerialPortTest, OpeningDiscardsBytesThatArrivedBefore) {
  Pty pty;
  PortLink link(145, pty.device());
  QtSerialPort port;
  EventLog log(port);
  ASSERT_TRUE(port.open(145).ok());
  pty.send(Bytes("stale"));
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() == 5; }));

  // Closed: the device keeps what comes meanwhile; the next opening drops it all.
  port.close();
  pty.send(Bytes("SE0000000T"));
  ProcessEventsFor(30);
  ASSERT_TRUE(port.open(145).ok());
  ProcessEventsFor(100);
  EXPECT_EQ(port.waiting(), 0);
  EXPECT_EQ(port.read(), -1);

  pty.send(Bytes("x"));
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() == 1; }));
  EXPECT_EQ(port.read(), 'x');
}

TEST(QtSerialPortTest, EveryByteValuePassesUnchangedBothWays) {
  Pty pty;
  PortLink link(146, pty.device());
  QtSerialPort port;
  ASSERT_TRUE(port.open(146).ok());

  std::vector<std::uint8_t> all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
  pty.send(all);
  ASSERT_TRUE(ProcessEventsUntil([&] { return port.waiting() >= 256; }));
  std::vector<std::uint8_t> got;
  for (int b; (b = port.read()) >= 0;) got.push_back(static_cast<std::uint8_t>(b));
  EXPECT_EQ(got, all);

  for (std::uint8_t b : all) ASSERT_TRUE(port.write(b));
  EXPECT_EQ(pty.receive(), all);
}

TEST(QtSerialPortTest, LineSettingsAreAppliedAtEveryOpening) {
  Pty pty;
  PortLink link(147, pty.device());
  QtSerialPort port;
  auto lineOf = [&] {
    const int fd = ::open(pty.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    tcgetattr(fd, &t);
    ::close(fd);
    return t;
  };

  port.setSettings("9600,N,8,1");
  ASSERT_TRUE(port.open(147).ok());
  termios t = lineOf();
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);

  port.close();
  port.setSettings("4800,E,7,2");
  ASSERT_TRUE(port.open(147).ok());
  t = lineOf();
  // A pseudo-terminal always keeps 8 data bits without parity; speed and stop bits
  // show that the new settings reached the line.
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B4800));
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);
}

TEST(QtSerialPortTest, FrameBytesLeaveSeparatelyWithThePauseBetweenThem) {
  Pty pty;
  PortLink link(148, pty.device());
  QtSerialPort port;
  ASSERT_TRUE(port.open(148).ok());
  QtPause pause;

  // A reader that stamps each byte as it arrives. A reader held up by the machine's
  // load sees two bytes at once, so a few attempts are allowed; a port that
  // buffered the frame would deliver it in one piece every time.
  double smallestGapMs = 0;
  std::string gapsSeen;
  std::vector<std::uint8_t> wire;
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::vector<std::chrono::steady_clock::time_point> stamps;
    wire.clear();
    std::atomic<bool> stop{false};
    std::thread reader([&] {
      sched_param sp{};
      sp.sched_priority = 1;
      pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp);  // best effort
      while (!stop && wire.size() < 10) {
        pollfd p{pty.master(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        std::uint8_t b[16];
        const ssize_t n = ::read(pty.master(), b, sizeof b);
        const auto now = std::chrono::steady_clock::now();
        for (ssize_t i = 0; i < n; ++i) {
          wire.push_back(b[i]);
          stamps.push_back(now);
        }
      }
    });
    const bool sent = SendFrame(port, pause, 'R');
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (wire.size() < 10 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    stop = true;
    reader.join();
    ASSERT_TRUE(sent);
    ASSERT_EQ(wire, Bytes("SR0000000T"));
    smallestGapMs = 1e9;
    for (std::size_t i = 1; i < stamps.size(); ++i) {
      const double gap =
          std::chrono::duration<double, std::milli>(stamps[i] - stamps[i - 1]).count();
      smallestGapMs = std::min(smallestGapMs, gap);
      gapsSeen += " " + std::to_string(gap);
    }
    gapsSeen += "\n";
    if (smallestGapMs >= 0.9) break;
  }
  EXPECT_GE(smallestGapMs, 0.9) << "gaps in ms per attempt:\n" << gapsSeen;
}

TEST(QtSerialPortTest, LostDeviceIsClosedAndReportedOnceWithoutSpinning) {
  Pty pty;
  PortLink link(139, pty.device());
  QtSerialPort port;
  EventLog log(port);
  ASSERT_TRUE(port.open(139).ok());
  ProcessEventsFor(20);

  pty.closeMaster();
  ASSERT_TRUE(ProcessEventsUntil([&] { return log.count(CommEvent::DeviceLost) > 0; }));
  EXPECT_FALSE(port.isOpen());
  EXPECT_FALSE(port.write('S'));  // skipped, not an error
  EXPECT_EQ(port.read(), -1);
  EXPECT_EQ(port.waiting(), 0);

  const auto cpuBefore = test::CpuTimeUsed();
  ProcessEventsFor(300);
  const auto cpuUsed = test::CpuTimeUsed() - cpuBefore;
  EXPECT_EQ(log.count(CommEvent::DeviceLost), 1);
  // An event loop still woken by the dead device would burn the whole 300 ms.
  EXPECT_LT(cpuUsed, std::chrono::milliseconds(150));
}

}  // namespace
}  // namespace voltander
