// The calibration window's behaviour without a toolkit: the divider model's two
// lists and slider, the threshold list, and the handlers of its buttons. It lives
// only while the window is open and works on the main window it was opened from.
#pragma once

#include <string>

#include "common/Kozos.h"
#include "common/Version.h"
#include "controls/Controls.h"
#include "params/ParameterSet.h"
#include "protocol/SendFrame.h"

namespace voltander {

class Desktop;
class Dialogs;
class Timer;

// What the calibration window works on in the main window and beyond it.
struct OsztoHost {
  Kozos& kozos;
  ParameterLists lists;
  WindowModel& mainWindow;
  Version version;
  Line line;
  Timer& timer;
  Dialogs& dialogs;
  Desktop& desktop;
};

class Oszto {
 public:
  explicit Oszto(const OsztoHost& host);
  Oszto(const Oszto&) = delete;
  Oszto& operator=(const Oszto&) = delete;

  WindowModel window;
  Label Label1, Label10, Osztas, Label2, Label6, Label7, Intt;
  Label Label3, Label4, Label5, Label8, Label9;
  Frame Frame1, Frame2;
  TextBox Ufesz;
  CheckBox CH1;
  ListBox Vcc, Rhi;
  Slider Poti1;
  Button Teszt, Ufel, Kalib, Megsem;

  // Opening and closing; closing runs once, whatever closed the window.
  void Form_Load();
  void Form_Unload();
  bool closed() const { return closed_; }

  void Vcc_Click();
  void Rhi_Click();
  void Rhi_KeyPress(int key);
  void Poti1_Scroll();
  void CH1_Click();
  void Teszt_Click();  // recompute
  void Kalib_Click();  // calibration mode entry
  void Ufel_Click();   // calibration upload
  void Megsem_Click();

 private:
  std::string separator() const;
  // Closes through the window when there is one, so its closing runs the unload.
  void close();

  void rebuildTables();

  OsztoHost host_;
  bool closed_ = false;
};

}  // namespace voltander
