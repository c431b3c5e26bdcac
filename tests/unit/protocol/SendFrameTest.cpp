#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "protocol/Frame.h"
#include "protocol/SendFrame.h"

namespace voltander {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Raw bytes, each followed by its pause; only a frame that left is told.
TEST(SendFrame, WritesTenRawBytesEachFollowedByAOneMillisecondPause) {
  test::FakeSerialPort port;
  test::FakePause pause;
  test::FakeJournal journal;
  const Line line{port, pause, journal};
  EXPECT_FALSE(SendFrame(line, kPoll)) << "port never opened";
  port.open(1);
  std::string order;
  port.onWrite = [&](std::uint8_t) { order += 'w'; };
  pause.onPause = [&](int ms) { order += std::to_string(ms); };
  EXPECT_TRUE(SendFrame(line, kPoll));
  EXPECT_EQ(port.written, (Bytes{83, 82, 48, 48, 48, 48, 48, 48, 48, 84}));
  EXPECT_EQ(order, "w1w1w1w1w1w1w1w1w1w1");

  port.written.clear();
  EXPECT_TRUE(SendFrame(line, kParameterUpload, {0, 'S', 'T', 255, 1, 2, 3}));
  EXPECT_EQ(port.written, (Bytes{'S', 'I', 0, 'S', 'T', 255, 1, 2, 3, 'T'})) << "no escaping";
  port.failWritesAfter = 14;
  EXPECT_FALSE(SendFrame(line, kPoll));
  EXPECT_EQ(port.written.size(), 14u);
  EXPECT_EQ(journal.all, (std::vector<std::string>{"sent R", "sent I"}));
}

}  // namespace
}  // namespace voltander
