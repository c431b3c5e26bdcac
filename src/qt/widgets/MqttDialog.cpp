#include "qt/widgets/MqttDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/platform/MosquittoPublisher.h"

namespace voltander {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }

}  // namespace

QString BrokerStateText(BrokerState state, const std::string& host) {
  switch (state) {
    case BrokerState::Connected:
      return QStringLiteral("Kapcsolódva: a bróker elfogadta a kapcsolatot.");
    case BrokerState::LoginRefused:
      return QStringLiteral("A bróker elutasította a bejelentkezést (felhasználó vagy jelszó).");
    case BrokerState::ProtocolRefused:
      return QStringLiteral("A bróker nem fogadja az MQTT 5 protokollt.");
    case BrokerState::SetupFailed:
      return QStringLiteral("Hibás beállítás: ezekkel az értékekkel nem hozható létre kapcsolat.");
    case BrokerState::TlsFailed:
      return QStringLiteral("TLS hiba: a titkosított kapcsolat nem jött létre.");
    case BrokerState::TlsCaFile:
      return QStringLiteral("TLS hiba: a CA tanúsítványfájl nem olvasható, vagy nincs benne tanúsítvány.");
    case BrokerState::TlsHostMismatch:
      return QStringLiteral("TLS hiba: a bróker tanúsítványa nem erre a címre szól: %1.").arg(Q(host));
    case BrokerState::TlsUntrusted:
      return QStringLiteral("TLS hiba: a bróker tanúsítványa nem megbízható kiadótól származik.");
    case BrokerState::TlsNotTls:
      return QStringLiteral("TLS hiba: ezen a porton nem TLS válaszol.");
    case BrokerState::ProtocolBroken:
      return QStringLiteral("A bróker megsértette a protokollt (üzenetet küldött); a kapcsolat bontva.");
    case BrokerState::NoAnswer:
      return QStringLiteral("Nincs válasz a brókertől.");
    case BrokerState::Disconnected:
      break;
  }
  return QStringLiteral("Nincs kapcsolat.");
}

MqttDialog::MqttDialog(mqtt::Telemetry& telemetry, MosquittoPublisher& publisher,
                       QWidget* parent)
    : QDialog(parent), telemetry_(telemetry), publisher_(publisher) {
  setWindowTitle(QStringLiteral("Távfelügyelet (MQTT)"));
  const mqtt::MqttSettings& s = telemetry.settings();
  auto line = [this](const char* name, const std::string& text) {
    auto* edit = new QLineEdit(Q(text), this);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
  };
  auto check = [this](const char* name, const char* caption, bool on) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
  };
  enabled_ = check("Enabled", "Közzététel a brókernek", s.enabled);
  host_ = line("Host", s.broker.host);
  port_ = line("Port", s.broker.port > 0 ? std::to_string(s.broker.port) : "");
  user_ = line("User", s.broker.user);
  password_ = line("Password", s.broker.password);
  password_->setEchoMode(QLineEdit::Password);
  prefix_ = line("Prefix", s.prefix);
  tls_ = check("Tls", "TLS titkosítás", s.broker.tls);
  caFile_ = line("CaFile", s.broker.caFile);
  caFile_->setPlaceholderText(QStringLiteral("a rendszer tanúsítványai"));
  discovery_ = check("Discovery", "Home Assistant felderítés", s.discovery);

  auto* browse = new QPushButton(QStringLiteral("..."), this);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("CA tanúsítvány"),
                                                      caFile_->text());
    if (!file.isEmpty()) caFile_->setText(file);
  });
  auto* caRow = new QHBoxLayout;
  caRow->addWidget(caFile_);
  caRow->addWidget(browse);

  auto* form = new QFormLayout;
  form->addRow(enabled_);
  form->addRow(QStringLiteral("Bróker címe:"), host_);
  form->addRow(QStringLiteral("Port:"), port_);
  form->addRow(QStringLiteral("Felhasználó:"), user_);
  form->addRow(QStringLiteral("Jelszó:"), password_);
  form->addRow(QStringLiteral("Témaelőtag:"), prefix_);
  form->addRow(tls_);
  form->addRow(QStringLiteral("CA tanúsítvány:"), caRow);
  form->addRow(discovery_);

  state_ = new QLabel(this);
  state_->setObjectName(QStringLiteral("state"));
  state_->setWordWrap(true);
  answer_ = new QLabel(this);
  answer_->setObjectName(QStringLiteral("answer"));
  answer_->setWordWrap(true);
  // A value that keeps the publishing off is the state; a repaired one is news.
  QString state = s.enabled ? BrokerStateText(telemetry.state(), s.broker.host)
                            : QStringLiteral("Kikapcsolva.");
  bool closed = false, repaired = false;
  for (const mqtt::Problem& p : telemetry.problems()) {
    if (p.repaired ? std::exchange(repaired, true) : std::exchange(closed, true)) continue;
    (p.repaired ? answer_ : state_)->setText(Q(mqtt::Describe(p)));
  }
  if (!closed) state_->setText(state);
  telemetry.onState = [this, host = s.broker.host](BrokerState st) {
    state_->setText(BrokerStateText(st, host));
  };

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* testButton =
      buttons->addButton(QStringLiteral("Kapcsolat próbája"), QDialogButtonBox::ActionRole);
  testButton->setObjectName(QStringLiteral("test"));
  connect(testButton, &QPushButton::clicked, this, [this] { test(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(state_);
  layout->addWidget(answer_);
  layout->addWidget(buttons);
}

MqttDialog::~MqttDialog() { telemetry_.onState = nullptr; }

std::optional<mqtt::MqttSettings> MqttDialog::entries() {
  const mqtt::SettingsTexts texts{enabled_->isChecked() ? "1" : "0", S(host_), S(port_),
                                  S(user_), S(password_), S(prefix_), tls_->isChecked() ? "1" : "0",
                                  S(caFile_), discovery_->isChecked() ? "1" : "0"};
  std::vector<std::string> problems;
  // The port is the one entry with no sound default to fall back on when emptied.
  if (texts.port.empty()) problems.push_back("Hiányzó érték (Port): 1 és 65535 közötti egész szám lehet.");
  std::vector<mqtt::Problem> damaged;
  const mqtt::MqttSettings s = mqtt::ParseSettings(texts, publisher_.hostName(), damaged);
  for (const mqtt::Problem& p : damaged) problems.push_back(p.line);
  const QFileInfo ca(Q(s.broker.caFile));
  if (s.broker.tls && !s.broker.caFile.empty() && !(ca.isFile() && ca.isReadable()))
    problems.push_back("Hibás érték (CaFile): a CA tanúsítvány nem olvasható fájl: " + s.broker.caFile);
  if (!problems.empty()) {
    answer_->setText(Q(problems.front()));
    return std::nullopt;
  }
  return s;
}

void MqttDialog::accept() {
  if (const auto s = entries()) {
    telemetry_.apply(*s);
    QDialog::accept();
  }
}

void MqttDialog::test() {
  auto s = entries();
  if (!s) return;
  if (s->broker.host.empty()) {
    answer_->setText(QStringLiteral("Hiányzó érték (Host): nincs megadva a bróker címe."));
    return;
  }
  answer_->setText(QStringLiteral("Kapcsolódás..."));
  QPointer<QLabel> answer(answer_);
  publisher_.probe(s->broker, telemetry_.willFor(*s), [answer, host = s->broker.host](BrokerState st) {
    if (answer) answer->setText(BrokerStateText(st, host));
  });
}

}  // namespace voltander
