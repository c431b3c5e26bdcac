#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "protocol/Frame.h"
#include "protocol/SendFrame.h"

namespace voltander {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SendFrame, WritesTenRawBytesEachFollowedByAOneMillisecondPause) {
  test::FakeSerialPort port;
  test::FakePause pause;
  Journal journal;
  port.open(1);
  std::string order;
  port.onWrite = [&](std::uint8_t) { order += 'w'; };
  pause.onPause = [&](int ms) { order += std::to_string(ms); };

  EXPECT_TRUE(SendFrame(Line{port, pause, journal}, kPoll));
  EXPECT_EQ(port.written, (Bytes{83, 82, 48, 48, 48, 48, 48, 48, 48, 84}));
  EXPECT_EQ(order, "w1w1w1w1w1w1w1w1w1w1");

  port.written.clear();
  EXPECT_TRUE(SendFrame(Line{port, pause, journal}, kCalibrationUpload, CalibrationPayload(4352)));
  EXPECT_EQ(port.written, (Bytes{'S', 'U', 17, 0, 'Z', 'E', 'P', 'H', ' ', 'T'}));
  port.written.clear();
  EXPECT_TRUE(SendFrame(Line{port, pause, journal}, kParameterUpload, {0, 'S', 'T', 255, 1, 2, 3}));
  EXPECT_EQ(port.written, (Bytes{'S', 'I', 0, 'S', 'T', 255, 1, 2, 3, 'T'})) << "no escaping";
}

TEST(SendFrame, ReportsAFrameThatDidNotLeave) {
  test::FakeSerialPort port;
  test::FakePause pause;
  Journal journal;
  EXPECT_FALSE(SendFrame(Line{port, pause, journal}, kPoll)) << "port never opened";
  port.open(1);
  port.failWritesAfter = 4;
  EXPECT_FALSE(SendFrame(Line{port, pause, journal}, kPoll));
  EXPECT_EQ(port.written.size(), 4u);
}

}  // namespace
}  // namespace voltander
