// The program as it runs, inside the test process: the real main window, serial
// port, timer, pauses and settings store, with the controller simulator behind a
// numbered port. Only message boxes are recorded instead of shown, so nothing waits
// for a click; everything else is read off the widgets.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/Folap.h"
#include "fakes/Fakes.h"
#include "qt/FolapWindow.h"
#include "qt/FrameBox.h"
#include "qt/QtPortSearch.h"
#include "qt/QtSerialPort.h"
#include "qt/QtSessionFiles.h"
#include "qt/QtSettingsStore.h"
#include "qt/QtSystem.h"
#include "qt/QtTimer.h"
#include "support/SimProcess.h"

namespace voltander::test {

inline constexpr int kTickMs = 2000;

// Wall-clock microseconds, comparable with the times in the simulator's log.
inline std::int64_t EpochUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

class LinkWindowRig {
 public:
  // Starts the simulator as Comm comm, stores that port as the choice, loads the
  // form and shows the window.
  LinkWindowRig(int n, const std::vector<std::string>& simArgs) : comm(n) {
    restartSimulator(simArgs);
    settings.save("Voltander", "Setup", "Portok", std::to_string(comm - 1));
    form.Form_Load();
    window.show();
  }
  ~LinkWindowRig() { window.close(); }

  // A new simulator behind the same port, as when the device is plugged in again.
  void restartSimulator(std::vector<std::string> simArgs) {
    sim_.reset();
    simArgs.insert(simArgs.end(), {"--port", std::to_string(comm)});
    // The adapter tests' main gives the process a configuration folder of its own.
    sim_ = std::make_unique<SimProcess>(
        simArgs, EnvOverrides{{"XDG_CONFIG_HOME", std::getenv("XDG_CONFIG_HOME")}});
  }
  SimProcess& sim() { return *sim_; }

  template <typename T>
  T* widget(const char* name) const {
    return window.findChild<T*>(QString::fromLatin1(name));
  }
  QComboBox* list(const char* name) const { return widget<QComboBox>(name); }
  QString version() const { return widget<QLineEdit>("AMVerzio")->text(); }

  bool looksConnected() const {
    const QLabel* led = widget<QLabel>("LED2");
    return Background(led) == 0xFF00FF00 && led->text() == QString::fromUtf8("Kapcsolódva");
  }
  // Every part of the no-connection look; empty when it holds, else what differs.
  std::string noConnectionLookDiffers() const {
    std::string diff;
    const auto check = [&diff](bool holds, const char* what) {
      if (!holds) diff += std::string(what) + "; ";
    };
    const QLabel* led = widget<QLabel>("LED2");
    check(Background(led) == 0xFFFF0000 && led->autoFillBackground(), "LED2 is not red");
    check(led->text().isEmpty(), "LED2 has a caption");
    check(version() == "???", "AMVerzio is not \"???\"");
    check(widget<QProgressBar>("Bar")->value() == 0, "Bar is not 0");
    check(!widget<FrameBox>("Allapot")->captionEnabled(), "Allapot is enabled");
    for (const char* name : {"State0", "State1", "State2", "State3", "State4"}) {
      check(!widget<QLabel>(name)->isEnabled(), "a state label is lit");
    }
    check(!widget<QLabel>("Kall")->isVisible(), "Kall is shown");
    check(!widget<QLabel>("Led")->isEnabled(), "Led is enabled");
    return diff;
  }

  const int comm;
  QtSerialPort port;
  QtTimer timer;
  QtSettingsStore settings;
  FakeDialogs dialogs;
  FakeFileStore files;
  QtPause pause;
  QtBeep beep;
  QtDesktop desktop;
  Kozos kozos;
  Journal journal;
  QtPortSearch portSearch;
  QtSessionFiles sessionFiles;
  QtClock clock;
  Platform platform{port, timer,   settings, dialogs,    files,        pause,
                    beep, desktop, journal,  portSearch, sessionFiles, clock};
  Folap form{kozos, platform};
  FolapWindow window{form};

 private:
  static QRgb Background(const QLabel* label) {
    return label->palette().color(QPalette::Window).rgba();
  }

  std::unique_ptr<SimProcess> sim_;
};

}  // namespace voltander::test
