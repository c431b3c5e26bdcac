// voltanderd: the charger watched by a service with no window. It reads one
// configuration file, refuses to start on any problem in it (exit 78, which the unit
// does not retry), then polls the charger, records the charge history and publishes
// to the broker until SIGTERM or SIGINT.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/Kozos.h"
#include "qt/daemon/ConfigFile.h"
#include "qt/daemon/JournalStream.h"
#include "qt/daemon/ServiceLog.h"
#include "qt/daemon/SystemdNotice.h"
#include "qt/platform/LinkLog.h"
#include "qt/platform/MosquittoPublisher.h"
#include "qt/platform/QtDeferred.h"
#include "qt/platform/QtSerialPort.h"
#include "qt/platform/QtSessionFiles.h"
#include "qt/platform/QtSystem.h"
#include "qt/platform/QtTimer.h"
#include "qt/platform/TerminationSignals.h"
#include "service/ServiceConfig.h"
#include "service/Unattended.h"

using namespace voltander;

namespace {

constexpr int kExitUsage = 64;  // sysexits' EX_USAGE

constexpr const char* kKeys =
    "\nA beállításfájl (INI) kulcsai:\n"
    "  [Port]    Device=ÚT       a töltő soros eszköze, például /dev/serial/by-id/usb-...\n"
    "            Name=NÉV       a töltő neve (1-64 karakter: betű, számjegy, _ vagy -);\n"
    "                           alapértelmezés: a fájl neve .conf nélkül\n"
    "  [Mqtt]    Enabled=0|1, Host, Port=1883, User, Password, Prefix, Tls=0|1,\n"
    "            CaFile, Discovery=0|1: mint az ablakos program [Mqtt] csoportja\n"
    "  [History] Folder=ÚT      a napló mappája; alapértelmezés: $STATE_DIRECTORY,\n"
    "                           különben $XDG_DATA_HOME/Voltander/voltanderd\n"
    "            CapMB=200      a napló mappájának felső korlátja megabájtban\n"
    "Kilépési kód: 0 rendben, 78 hibás beállítás, 64 hibás parancssor.\n";

void Print(FILE* to, const std::string& text) {
  std::fputs(text.c_str(), to);
  std::fflush(to);
}

std::string VersionText() {
  return "voltanderd " + QCoreApplication::applicationVersion().toStdString() + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("voltanderd"));
  QCoreApplication::setOrganizationName(QStringLiteral("Voltander"));
  QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                              .arg(VOLTANDER_VERSION_MAJOR)
                                              .arg(VOLTANDER_VERSION_MINOR)
                                              .arg(VOLTANDER_VERSION_REVISION));
  InstallServiceLog();

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "A Voltander töltő felügyelete ablak nélkül, szolgáltatásként: lekérdezi a töltőt,\n"
      "naplózza a töltést és MQTT brókernek küldi (Home Assistant)."));
  const QCommandLineOption config(QStringLiteral("config"),
                                  QStringLiteral("A beállításfájl útja."), QStringLiteral("FÁJL"));
  const QCommandLineOption check(QStringLiteral("check"),
                                 QStringLiteral("Csak ellenőrzi a beállításfájlt, és kilép."));
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Kiírja ezt a súgót."));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("Kiírja a változatot."));
  parser.addOptions({config, check, help, version});
  if (!parser.parse(QCoreApplication::arguments())) {
    Print(stderr, parser.errorText().toStdString() + "\n");
    return kExitUsage;
  }
  if (parser.isSet(help)) {
    Print(stdout, parser.helpText().toStdString() + kKeys);
    return 0;
  }
  if (parser.isSet(version)) {
    Print(stdout, VersionText());
    return 0;
  }
  if (!parser.isSet(config)) {
    Print(stderr, "Hiányzik a --config FÁJL (lásd: voltanderd --help).\n");
    return kExitUsage;
  }

  MosquittoPublisher publisher;
  const std::string path = parser.value(config).toStdString();
  std::vector<std::string> problems;
  const service::ServiceConfig settings = service::ParseServiceConfig(
      ReadConfigFile(path), ReadEnvironment(), publisher.hostName(), problems);
  if (parser.isSet(check)) {
    for (const std::string& problem : problems) Print(stdout, problem + "\n");
    if (problems.empty()) Print(stdout, "A beállításfájl rendben: " + path + "\n");
    return problems.empty() ? 0 : service::kExitConfig;
  }
  if (!problems.empty()) {
    for (const std::string& problem : problems)
      qCCritical(lcService).noquote() << QString::fromStdString(problem);
    return service::kExitConfig;
  }

  Kozos kozos;
  QtSerialPort port;
  QtTimer pollTimer, retryTimer;
  QtPause pause;
  QtDesktop desktop;
  ServiceLog serviceLog;
  LinkLog linkLog;
  JournalFanout log;
  log.add(serviceLog);
  log.add(linkLog);
  QtSessionFiles sessionFiles(QString::fromStdString(settings.historyFolder));
  QtClock clock;
  QtDeferred deferred;
  IniFileStore configStore(path, false);
  IniFileStore memory(settings.historyFolder + "/voltanderd.state", true);
  service::Unattended unattended(kozos,
                                 {port, pollTimer, retryTimer, pause, serviceLog, desktop,
                                  serviceLog, log, sessionFiles, clock, deferred, configStore,
                                  memory, publisher},
                                 settings);
  port.setJournal(unattended.journal());

  SystemdNotice systemd;
  bool stopped = false;
  TerminationSignals termination([&] {
    if (std::exchange(stopped, true)) return;
    qCInfo(lcService).noquote() << "Leállás.";
    systemd.stopping();
    unattended.stop();
    QCoreApplication::quit();
  });

  qCInfo(lcService).noquote() << QStringLiteral("voltanderd %1 indul: %2 (%3), napló: %4")
                                     .arg(QCoreApplication::applicationVersion(),
                                          QString::fromStdString(settings.name),
                                          QString::fromStdString(settings.device),
                                          QString::fromStdString(settings.historyFolder));
  unattended.start();
  systemd.ready();
  return QCoreApplication::exec();
}
