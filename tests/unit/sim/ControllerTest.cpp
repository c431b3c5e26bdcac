#include <gtest/gtest.h>

#include "ChargeModel.h"
#include "Controller.h"

namespace voltander::sim {
namespace {

FrameBytes Ask(std::uint8_t letter, const Payload& p = kFillerPayload) {
  return EncodeFrame(letter, p);
}

TEST(Controller, UploadedParametersComeBackInTheParameterReply) {
  Controller c{SimOptions{}};
  const Payload uploaded{178, 159, 175, 165, 1, 10, 1};
  EXPECT_FALSE(c.handle(Ask(kParameterUpload, uploaded), 0));
  const auto reply = c.handle(Ask(kParameterRequest), 0);
  ASSERT_TRUE(reply);
  EXPECT_EQ(*reply, EncodeFrame(kParameterReply, uploaded));
}

TEST(Controller, StatusReplyCarriesDutyRatioStateAndChargeBit) {
  struct Case {
    std::uint8_t state;
    std::uint8_t duty;
    std::uint16_t ratio;
    FrameBytes expected;
  };
  const Case cases[] = {
      {2, 200, 4010, {'S', 'E', 200, '0', '0', '0', 15, 170, 18, 'T'}},
      {4, 254, 4000, {'S', 'E', 254, '0', '0', '0', 15, 160, 4, 'T'}},
      {9, 10, 40000, {'S', 'E', 10, '0', '0', '0', 156, 64, 9, 'T'}},
  };
  for (const Case& k : cases) {
    SimOptions o;
    o.fixedState = k.state;
    o.fixedDuty = k.duty;
    o.ratioTimes1000 = k.ratio;
    Controller c{o};
    const auto reply = c.handle(Ask(kPoll), 1234);
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, k.expected) << "state " << int(k.state);
  }
}

TEST(Controller, CalibrationCommandsChangeWhatTheStatusReports) {
  SimOptions o;
  o.fixedState = 1;
  Controller c{o};
  EXPECT_FALSE(c.handle(Ask(kCalibrationUpload, {11, 196, 'Z', 'E', 'P', 'H', ' '}), 0));
  EXPECT_FALSE(c.handle(Ask(kCalibrationMode), 0));
  for (const std::int64_t ms : {0, 60000, 600000}) {
    const auto reply = c.handle(Ask(kPoll), ms);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[6], 11);
    EXPECT_EQ((*reply)[7], 196);
    EXPECT_EQ((*reply)[8], kCalibrationLoopState) << "no charge bit in the loop either";
    EXPECT_EQ((*reply)[2], 0);
  }
}

TEST(Controller, VersionReplyPadsAShortText) {
  SimOptions o;
  EXPECT_EQ(*Controller{o}.handle(Ask(kVersionRequest), 0),
            (FrameBytes{'S', 'V', '2', '0', '0', '4', '0', '1', '0', 'T'}));
  o.version = "1.2";
  EXPECT_EQ(*Controller{o}.handle(Ask(kVersionRequest), 0),
            (FrameBytes{'S', 'V', '1', '.', '2', ' ', ' ', ' ', '0', 'T'}));
}

TEST(Controller, UnknownLettersGetNoReply) {
  Controller c{SimOptions{}};
  EXPECT_FALSE(c.handle(Ask('E'), 0));
  EXPECT_FALSE(c.handle(Ask('Z'), 0));
}

TEST(ChargeModel, CycleRunsThroughTheStatesWithFittingDutyAndChargeBit) {
  const ChargeModel m(2.0);
  const std::uint8_t expected[] = {0, 1, 2, 3, 4, 1, 2};
  for (int stage = 0; stage < 7; ++stage) {
    for (const std::int64_t into : {0, 999, 1999}) {
      const ChargeReading r = m.at(stage * 2000 + into);
      ASSERT_EQ(r.state, expected[stage]) << "stage " << stage << " +" << into << " ms";
      const bool charges = r.state >= 1 && r.state <= 3;
      EXPECT_EQ(r.charging, charges);
      if (charges) {
        EXPECT_GT(r.duty, 0);
        EXPECT_LT(r.duty, 254) << "a healthy charge never reports a fault";
      } else {
        EXPECT_EQ(r.duty, 0);
      }
    }
  }
}

}  // namespace
}  // namespace voltander::sim
