// The program inside the test process before the controller simulator: real window,
// port, timer, pauses and settings; boxes and file dialogs are only recorded.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Folap.h"
#include "fakes/Fakes.h"
#include "qt/widgets/FolapWindow.h"
#include "qt/platform/QtDeferred.h"
#include "qt/platform/QtPortSearch.h"
#include "qt/platform/QtSerialPort.h"
#include "qt/platform/QtSessionFiles.h"
#include "qt/platform/QtSettingsStore.h"
#include "qt/platform/QtSystem.h"
#include "qt/platform/QtTimer.h"
#include "support/SimProcess.h"

namespace voltander::test {

inline constexpr int kTickMs = 2000;

// Runs the event loop until done() holds or timeoutMs pass; returns done(). Between
// events it sleeps in the loop, and a timer wakes it at the end.
inline bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  QElapsedTimer clock;
  clock.start();
  QTimer end;
  end.start(timeoutMs);
  while (!done() && !clock.hasExpired(timeoutMs))
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return done();
}

inline void ProcessEventsFor(int ms) {
  ProcessEventsUntil([] { return false; }, ms);
}

// The child widget or action called name, which must be there.
template <typename T>
T* Child(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Runs script on the first modal dialog of type T that comes up while body runs.
template <typename T>
void WithModal(const std::function<void(T&)>& script, const std::function<void()>& body) {
  QTimer poll;
  bool ran = false;
  int ticks = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!ran && dialog && dialog->isVisible()) {
      ran = true;
      script(*dialog);
    } else if (QWidget* stuck = QApplication::activeModalWidget(); stuck && ++ticks > 1000) {
      stuck->close();  // a dialog nobody answers must not hang the suite
    }
  });
  poll.start(10);
  body();
  EXPECT_TRUE(ran) << "no dialog came up";
}

class ProgramRig {
 public:
  ProgramRig(int n, const std::vector<std::string>& simArgs) : comm(n) {
    restartSimulator(simArgs);
    settings.save("Voltander", "Setup", "Portok", std::to_string(comm - 1));
    form.Form_Load();
    window.show();
  }
  ~ProgramRig() { window.close(); }

  // A new simulator behind the same port, as when the device is plugged in again.
  void restartSimulator(std::vector<std::string> simArgs) {
    sim_.reset();
    simArgs.insert(simArgs.end(), {"--port", std::to_string(comm)});
    sim_ = std::make_unique<SimProcess>(simArgs);  // inherits the tests' config folder
  }
  SimProcess& sim() { return *sim_; }

  // The frames with letter the simulator received, once one has come or 5 s passed.
  std::vector<std::array<std::uint8_t, 10>> framesWithLetter(char letter) const {
    std::vector<std::array<std::uint8_t, 10>> out;
    sim_->waitForFrames(
        [&](const std::vector<LoggedFrame>& frames) {
          for (const LoggedFrame& f : frames)
            if (f.bytes[1] == std::uint8_t(letter)) out.push_back(f.bytes);
          return !out.empty();
        },
        5000);
    return out;
  }

  QComboBox* list(const char* name) const { return Child<QComboBox>(window, name); }
  QString version() const { return Child<QLineEdit>(window, "AMVerzio")->text(); }
  // LED2 green; the rest of the look is the unit tests' business.
  bool looksConnected() const {
    return Child<QLabel>(window, "LED2")->palette().color(QPalette::Window).rgba() == 0xFF00FF00;
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
  FakeJournal journal;
  QtPortSearch portSearch;
  QtSessionFiles sessionFiles;
  QtClock clock;
  QtTimer retryTimer;
  QtDeferred deferred;
  Platform platform{port, timer,   settings, dialogs,    files,        pause,
                    beep, desktop, journal,  portSearch, sessionFiles, clock, retryTimer, deferred};
  Folap form{kozos, platform};
  FolapWindow window{form};

 private:
  std::unique_ptr<SimProcess> sim_;
};

}  // namespace voltander::test
