// In-memory stand-ins for the whole platform, one header per part, and a main-window
// form built over a fresh set of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/Folap.h"
#include "common/Kozos.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeLine.h"
#include "fakes/FakeNetwork.h"
#include "fakes/FakeRecords.h"
#include "platform/Platform.h"

namespace voltander::test {

// A fresh shared state, a full set of fakes and a main-window form over them.
struct Harness {
  Harness();
  FakeSerialPort port;
  FakeTimer timer;
  FakeSettings settings;
  FakeDialogs dialogs;
  FakeFileStore files;
  FakePause pause;
  FakeBeep beep;
  FakeDesktop desktop;
  FakeJournal journal;
  FakePortSearch portSearch;
  FakeSessionFiles sessionFiles;
  StepClock clock;
  FakeTimer retryTimer;
  FakeDeferred deferred;
  Kozos kozos;
  Platform platform;
  std::unique_ptr<Folap> form;

  // Seeds "Portok" with index and runs the start-up.
  void loadWithPort(int index);
  // A ten-byte frame from the controller, delivered in one piece.
  void reply(std::uint8_t letter, std::vector<std::uint8_t> payload);
  std::string setting(const std::string& key) const;
  // The seven lists in the controller's order: Umin, Umax, Igyors, Inormal, Tkarbantarto,
  // Thiszt, Minta; -1 is no selection.
  void select(const std::vector<int>& positions);
  std::vector<int> selections() const;
};

}  // namespace voltander::test
