// The main window without a toolkit: it owns the models of its controls, builds the
// subsystems over the parts of them each one uses, wires the controls' events to
// their handlers, and runs start-up, shutdown and the menus. The Qt window mirrors
// the controls and calls the same handlers.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "calibration/Oszto.h"
#include "common/Kozos.h"
#include "common/Version.h"
#include "controls/Controls.h"
#include "discovery/ControllerSearch.h"
#include "files/FileCommands.h"
#include "history/Recorder.h"
#include "link/Link.h"
#include "link/Reconnection.h"
#include "mqtt/Telemetry.h"
#include "params/ParameterSet.h"
#include "params/ParameterUpload.h"
#include "platform/Platform.h"
#include "protocol/SendFrame.h"
#include "wizard/SetupWizard.h"

namespace voltander {

class Folap {
 public:
  Folap(Kozos& kozos, Platform& platform, Version version = {});
  Folap(const Folap&) = delete;
  Folap& operator=(const Folap&) = delete;

  Kozos& kozos;
  Platform& platform;
  Version version;

  // Controls, named as on the window.
  WindowModel window;
  ListBox Portok;
  Label LED2;
  Button Varazslo;
  Button Fel;
  ListBox Igyors, Inormal, Umax, Umin, Thiszt, Tkarbantarto, Minta;
  TextBox AMVerzio;
  Frame Allapot;
  std::array<Label, 5> State;
  Label Kall;
  Label Hiba;
  Label Led;
  ProgressBar Bar;
  MenuItem FBe, FMentes, FKi, BAssis, BSzakerto, BFesz, KKereses, Nevjegy;
  // The charge history: saving its session files on or off, and its chart.
  MenuItem NMentes, NGrafikon;
  // Re-opens a lost port by itself, for unattended runs.
  MenuItem BUjra;
  // Opens the chart window; set by the toolkit side, which owns the window.
  std::function<void()> showHistory;
  // The broker settings, last in the settings menu; the dialog is the toolkit's.
  MenuItem BMqtt;
  std::function<void()> showMqttSettings;

  // The charge history listens to everything the subsystems tell the journal, beside
  // the platform's own listeners.
  history::Recorder recorder;
  JournalFanout journal;

  // The subsystems, each over what it uses.
  const ParameterLists lists;
  const Line line;
  Reconnection reconnection;
  Link link;
  Uploader uploader;
  ParameterFiles files;
  SetupWizard wizard;
  ControllerSearch search;
  // Publishing to a broker, present once startTelemetry() gave it a way out.
  std::unique_ptr<mqtt::Telemetry> telemetry;

  // Before Form_Load, so that the first port opened is the first published.
  void startTelemetry(Publisher& publisher);

  void Form_Load();
  void Form_Unload();

  void FKi_Click();
  void BAssis_Click();
  void BSzakerto_Click();
  void BFesz_Click();
  void Nevjegy_Click();
  void NMentes_Click();
  void NGrafikon_Click();
  void BUjra_Click();
  void ListMarkReset(ListBox& list);

  // What a calibration window opened from here works on.
  OsztoHost osztoHost();
};

}  // namespace voltander
