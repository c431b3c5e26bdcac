#include "app/Folap.h"

#include <cstdint>
#include <optional>

#include "common/LeadingNumber.h"
#include "common/Rounding.h"
#include "common/SignedBlank.h"
#include "discovery/SearchTexts.h"
#include "params/StepTables.h"

namespace voltander {

namespace {

constexpr const char* kApp = "Voltander";
constexpr const char* kSection = "Setup";
constexpr int kPortCount = 255;

// A stored port index: a number that rounds into -1..254, anything else is -1, so a
// damaged store can neither select a phantom entry nor crash the start-up.
int StoredPortIndex(const std::string& text) {
  const std::optional<double> value = ParseNumber(text);
  if (!value) return -1;
  const double rounded = RoundHalfEven(*value);
  if (!(rounded >= -1 && rounded <= kPortCount - 1)) return -1;
  return static_cast<int>(rounded);
}

bool ReadsAsOne(const std::string& text) { return LeadingNumber(text) == 1.0; }

}  // namespace

Folap::Folap(Kozos& k, Platform& p, Version v)
    : kozos(k),
      platform(p),
      version(v),
      recorder(p.sessionFiles, p.clock, p.dialogs, p.deferred, NMentes),
      lists{Igyors, Inormal, Umax, Umin, Thiszt, Tkarbantarto, Minta},
      line{p.port, p.pause, journal},
      reconnection(BUjra, p.retryTimer),
      link(k, Portok, LiveDisplay{Allapot, LED2, AMVerzio, State, Kall, Hiba, Led, Bar, Fel}, lists,
           window, v, line, p.timer, p.dialogs, p.beep, p.desktop, reconnection),
      uploader(k, lists, BAssis, p.timer, p.dialogs, line),
      files(k, lists, window, v, p.dialogs, p.files, p.desktop, journal),
      wizard(k, lists, window, v, p.dialogs, p.desktop),
      search(Portok, p.port, p.timer, p.dialogs, p.portSearch) {
  journal.add(p.journal);
  journal.add(recorder);

  SetUpLiveDisplay(LiveDisplay{Allapot, LED2, AMVerzio, State, Kall, Hiba, Led, Bar, Fel});
  Varazslo.setCaption("Beállítás Varázsló");
  Fel.setCaption("Feltöltés");

  FBe.setCaption("Megnyitás");
  FMentes.setCaption("Mentés");
  FKi.setCaption("Kilépés");
  BAssis.setCaption("Akku Asszisztens");
  BSzakerto.setCaption("Szakértői üzemmód");
  BFesz.setCaption("Kalibráció...");
  KKereses.setCaption(kSearchCaption);
  Nevjegy.setCaption("Névjegy");
  NMentes.setCaption("Napló mentése");
  NGrafikon.setCaption("Grafikon");
  BUjra.setCaption("Automatikus újracsatlakozás");
  BMqtt.setCaption("Távfelügyelet (MQTT)...");

  Portok.onSelect = [this] { link.Portok_Click(); };
  Fel.onClick = [this] { uploader.ParameterUpload(); };
  Varazslo.onClick = [this] { wizard.Varazslo_Click(); };
  FBe.onClick = [this] { files.FBe_Click(); };
  FMentes.onClick = [this] { files.FMentes_Click(); };
  FKi.onClick = [this] { FKi_Click(); };
  BAssis.onClick = [this] { BAssis_Click(); };
  BSzakerto.onClick = [this] { BSzakerto_Click(); };
  BFesz.onClick = [this] { BFesz_Click(); };
  KKereses.onClick = [this] {
    reconnection.hold();
    search.KKereses_Click();
    reconnection.release();
  };
  Nevjegy.onClick = [this] { Nevjegy_Click(); };
  NMentes.onClick = [this] { NMentes_Click(); };
  NGrafikon.onClick = [this] { NGrafikon_Click(); };
  BUjra.onClick = [this] { BUjra_Click(); };
  BMqtt.onClick = [this] {
    if (showMqttSettings) showMqttSettings();
  };
  for (ListBox* list : {&Umax, &Umin, &Igyors, &Inormal}) {
    list->onSelect = [this, list] { ListMarkReset(*list); };
  }

  platform.timer.onTick = [this] { link.Timer_Timer(); };
  platform.retryTimer.onTick = [this] { link.RetryPort(); };
  platform.port.onComm = [this](CommEvent e) { link.Comm1_OnComm(e); };
}

void Folap::Form_Load() {
  for (int i = 0; i < kPortCount; ++i) {
    Portok.addEntry("Comm" + SignedBlank(std::int64_t{i + 1}));
  }
  kozos.ExpertMode = false;
  kozos.DividerRatio = 4.0f;
  BuildStepTables(kozos, lists, platform.desktop.decimalSeparator());
  kozos.LiveLink = false;
  window.setTitle(StartupTitle(version));
  platform.port.setSettings(kLineSettings);
  if (telemetry) telemetry->load();

  Portok.select(StoredPortIndex(platform.settings.get(kApp, kSection, "Portok", "-1")));
  BAssis.setChecked(ReadsAsOne(platform.settings.get(kApp, kSection, "BAssis", "1")));
  const bool expert = ReadsAsOne(platform.settings.get(kApp, kSection, "Expert", "0"));
  kozos.ExpertMode = expert;
  BSzakerto.setChecked(expert);
  NMentes.setChecked(ReadsAsOne(platform.settings.get(kApp, kSection, "Naplo", "1")));
  BUjra.setChecked(ReadsAsOne(platform.settings.get(kApp, kSection, "Ujracsatlakozas", "0")));
  if (Portok.selected() != -1) link.Portok_Click();
  platform.timer.setInterval(kPollPeriodMs);
  platform.timer.setEnabled(Portok.selected() != -1);
}

void Folap::Form_Unload() {
  reconnection.stop();
  if (platform.port.isOpen()) platform.port.close();
  platform.settings.save(kApp, kSection, "Portok", SignedBlank(std::int64_t{Portok.selected()}));
  platform.settings.save(kApp, kSection, "BAssis", BAssis.checked() ? "1" : "0");
  platform.settings.save(kApp, kSection, "Expert", kozos.ExpertMode ? "1" : "0");
  platform.settings.save(kApp, kSection, "Naplo", NMentes.checked() ? "1" : "0");
  platform.settings.save(kApp, kSection, "Ujracsatlakozas", BUjra.checked() ? "1" : "0");
  if (telemetry) telemetry->shutdown();
}

void Folap::startTelemetry(Publisher& publisher) {
  telemetry = std::make_unique<mqtt::Telemetry>(
      publisher, platform.settings, platform.settings, platform.clock,
      mqtt::ShownTexts{State, Kall, AMVerzio, lists, kozos});
  journal.add(*telemetry);
}

void Folap::FKi_Click() {
  if (window.requestClose) window.requestClose();
}

void Folap::BAssis_Click() { BAssis.setChecked(!BAssis.checked()); }

void Folap::BSzakerto_Click() {
  kozos.ExpertMode = !kozos.ExpertMode;
  BSzakerto.setChecked(kozos.ExpertMode);
}

void Folap::BFesz_Click() {
  platform.timer.setEnabled(false);
  reconnection.hold();
  Oszto form(osztoHost());
  platform.dialogs.showCalibration(form);
  reconnection.release();
}

OsztoHost Folap::osztoHost() {
  return {kozos, lists, window, version, line, platform.timer, platform.dialogs, platform.desktop};
}

void Folap::Nevjegy_Click() {
  platform.dialogs.message(
      StartupTitle(version) + "\r\n" +
          "Univerzális akkumulátorcsoport töltő, felügyelő berendezés, RS232C kommunikációval.",
      Buttons::Ok, Icon::Information);
}

void Folap::NMentes_Click() { NMentes.setChecked(!NMentes.checked()); }

void Folap::NGrafikon_Click() {
  if (showHistory) showHistory();
}

void Folap::BUjra_Click() {
  BUjra.setChecked(!BUjra.checked());
  // Switched off while a lost port is waited for: polling takes over again, and its
  // next failed re-open is reported as it always was.
  if (!BUjra.checked() && reconnection.trying()) {
    reconnection.stop();
    platform.timer.setEnabled(true);
  }
}

void Folap::ListMarkReset(ListBox& list) { list.setBackground(std::nullopt); }

}  // namespace voltander
