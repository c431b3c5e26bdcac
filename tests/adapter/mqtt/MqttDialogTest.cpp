// The settings dialog's connection test against a real broker.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "fakes/Fakes.h"
#include "qt/platform/MosquittoClient.h"
#include "qt/platform/MosquittoPublisher.h"
#include "qt/platform/QtSessionFiles.h"
#include "qt/widgets/MqttDialog.h"
#include "support/Broker.h"

namespace voltander::test {
namespace {

struct DialogRig {
  Harness h;
  MosquittoPublisher publisher;
  mqtt::Telemetry telemetry{publisher, h.settings, h.clock,
                            {h.form->State, h.form->Kall, h.form->AMVerzio, h.form->lists,
                             h.kozos}};
  MqttDialog dialog{telemetry, publisher, nullptr};

  void enter(const char* field, const std::string& text) {
    dialog.findChild<QLineEdit*>(QString::fromLatin1(field))->setText(QString::fromStdString(text));
  }
  QString answer() { return dialog.findChild<QLabel*>(QStringLiteral("answer"))->text(); }
  // Presses the test button and waits for the broker's answer.
  QString test() {
    dialog.findChild<QPushButton*>(QStringLiteral("test"))->click();
    QElapsedTimer waited;
    waited.start();
    while (answer() == QStringLiteral("Kapcsolódás...") && waited.elapsed() < 15000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return answer();
  }
};

TEST(MqttDialogTest, TheBrokersRefusalsOfTheLoginAloneAreLoginErrors) {
  using S = BrokerState;
  const std::pair<int, S> cases[] = {{0, S::Connected},    {1, S::NoAnswer},     {3, S::NoAnswer},
                                     {4, S::LoginRefused}, {5, S::LoginRefused}, {6, S::NoAnswer}};
  for (const auto& [code, state] : cases) EXPECT_EQ(StateOfConnack(code), state) << code;
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

TEST(MqttDialogTest, ConnectionTestTellsTheBrokersAnswer) {
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto is not installed";
  Broker broker({"u", "good", "", "", ""});
  DialogRig rig;
  rig.enter("Host", "127.0.0.1");
  rig.enter("Port", std::to_string(broker.port()));
  rig.enter("User", "u");
  rig.enter("Password", "good");
  EXPECT_EQ(rig.test(), "Kapcsolódva: a bróker elfogadta a kapcsolatot.");
  rig.enter("Password", "bad");
  EXPECT_EQ(rig.test(), "A bróker elutasította a bejelentkezést (felhasználó vagy jelszó).");
  rig.enter("Password", "good");
  // A plain listener cannot do the TLS handshake.
  rig.dialog.findChild<QCheckBox*>(QStringLiteral("Tls"))->setChecked(true);
  EXPECT_EQ(rig.test(), "TLS hiba: a bróker tanúsítványa nem ellenőrizhető.");
  broker.stop();
  EXPECT_EQ(rig.test(), "Nincs válasz a brókertől.");
}

}  // namespace
}  // namespace voltander::test
