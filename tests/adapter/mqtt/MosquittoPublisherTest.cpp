// The broker connection against brokers that misbehave, and what it publishes read
// back as a subscriber's JSON parser reads it.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "adapter/Rig.h"
#include "mqtt/Payloads.h"
#include "qt/platform/MosquittoPublisher.h"
#include "support/Broker.h"
#include "support/StandInBroker.h"

namespace voltander::test {
namespace {

QStringList logged;

void Capture(QtMsgType, const QMessageLogContext& context, const QString& text) {
  if (QLatin1String(context.category) == QLatin1String("voltander.mqtt")) logged << text;
}

// Nothing is subscribed, so every message from the broker is a violation; the client
// library would otherwise hold every unreleased QoS 2 message it is sent.
TEST(MosquittoPublisherTest, ABrokerSendingUnaskedMessagesIsDroppedAndLoggedOnce) {
  for (const int qos : {0, 2}) {
    StandInBroker flood(StandInBroker::Mode::Flood, 50, 10000, qos);
    MosquittoPublisher publisher;
    std::vector<BrokerState> states;
    publisher.onState = [&](BrokerState s) { states.push_back(s); };
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Capture);
    publisher.start({"127.0.0.1", flood.port(), "", "", false, ""}, {"t/a", "offline", true, 1});
    EXPECT_TRUE(ProcessEventsUntil([&] { return states.size() >= 2; }, 10000));
    publisher.stop();
    qInstallMessageHandler(previous);
    EXPECT_EQ(states, (std::vector<BrokerState>{BrokerState::Connected, BrokerState::ProtocolBroken,
                                                BrokerState::Disconnected}));
    EXPECT_EQ(logged.filter(QStringLiteral("megsértette a protokollt")).size(), 1)
        << qos << logged.join('\n').toStdString();
  }
}

// A broker that goes away broke nothing: the next attempt follows within a second.
TEST(MosquittoPublisherTest, ABrokerThatGoesAwayIsADisconnectionAndIsTriedAgainSoon) {
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto is not installed";
  Broker broker;
  MosquittoPublisher publisher;
  std::vector<BrokerState> states;
  publisher.onState = [&](BrokerState s) { states.push_back(s); };
  publisher.start({"127.0.0.1", broker.port(), "", "", false, ""}, {"t/a", "offline", true, 1});
  EXPECT_TRUE(ProcessEventsUntil([&] { return states.size() == 1; }, 10000));
  broker.stop();
  EXPECT_TRUE(ProcessEventsUntil([&] { return states.size() == 3; }, 10000));
  EXPECT_EQ(states, (std::vector<BrokerState>{BrokerState::Connected, BrokerState::Disconnected,
                                              BrokerState::NoAnswer}));
}

// A prefix that tries to add a key of its own, and a host name in Latin-1.
TEST(MosquittoPublisherTest, DiscoveryConfigsAreValidJsonForAnyPrefixAndHostName) {
  const std::string prefix = "v/x\",\"json_attributes_topic\":\"y\\/ház";
  const std::string base = prefix + "/comm1";
  const mqtt::DeviceInfo device{base, mqtt::NodeId(prefix, "comm1"), "pc\xe9", "Comm 1",
                                {"Nincs \"akku\""}};
  for (const Message& config : mqtt::DiscoveryConfigs(device)) {
    QJsonParseError error;
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(config.payload), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << config.payload;
    EXPECT_FALSE(json.contains(QStringLiteral("json_attributes_topic")));
    EXPECT_TRUE(json["state_topic"].toString().startsWith(QString::fromStdString(base + "/")));
    EXPECT_EQ(json["availability_topic"].toString().toStdString(), base + "/availability");
    EXPECT_EQ(json["device"]["name"].toString(), QStringLiteral("Voltander Comm 1 (pcé)"));
  }
}

}  // namespace
}  // namespace voltander::test
