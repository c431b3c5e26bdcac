#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "link/Frame.h"
#include "link/SendFrame.h"

namespace voltander {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FrameEncoding, RequestsAreTenBytesWithZeroFillers) {
  const FrameBytes poll = EncodeFrame(kPoll);
  EXPECT_EQ(Bytes(poll.begin(), poll.end()), (Bytes{83, 82, 48, 48, 48, 48, 48, 48, 48, 84}));
  const FrameBytes version = EncodeFrame(kVersionRequest);
  EXPECT_EQ(version[1], 'V');
  EXPECT_EQ(EncodeFrame(kParameterRequest)[1], 'O');
}

TEST(FrameEncoding, PayloadBytesTravelRawWithoutEscaping) {
  const FrameBytes f = EncodeFrame(kParameterUpload, {0, 'S', 'T', 255, 1, 2, 3});
  EXPECT_EQ(Bytes(f.begin(), f.end()), (Bytes{'S', 'I', 0, 'S', 'T', 255, 1, 2, 3, 'T'}));
  EXPECT_TRUE(IsFramed(f));
}

TEST(FrameDecoding, OnlyTheFirstAndLastPositionsFrameAReply) {
  EXPECT_TRUE(IsFramed(FrameBytes{'S', 'E', 'T', 'S', 0, 0, 0, 0, 'T', 'T'}));
  EXPECT_FALSE(IsFramed(FrameBytes{'X', 'E', 0, 0, 0, 0, 0, 0, 0, 'T'}));
  EXPECT_FALSE(IsFramed(FrameBytes{'S', 'E', 0, 0, 0, 0, 0, 0, 0, 'X'}));
}

TEST(FrameDecoding, StatusFieldsComeFromTheirBits) {
  const StatusReply r = DecodeStatus({'S', 'E', 200, 0, 0, 0, 15, 170, 0xF2 | 0x10, 'T'});
  EXPECT_EQ(r.duty, 200);
  EXPECT_EQ(r.ratioTimes1000, 4010);
  EXPECT_EQ(r.state, 2);
  EXPECT_TRUE(r.charging);
  const StatusReply noCharge = DecodeStatus({'S', 'E', 0, 0, 0, 0, 0, 0, 0xE5, 'T'});
  EXPECT_EQ(noCharge.state, 5);
  EXPECT_FALSE(noCharge.charging);
}

TEST(FrameDecoding, ARatioHighByteOf128OrMoreIsNoRatio) {
  EXPECT_FALSE(DecodeStatus({'S', 'E', 0, 0, 0, 0, 128, 0, 0, 'T'}).ratioTimes1000.has_value());
  EXPECT_EQ(DecodeStatus({'S', 'E', 0, 0, 0, 0, 127, 255, 0, 'T'}).ratioTimes1000, 32767);
}

TEST(FrameEncoding, CalibrationPayloadCarriesTheRatioHighByteFirst) {
  const Payload p = CalibrationPayload(4000);
  EXPECT_EQ(Bytes(p.begin(), p.end()), (Bytes{15, 160, 'Z', 'E', 'P', 'H', ' '}));
  EXPECT_EQ(CalibrationPayload(4352)[0], 17);
  EXPECT_EQ(CalibrationPayload(4352)[1], 0);
}

TEST(SendFrame, WritesTenSingleBytesEachFollowedByAOneMillisecondPause) {
  test::FakeSerialPort port;
  test::FakePause pause;
  port.open(1);
  std::vector<std::string> order;
  port.onWrite = [&](std::uint8_t) { order.push_back("w"); };
  pause.onPause = [&](int ms) { order.push_back("p" + std::to_string(ms)); };

  EXPECT_TRUE(SendFrame(port, pause, kPoll));

  EXPECT_EQ(port.written, (Bytes{83, 82, 48, 48, 48, 48, 48, 48, 48, 84}));
  ASSERT_EQ(order.size(), 20u);
  for (std::size_t i = 0; i < order.size(); i += 2) {
    EXPECT_EQ(order[i], "w");
    EXPECT_EQ(order[i + 1], "p1");
  }
}

TEST(SendFrame, ReportsAFrameThatDidNotLeave) {
  test::FakeSerialPort port;
  test::FakePause pause;
  EXPECT_FALSE(SendFrame(port, pause, kPoll)) << "port never opened";
  EXPECT_TRUE(port.written.empty());
  port.open(1);
  port.failWritesAfter = 4;
  EXPECT_FALSE(SendFrame(port, pause, kPoll));
  EXPECT_EQ(port.written.size(), 4u);
}

}  // namespace
}  // namespace voltander
