// The main window's behaviour without a toolkit: the models of its controls and the
// handlers that run on its events. The handlers of each subsystem are defined in
// that subsystem's folder; the Qt window mirrors the controls and calls the handlers.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/Controls.h"
#include "common/Kozos.h"
#include "common/Version.h"
#include "platform/Platform.h"

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
  MenuItem FBe, FMentes, FKi, BAssis, BSzakerto, BFesz, Nevjegy;
  // The charge history: saving its session files on or off, and its chart.
  MenuItem NMentes, NGrafikon;
  // Opens the chart window; set by the toolkit side, which owns the window.
  std::function<void()> showHistory;

  // Start-up and shutdown (app/Folap.cpp).
  void Form_Load();
  void Form_Unload();

  // Menus and list marks (app/Folap.cpp).
  void FKi_Click();
  void BAssis_Click();
  void BSzakerto_Click();
  void BFesz_Click();
  void Nevjegy_Click();
  void NMentes_Click();
  void NGrafikon_Click();
  void ListMarkReset(ListBox& list);

  // The serial port (link/PortOpening.cpp).
  void Portok_Click();
  // Close and open the same port again; a failure is handled like an opening error.
  void ReopenPort();
  void Comm1_OnComm(CommEvent event);

  // Polling and supervision (link/Polling.cpp).
  void Timer_Timer();
  void ShowLinkLost();

  // Replies (link/ReplyParser.cpp).
  void ParseReply();
  void RequestVersion();

  // Upload (params/ParameterUpload.cpp, params/AssistantCheck.cpp).
  void ParameterUpload();
  void AssistantCheck();

  // Parameter files (files/FileCommands.cpp).
  void FBe_Click();
  void FMentes_Click();

  // Setup wizard (wizard/Varazslo.cpp).
  void Varazslo_Click();

  // The seven parameter lists, in the order of the window's frames.
  std::array<ListBox*, 7> parameterLists();
};

}  // namespace voltander
