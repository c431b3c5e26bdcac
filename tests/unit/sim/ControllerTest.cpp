#include <gtest/gtest.h>

#include "Controller.h"

namespace voltander::sim {
namespace {

FrameBytes Ask(std::uint8_t letter, const Payload& p = kFillerPayload) {
  return EncodeFrame(letter, p);
}

TEST(Controller, UploadedParametersAndRatioComeBackInTheReplies) {
  SimOptions o;
  o.fixedState = 2;
  o.fixedDuty = 200;
  Controller c{o};
  const Payload uploaded{178, 159, 175, 165, 1, 10, 1};
  EXPECT_FALSE(c.handle(Ask(kParameterUpload, uploaded), 0));
  EXPECT_EQ(c.handle(Ask(kParameterRequest), 0), EncodeFrame(kParameterReply, uploaded));
  EXPECT_FALSE(c.handle(Ask('Z'), 0)) << "unknown letters get no reply";

  EXPECT_FALSE(c.handle(Ask(kCalibrationUpload, {11, 196, 'Z', 'E', 'P', 'H', ' '}), 0));
  EXPECT_EQ(c.handle(Ask(kPoll), 1234),
            (FrameBytes{'S', 'E', 200, '0', '0', '0', 11, 196, 18, 'T'}));
  EXPECT_FALSE(c.handle(Ask(kCalibrationMode), 0));
  EXPECT_EQ((*c.handle(Ask(kPoll), 600000))[8], kCalibrationLoopState)
      << "no charge bit in the loop";
}

}  // namespace
}  // namespace voltander::sim
