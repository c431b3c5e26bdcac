// The settings dialog: its entries to what is kept and put in force, and its
// connection test against real brokers and stand-ins for the cases they never show;
// then the broker connection itself.
#include <gtest/gtest.h>
#include <mosquitto.h>

#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <fstream>

#include "adapter/Rig.h"
#include "fakes/Fakes.h"
#include "mqtt/Payloads.h"
#include "qt/platform/MosquittoClient.h"
#include "qt/platform/MosquittoPublisher.h"
#include "qt/widgets/MqttDialog.h"
#include "support/Broker.h"
#include "support/StandInBroker.h"

namespace voltander::test {
namespace {

struct DialogRig {
  explicit DialogRig(const std::map<std::string, std::string>& stored = {})
      : loaded(load(stored)) {}
  Harness h;
  FakePublisher running;        // the telemetry's connection, as it is restarted
  MosquittoPublisher tester;    // the dialog's connection test
  mqtt::Telemetry telemetry{running, h.settings, h.settings, h.clock,
                            {h.form->State, h.form->Kall, h.form->AMVerzio, h.form->lists,
                             h.kozos}};
  bool loaded;  // before the dialog, which shows what was loaded
  MqttDialog dialog{telemetry, tester, nullptr};

  bool load(const std::map<std::string, std::string>& stored) {
    for (const auto& [key, value] : stored) h.settings.values["Voltander/Mqtt/" + key] = value;
    telemetry.load();
    telemetry.portOpened(CommPort(1), {});
    return true;
  }

