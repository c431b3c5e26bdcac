#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/Fakes.h"
#include "service/Unattended.h"

namespace voltander::test {
namespace {

// The service's core over fakes: a device missing at the start is waited for, then
// each reply is filed and published, and the stop leaves "offline" and a closed port.
TEST(Unattended, AMissingDeviceIsWaitedForThenEachReplyIsFiledAndPublished) {
  Harness h;
  FakeSettings memory;
  FakePublisher broker;
  h.settings.values = {{"Voltander/Mqtt/Enabled", "1"}, {"Voltander/Mqtt/Host", "b"},
                       {"Voltander/Mqtt/Prefix", "p"}};
  h.port.openFailures[4] = {OpenError::InvalidPort, 8002, "gone"};
  Kozos kozos;
  service::Unattended service(kozos,
                              {h.port, h.timer, h.retryTimer, h.pause, h.beep, h.desktop,
                               h.dialogs, h.journal, h.sessionFiles, h.clock, h.deferred,
                               h.settings, memory, broker},
                              {"COM4", "garage", {}, "", 1000000});
  service.start();
  EXPECT_EQ(h.port.settings, "9600,N,8,1");
  EXPECT_TRUE(h.retryTimer.enabled() && !h.timer.enabled());
  h.port.openFailures.clear();
  h.retryTimer.tick();
  EXPECT_EQ(h.timer.interval(), 2000);
  broker.tell(BrokerState::Connected);
  ASSERT_TRUE(h.timer.tick());
  h.reply('E', {200, 0, 0, 0, 15, 160, 18});
  ASSERT_EQ(h.sessionFiles.files.size(), 1u);
  EXPECT_NE(h.sessionFiles.files.begin()->second.find(",status,2,200,1,0,0,4,\n"), std::string::npos);
  const auto status = std::find_if(broker.published.begin(), broker.published.end(),
                                   [](const Message& m) { return m.topic == "p/garage/status"; });
  ASSERT_NE(status, broker.published.end());
  EXPECT_NE(status->payload.find("\"duty\":200,"), std::string::npos);
  service.stop();
  EXPECT_EQ(broker.published.back().topic + " " + broker.published.back().payload,
            "p/garage/availability offline");
  EXPECT_FALSE(h.port.isOpen() || h.timer.enabled() || h.retryTimer.enabled());
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(h.journal.events, (std::vector<std::string>{"open 0:8002", "open 0:0", "open 0:0",
                                                        "got E", "status 2/200 charging 4.000", "up"}));
}

}  // namespace
}  // namespace voltander::test
