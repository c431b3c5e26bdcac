// Beállítások > "Távfelügyelet (MQTT)...": the broker settings, checked before they
// are kept (a damaged value is named in one line and nothing is saved), and a test
// of the connection that tells the broker's answer without touching the running one.
#pragma once

#include <QDialog>

#include "mqtt/Telemetry.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace voltander {

class MosquittoPublisher;

class MqttDialog : public QDialog {
 public:
  MqttDialog(mqtt::Telemetry& telemetry, MosquittoPublisher& publisher, QWidget* parent);
  ~MqttDialog() override;

  void accept() override;

 private:
  // The entries as settings, or nothing with the first problem shown.
  std::optional<mqtt::MqttSettings> entries();
  void test();

  mqtt::Telemetry& telemetry_;
  MosquittoPublisher& publisher_;
  QCheckBox* enabled_;
  QLineEdit *host_, *port_, *user_, *password_, *prefix_, *caFile_;
  QCheckBox *tls_, *discovery_;
  QLabel* state_;   // the running connection
  QLabel* answer_;  // the test's answer or the entries' problem
};

// One Hungarian line per state, as the dialog shows it; host names the broker.
QString BrokerStateText(BrokerState state, const std::string& host);

}  // namespace voltander
