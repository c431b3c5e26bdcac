#include "service/Unattended.h"

#include "params/StepTables.h"

namespace voltander::service {

Unattended::Unattended(Kozos& kozos, const UnattendedParts& p, const ServiceConfig& config,
                       Version version)
    : kozos_(kozos),
      parts_(p),
      target_{0, config.device, config.name, config.name},
      lists_{Igyors_, Inormal_, Umax_, Umin_, Thiszt_, Tkarbantarto_, Minta_},
      line_{p.port, p.pause, journal_},
      recorder_(p.sessionFiles, p.clock, p.dialogs, p.deferred, saving_, config.capBytes,
                history::WriteFailure::RetryLater, false),
      telemetry_(p.publisher, p.settings, p.memory, p.clock,
                 mqtt::ShownTexts{State_, Kall_, AMVerzio_, lists_, kozos}),
      reconnection_(reconnecting_, p.retryTimer, true),
      link_(kozos, Portok_,
            LiveDisplay{Allapot_, LED2_, AMVerzio_, State_, Kall_, Hiba_, Led_, Bar_, Fel_},
            lists_, window_, version, line_, p.pollTimer, p.dialogs, p.beep, p.desktop,
            reconnection_) {
  SetUpLiveDisplay(LiveDisplay{Allapot_, LED2_, AMVerzio_, State_, Kall_, Hiba_, Led_, Bar_, Fel_});
  saving_.setChecked(true);
  reconnecting_.setChecked(true);
  journal_.add(p.log);
  journal_.add(recorder_);
  journal_.add(telemetry_);
  p.pollTimer.onTick = [this] { link_.Timer_Timer(); };
  p.retryTimer.onTick = [this] { link_.RetryPort(); };
  p.port.onComm = [this](CommEvent e) { link_.Comm1_OnComm(e); };
}

void Unattended::start() {
  kozos_.DividerRatio = 4.0f;
  BuildStepTables(kozos_, lists_, parts_.desktop.decimalSeparator());
  parts_.port.setSettings(kLineSettings);
  telemetry_.load();
  telemetry_.follow(target_);
  parts_.pollTimer.setInterval(kPollPeriodMs);
  link_.ChoosePort(target_);
}

void Unattended::stop() {
  reconnection_.stop();
  parts_.pollTimer.setEnabled(false);
  if (parts_.port.isOpen()) parts_.port.close();
  telemetry_.shutdown();
  parts_.sessionFiles.close();
}

}  // namespace voltander::service
