// The program as it runs, inside the test process: the real main window over the
// form, the real serial port, timer, pauses and settings store, and the controller
// simulator behind a numbered port. Only message boxes are recorded instead of
// shown, so nothing waits for a click; everything else is read off the widgets.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <memory>
#include <string>
#include <vector>

#include "app/Folap.h"
#include "fakes/Fakes.h"
#include "qt/FolapWindow.h"
#include "qt/QtSerialPort.h"
#include "qt/QtSettingsStore.h"
#include "qt/QtSystem.h"
#include "qt/QtTimer.h"
#include "support/SimProcess.h"

namespace voltander::test {

// One poll period of the real timer.
inline constexpr int kTickMs = 2000;

class LinkWindowRig {
 public:
  // Starts the simulator as Comm comm (with simArgs), stores that port as the
  // choice, loads the form and shows the window.
  LinkWindowRig(int comm, const std::vector<std::string>& simArgs);
  // Closes the window, which unloads the form once.
  ~LinkWindowRig();
  LinkWindowRig(const LinkWindowRig&) = delete;
  LinkWindowRig& operator=(const LinkWindowRig&) = delete;

  // A new simulator behind the same port, as when the device is plugged in again.
  void restartSimulator(const std::vector<std::string>& simArgs);
  SimProcess& sim() { return *sim_; }

  template <typename T>
  T* widget(const char* name) const {
    return window.findChild<T*>(QString::fromLatin1(name));
  }
  QLabel* led2() const { return widget<QLabel>("LED2"); }
  QComboBox* list(const char* name) const { return widget<QComboBox>(name); }

  // The connection display as the user sees it: green "Kapcsolódva".
  bool looksConnected() const;
  // Every part of the no-connection look, checked on the widgets; empty when it
  // holds, else what differs.
  std::string noConnectionLookDiffers() const;

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
  Platform platform{port, timer, settings, dialogs, files, pause, beep, desktop};
  Folap form{kozos, platform};
  FolapWindow window{form};

 private:
  std::unique_ptr<SimProcess> sim_;
};

// Wall-clock microseconds, comparable with the times in the simulator's log.
std::int64_t EpochUs();

}  // namespace voltander::test
