// The charger watched with no window, for a service on an always-on computer: the
// link, the charge history and the publishing the window composes, over controls
// nobody sees. The link paints them as it paints the window's, the publishing reads
// its texts off them, and whatever would be a box goes to the dialogs the service
// was given (a log). The port is named by a device path and a charger name, never a
// Comm number, and a port that is not there is waited for, however long.
#pragma once

#include <array>

#include "common/Kozos.h"
#include "common/Version.h"
#include "controls/Controls.h"
#include "history/Recorder.h"
#include "link/Link.h"
#include "link/Reconnection.h"
#include "mqtt/Telemetry.h"
#include "params/ParameterSet.h"
#include "platform/Clock.h"
#include "platform/Deferred.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "platform/Publisher.h"
#include "platform/SerialPort.h"
#include "platform/SessionFiles.h"
#include "platform/SettingsStore.h"
#include "platform/System.h"
#include "platform/Timer.h"
#include "service/ServiceConfig.h"

namespace voltander::service {

// What the service reaches outside itself.
struct UnattendedParts {
  SerialPort& port;
  Timer& pollTimer;
  Timer& retryTimer;
  Pause& pause;
  Beep& beep;
  Desktop& desktop;
  Dialogs& dialogs;  // the boxes a window would show
  Journal& log;      // told everything the link and the user's side tell
  SessionFiles& sessionFiles;
  Clock& clock;
  Deferred& deferred;
  SettingsStore& settings;  // the configuration's [Mqtt], read only
  SettingsStore& memory;    // what the publishing remembers between runs
  Publisher& publisher;
};

class Unattended {
 public:
  Unattended(Kozos& kozos, const UnattendedParts& parts, const ServiceConfig& config,
             Version version = {});
  Unattended(const Unattended&) = delete;
  Unattended& operator=(const Unattended&) = delete;

  // The step tables, the line settings, the publishing and the first try of the port;
  // polling runs from here on, or the port is waited for.
  void start();
  // The port closed, "offline" published where connected, the session file closed.
  void stop();

  // Where every listener hears what happens: the port tells its line events here.
  Journal& journal() { return journal_; }
  const Kozos& kozos() const { return kozos_; }
  const history::Recorder& recorder() const { return recorder_; }
  const mqtt::Telemetry& telemetry() const { return telemetry_; }

 private:
  Kozos& kozos_;
  const UnattendedParts parts_;
  PortTarget target_;

  // The controls a window would show.
  WindowModel window_;
  ListBox Portok_;
  Label LED2_;
  Button Fel_;
  ListBox Igyors_, Inormal_, Umax_, Umin_, Thiszt_, Tkarbantarto_, Minta_;
  TextBox AMVerzio_;
  Frame Allapot_;
  std::array<Label, 5> State_;
  Label Kall_, Hiba_, Led_;
  ProgressBar Bar_;
  // Both always on: the history is saved, and a lost port is opened again.
  MenuItem saving_, reconnecting_;

  const ParameterLists lists_;
  JournalFanout journal_;
  const Line line_;
  history::Recorder recorder_;
  mqtt::Telemetry telemetry_;
  Reconnection reconnection_;
  Link link_;
};

}  // namespace voltander::service
