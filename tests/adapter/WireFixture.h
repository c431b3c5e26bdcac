// The main form on a real serial line with the controller simulator at the far end,
// so the wire tests see what the controller received and what it reported back.
#pragma once

#include <cstdlib>

#include "adapter/qt/PtyFixture.h"
#include "app/Folap.h"
#include "fakes/Fakes.h"
#include "qt/QtSerialPort.h"
#include "qt/QtSystem.h"
#include "qt/QtTimer.h"
#include "support/SimProcess.h"

namespace voltander::test {

using FrameBytes = std::array<std::uint8_t, 10>;

// The simulator runs as Comm comm; the form is loaded with that port stored.
struct WireRig {
  WireRig(int comm, std::vector<std::string> simArgs)
      : sim((simArgs.insert(simArgs.end(), {"--port", std::to_string(comm)}), simArgs),
            {{"XDG_CONFIG_HOME", std::getenv("XDG_CONFIG_HOME")}}) {
    settings.values["Voltander/Setup/Portok"] = std::to_string(comm - 1);
    form.Form_Load();
  }
  ~WireRig() { form.Form_Unload(); }

  SimProcess sim;
  QtSerialPort port;
  QtTimer timer;
  FakeSettings settings;
  FakeDialogs dialogs;
  FakeFileStore files;
  QtPause pause;
  QtBeep beep;
  QtDesktop desktop;
  Kozos kozos;
  Journal journal;
  FakePortSearch portSearch;
  FakeSessionFiles sessionFiles;
  StepClock clock;
  Platform platform{port, timer,   settings, dialogs,    files,        pause,
                    beep, desktop, journal,  portSearch, sessionFiles, clock};
  Folap form{kozos, platform};
};

// The frames with letter the simulator received, once one has come or 5 s passed.
inline std::vector<FrameBytes> FramesWithLetter(const SimProcess& sim, char letter) {
  std::vector<FrameBytes> out;
  sim.waitForFrames(
      [&](const std::vector<LoggedFrame>& frames) {
        out.clear();
        for (const LoggedFrame& f : frames) {
          if (f.bytes[1] == static_cast<std::uint8_t>(letter)) out.push_back(f.bytes);
        }
        return !out.empty();
      },
      5000);
  return out;
}

}  // namespace voltander::test
