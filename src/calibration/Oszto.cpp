#include "calibration/Oszto.h"

#include "calibration/DividerModel.h"
#include "common/PatternFormat.h"
#include "common/Version.h"
#include "params/StepTables.h"
#include "platform/SerialPort.h"
#include "platform/System.h"
#include "platform/Timer.h"

namespace voltander {

namespace {
constexpr int kEnter = 13;
}  // namespace

Oszto::Oszto(const OsztoHost& host) : host_(host) {
  window.setTitle("Kalibráció");
  Label1.setCaption("Feszültségosztó kalibráció és áramgenerátor teszt!");
  Label10.setCaption("* osztott feszültségek.");
  CH1.setCaption("Csak osztott U");
  Frame2.setCaption("Osztás:");
  Label2.setCaption("Vcc:");
  Label6.setCaption("Mért:");
  Label7.setCaption("V");
  Frame1.setCaption("PWM:");
  Teszt.setCaption("Számítás");
  Ufel.setCaption("Feltöltés");
  Kalib.setCaption("Kalibráció");
  Megsem.setCaption("Mégsem");
  Label3.setCaption("Uref");
  Label4.setCaption("U");
  Label5.setCaption("Osztó vezérlő");
  Label8.setCaption("Trimmer");
  Label9.setCaption("Rfet");
  Poti1.setRange(0, kRhiEntries - 1);

  Vcc.onSelect = [this] { Vcc_Click(); };
  Rhi.onSelect = [this] { Rhi_Click(); };
  Rhi.onKeyPress = [this](int key) { Rhi_KeyPress(key); };
  Poti1.onScroll = [this] { Poti1_Scroll(); };
  CH1.onClick = [this] { CH1_Click(); };
  Teszt.onClick = [this] { Teszt_Click(); };
  Ufel.onClick = [this] { Ufel_Click(); };
  Kalib.onClick = [this] { Kalib_Click(); };
  Megsem.onClick = [this] { Megsem_Click(); };
}

std::string Oszto::separator() const { return host_.desktop.decimalSeparator(); }

void Oszto::rebuildTables() { BuildStepTables(host_.kozos, host_.lists, separator()); }

void Oszto::Form_Load() {
  const float r0 = host_.kozos.DividerRatio;
  const std::string sep = separator();

  CH1.setChecked(false);
  Ufesz.setText("");
  Rhi.clear();
  for (int i = 0; i < kRhiEntries; ++i) Rhi.addEntry(FormatPattern(RhiVolts(i), "0.00", sep));
  Vcc.clear();
  for (int j = 0; j < kVccEntries; ++j) Vcc.addEntry(FormatPattern(VccVolts(j), "0.00 V", sep));

  // A ratio of 1 or less (a parameter file can bring one) points at no entry: the
  // window opens without a preselected test-pin voltage and keeps the ratio.
  const std::optional<int> rhiEntry = RhiEntryForRatio(r0);

  Vcc.select(kVccAtFiveVolts);
  host_.desktop.processEvents();
  if (rhiEntry) Rhi.select(*rhiEntry);
  host_.desktop.processEvents();

  // The preselection's recomputation was only for the display: the ratio in force
  // stays what it was until the user uploads one.
  host_.kozos.DividerRatio = r0;
  host_.kozos.CommittedDividerRatio = host_.kozos.DividerRatio;
  Intt.setCaption(host_.lists.Inormal.selectedText());
}

void Oszto::Form_Unload() {
  if (closed_) return;
  closed_ = true;
  Kozos& k = host_.kozos;
  k.DividerRatio = k.CommittedDividerRatio;
  rebuildTables();
  // Each clearing runs its list's own handler, so the order is fixed here, not left
  // to the order of the window's frames.
  const ParameterLists& l = host_.lists;
  for (ListBox* list :
       {&l.Igyors, &l.Inormal, &l.Umax, &l.Umin, &l.Tkarbantarto, &l.Thiszt, &l.Minta})
    list->select(-1);
  host_.mainWindow.setTitle(StartupTitle(host_.version));
  if (host_.line.port.isOpen()) host_.timer.setEnabled(true);
}

void Oszto::Vcc_Click() { Teszt_Click(); }

void Oszto::Rhi_Click() {
  Teszt_Click();
  Poti1.setValue(Rhi.selected());
}

void Oszto::Poti1_Scroll() {
  Rhi.select(Poti1.value());
  Teszt_Click();
}

void Oszto::Rhi_KeyPress(int key) {
  Ufesz.setText("");
  if (key == kEnter) Teszt_Click();
}

void Oszto::CH1_Click() { Teszt_Click(); }

void Oszto::Megsem_Click() { close(); }

void Oszto::close() {
  if (window.requestClose) {
    window.requestClose();
  } else {
    Form_Unload();
  }
}

}  // namespace voltander
