#include <QApplication>
#include <QSessionManager>
#include <memory>

#include "app/Folap.h"
#include "common/Kozos.h"
#include "history/Recorder.h"
#include "platform/Platform.h"
#include "qt/widgets/FolapWindow.h"
#include "qt/widgets/HistoryWindow.h"
#include "qt/widgets/MqttDialog.h"
#include "qt/widgets/OsztoWindow.h"
#include "qt/platform/LinkLog.h"
#include "qt/platform/MosquittoClient.h"
#include "qt/platform/MosquittoPublisher.h"
#include "qt/platform/PosixFileStore.h"
#include "qt/platform/QtDeferred.h"
#include "qt/platform/QtDialogs.h"
#include "qt/platform/QtPortSearch.h"
#include "qt/platform/QtSerialPort.h"
#include "qt/platform/QtSessionFiles.h"
#include "qt/platform/QtSettingsStore.h"
#include "qt/platform/QtSystem.h"
#include "qt/platform/QtTimer.h"
#include "qt/platform/QtTranslation.h"
#include "qt/platform/TerminationSignals.h"

using namespace voltander;

// The program takes no arguments of its own; Qt's (-platform, ...) still work.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Voltander"));
  QApplication::setOrganizationName(QStringLiteral("Voltander"));
  QGuiApplication::setDesktopFileName(QStringLiteral("voltander"));
  InstallQtTranslation(app);

  Kozos kozos;
  QtSerialPort port;
  QtTimer timer;
  QtSettingsStore settings;
  QtDialogs dialogs;
  PosixFileStore files;
  QtPause pause;
  QtBeep beep;
  QtDesktop desktop;
  LinkLog linkLog;
  port.setJournal(linkLog);
  linkLog.started();
  QtPortSearch portSearch;
  QtSessionFiles sessionFiles;
  QtClock clock;
  QtTimer retryTimer;
  QtDeferred deferred;
  Platform platform{port, timer,   settings, dialogs,    files,        pause,
                    beep, desktop, linkLog,  portSearch, sessionFiles, clock, retryTimer, deferred};
  MosquittoPublisher publisher;
  Folap form(kozos, platform);
  form.startTelemetry(publisher);
  // Line conditions reach the link log and the publishing alike.
  port.setJournal(form.journal);
  FolapWindow window(form);
  form.showMqttSettings = [&] {
    MqttDialog dialog(*form.telemetry, publisher, &window);
    dialog.exec();
  };
  dialogs.setParentWindow(&window);
  dialogs.setCalibrationWindow(ShowOsztoModal);
  portSearch.setParentWindow(&window);

  // The charge history listens to the link; its chart opens on demand, non-modal.
  std::unique_ptr<HistoryWindow> chart;
  form.showHistory = [&] {
    if (!chart) chart = std::make_unique<HistoryWindow>(form.recorder);
    chart->show();
    chart->raise();
    chart->activateWindow();
  };

  // A signal or the end of the session closes the window as the exit command
  // does, so the shutdown (and its settings) runs once. During the start-up the
  // request waits until the settings have all been read: an unload in the middle
  // would store half-restored values. Boxes open at that moment are left by
  // ending every event loop; their questions count as unanswered.
  bool loading = true;
  bool exitRequested = false;
  auto requestExit = [&](bool leaveEventLoops) {
    exitRequested = true;
    if (!loading && !window.unloaded()) form.FKi_Click();
    if (leaveEventLoops) QCoreApplication::exit(0);
  };
  TerminationSignals termination([&] { requestExit(true); });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                   [&](QSessionManager&) { requestExit(false); });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&] {
    if (!window.unloaded()) form.FKi_Click();
  });

  form.Form_Load();
  loading = false;
  for (const mqtt::Problem& problem : form.telemetry->problems())
    qCWarning(lcMqtt).noquote() << "[Mqtt]" << QString::fromStdString(mqtt::Describe(problem));
  if (exitRequested) {
    if (!window.unloaded()) form.FKi_Click();
    return 0;
  }
  window.show();
  return app.exec();
}