  void enter(const std::string& field, const std::string& text) {
    if (auto* box = dialog.findChild<QCheckBox*>(QString::fromStdString(field)))
      return box->setChecked(text == "1");
    Child<QLineEdit>(dialog, field.c_str())->setText(QString::fromStdString(text));
  }
  QString answer() { return Child<QLabel>(dialog, "answer")->text(); }
  // Presses the test button and waits for the broker's answer.
  QString test() {
    Child<QPushButton>(dialog, "test")->click();
    ProcessEventsUntil([&] { return answer() != QStringLiteral("Kapcsolódás..."); }, 15000);
    return answer();
  }
};

TEST(MqttDialogTest, TheBrokersAnswersAndTheLibrarysErrorsMeetTheirStates) {
  using S = BrokerState;
  const std::pair<int, S> connacks[] = {{0, S::Connected},      {1, S::ProtocolRefused},
                                        {3, S::NoAnswer},       {4, S::LoginRefused},
                                        {5, S::LoginRefused},   {132, S::ProtocolRefused},
                                        {134, S::LoginRefused}, {135, S::LoginRefused}};
  for (const auto& [code, state] : connacks) EXPECT_EQ(StateOfConnack(code), state) << code;
  ClientEvents events;
  events.tls = S::TlsUntrusted;
  const std::pair<int, S> errors[] = {{MOSQ_ERR_TLS, S::TlsUntrusted}, {MOSQ_ERR_AUTH, S::LoginRefused},
                                      {MOSQ_ERR_CONN_REFUSED, S::LoginRefused}, {MOSQ_ERR_ERRNO, S::NoAnswer}};
  for (const auto& [rc, state] : errors) EXPECT_EQ(StateOfError(rc, events), state) << rc;
}

TEST(MqttDialogTest, NothingInTheDialogHidesAnythingElse) {
  DialogRig rig;
  rig.dialog.show();
  const QList<QWidget*> all = rig.dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (const QWidget* a : all)
    for (const QWidget* b : all)
      EXPECT_TRUE(a == b || !a->isVisible() || !b->isVisible() ||
                  !a->geometry().intersects(b->geometry()))
          << a->objectName().toStdString() << " over " << b->objectName().toStdString();
}

// From the entries to the answer shown, the file written and the connection restarted.
TEST(MqttDialogTest, OkKeepsSoundEntriesAndRestartsElseNamesTheFirstProblem) {
  struct Case {
    std::map<std::string, std::string> entries;
    std::string answer, port;  // the answer shown, the port in the file after OK
    std::size_t starts;        // the running connection's starts, one at the opening
  };
  const Case cases[] = {
      {{{"Port", "0"}}, "Hibás érték (Port=0): 1 és 65535 közötti egész szám lehet.", "", 1},
      {{{"Host", ""}}, "Hiányzó érték (Host): nincs megadva a bróker címe.", "", 1},
      {{{"Prefix", "$SYS/v"}}, "Hibás érték (Prefix=$SYS/v): nem kezdődhet $ jellel.", "", 1},
      {{{"Prefix", "a\tb"}}, "Hibás érték (Prefix=a\\x09b): nem lehet benne vezérlőkarakter.", "", 1},
      {{{"Tls", "1"}, {"CaFile", "/tmp"}},
       "Hibás érték (CaFile): a CA tanúsítvány nem olvasható fájl: /tmp", "", 1},
      {{{"Port", "1884"}, {"Prefix", "ház/\"1\""}}, "", "1884", 2},
      {{{"Enabled", "0"}}, "", "1883", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    DialogRig rig({{"Enabled", "1"}, {"Host", "b"}});
    for (const auto& [field, text] : c.entries) rig.enter(field, text);
    rig.dialog.accept();
    EXPECT_EQ(rig.answer().toStdString(), c.answer);
    EXPECT_EQ(rig.dialog.result(), c.answer.empty() ? QDialog::Accepted : QDialog::Rejected);
    EXPECT_EQ(rig.h.settings.values["Voltander/Mqtt/Port"], c.port);
    EXPECT_EQ(rig.running.starts.size(), c.starts);
    if (c.starts == 2) { EXPECT_EQ(rig.running.will.topic, "ház/\"1\"/comm1/availability"); }
  }
}

TEST(MqttDialogTest, ConnectionTestTellsEachAnswerInItsOwnLineWithinItsTimeLimit) {
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto is not installed";
  TempDir pki("voltander-pki");
  if (!MakeTestPki(pki, "DNS:localhost")) GTEST_SKIP() << "openssl failed";
  std::ofstream(pki.file("garbage.pem")) << "no certificate\n";
  Broker plain({"u", "good", "", "", ""});
  Broker tls({"", "", pki.file("server.crt"), pki.file("server.key"), ""});
  StandInBroker hung(StandInBroker::Mode::Full);
  const std::string ca = pki.file("ca.crt"), plainPort = std::to_string(plain.port()),
                    tlsPort = std::to_string(tls.port());
  // Host, port, password, TLS, CA file; the answer.
  const std::array<std::array<std::string, 6>, 8> cases{{
      {"127.0.0.1", plainPort, "good", "0", "", "Kapcsolódva: a bróker elfogadta a kapcsolatot."},
      {"127.0.0.1", plainPort, "bad", "0", "",
       "A bróker elutasította a bejelentkezést (felhasználó vagy jelszó)."},
      {"127.0.0.1", plainPort, "good", "1", ca, "TLS hiba: ezen a porton nem TLS válaszol."},
      {"localhost", tlsPort, "", "1", ca, "Kapcsolódva: a bróker elfogadta a kapcsolatot."},
      {"127.0.0.1", tlsPort, "", "1", ca,
       "TLS hiba: a bróker tanúsítványa nem erre a címre szól: 127.0.0.1."},
      {"localhost", tlsPort, "", "1", "",
       "TLS hiba: a bróker tanúsítványa nem megbízható kiadótól származik."},
      {"localhost", tlsPort, "", "1", pki.file("garbage.pem"),
       "TLS hiba: a CA tanúsítványfájl nem olvasható, vagy nincs benne tanúsítvány."},
      // A connect that never completes still gets its answer in time.
      {"127.0.0.1", std::to_string(hung.port()), "", "0", "", "Nincs válasz a brókertől."},
  }};
  DialogRig rig;
  rig.enter("User", "u");
  for (const auto& [host, port, password, tlsOn, caFile, answer] : cases) {
    SCOPED_TRACE(host + ":" + port + " " + password + " " + caFile);
    for (const auto& [field, text] : {std::pair{"Host", host}, {"Port", port}, {"Password", password},
                                      {"Tls", tlsOn}, {"CaFile", caFile}})
      rig.enter(field, text);
    EXPECT_EQ(rig.test().toStdString(), answer);
  }
  // Each test ended cleanly, so the broker dropped its last will.
  EXPECT_EQ(plain.retained("#", "u:good").size(), 0u);
}

// The broker connection against brokers that misbehave, and what it publishes read
// back as a subscriber's JSON parser reads it.
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

// A stop while connected lets the last message leave without running out its wait; a
// broker that goes away broke nothing: the next attempt follows within a second.
TEST(MosquittoPublisherTest, AStopDeliversTheLastMessageAndABrokerGoneIsTriedAgainSoon) {
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto is not installed";
  Broker broker;
  MosquittoPublisher publisher;
  std::vector<BrokerState> states;
  publisher.onState = [&](BrokerState s) { states.push_back(s); };
  const BrokerSettings settings{"127.0.0.1", broker.port(), "", "", false, ""};
  publisher.start(settings, {"t/a", "offline", true, 1});
  ASSERT_TRUE(ProcessEventsUntil([&] { return states.size() == 1; }, 10000));
  logged.clear();
  const QtMessageHandler previous = qInstallMessageHandler(Capture);
  publisher.publish({"t/b", "utolso", true, 1});
  publisher.stop();
  qInstallMessageHandler(previous);
  EXPECT_TRUE(logged.filter(QStringLiteral("nem zárult le időben")).isEmpty());
  EXPECT_EQ(broker.retained("t/#"), (std::map<std::string, std::string>{{"t/b", "utolso"}}));
  publisher.start(settings, {"t/a", "offline", true, 1});
  EXPECT_TRUE(ProcessEventsUntil([&] { return states.size() == 3; }, 10000));
  broker.stop();
  EXPECT_TRUE(ProcessEventsUntil([&] { return states.size() == 5; }, 10000));
  using enum BrokerState;
  EXPECT_EQ(states, (std::vector{Connected, Disconnected, Connected, Disconnected, NoAnswer}));
}

// The login and the last will travel together in the one CONNECT.
TEST(MosquittoPublisherTest, TheConnectCarriesTheLoginAndTheLastWill) {
  StandInBroker quiet(StandInBroker::Mode::Quiet);
  MosquittoPublisher publisher;
  publisher.start({"127.0.0.1", quiet.port(), "gazda", "titok", false, ""},
                  {"t/elerheto", "offline", true, 1});
  const std::string sent = quiet.taken(10000);
  for (const char* part : {"gazda", "titok", "t/elerheto", "offline"})
    EXPECT_NE(sent.find(part), std::string::npos) << part;
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
