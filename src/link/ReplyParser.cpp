#include <cstddef>
#include <optional>
#include <string>

#include "app/Folap.h"
#include "link/Frame.h"
#include "link/SendFrame.h"
#include "link/StoredParameters.h"
#include "params/StepTables.h"

namespace voltander {

namespace {

constexpr int kStateLabels = 5;
constexpr int kCalibrationLoop = 5;
constexpr std::uint8_t kFaultDuty = 254;

// The line carries single bytes; each one is one character, shown as its Latin-1
// counterpart so a stray high byte still gives valid text.
std::string ByteAsText(std::uint8_t byte) {
  if (byte < 0x80) return std::string(1, static_cast<char>(byte));
  return {static_cast<char>(0xC0 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F))};
}

void ApplyStatus(Folap& form, const FrameBytes& frame) {
  const StatusReply status = DecodeStatus(frame);

  if (status.duty >= kFaultDuty) {
    form.Hiba.setVisible(true);
    form.Bar.setValue(255);
  } else {
    form.Hiba.setVisible(false);
    form.Bar.setValue(status.duty);
  }
  if (status.charging) {
    form.Led.setEnabled(true);
  } else {
    form.Led.setEnabled(false);
    form.Bar.setValue(0);
  }

  // A high byte of 128 or more is no ratio the controller can hold; the rest of the
  // reply still applies.
  if (status.ratioTimes1000) {
    const auto ratio = static_cast<float>(*status.ratioTimes1000 / 1000.0);
    if (ratio != form.kozos.DividerRatio) {
      form.kozos.DividerRatio = ratio;
      BuildStepTables(form);
      form.platform.beep.beep();
    }
  }

  if (status.state < kStateLabels) {
    for (int i = 0; i < kStateLabels; ++i) form.State[i].setEnabled(i == status.state);
    form.Kall.setVisible(false);
    form.Fel.setEnabled(true);
  } else if (status.state == kCalibrationLoop) {
    for (Label& label : form.State) label.setEnabled(false);
    form.Kall.setVisible(true);
    form.Fel.setEnabled(false);
  }

  form.platform.journal.status({status.state, status.duty, status.charging,
                                status.duty >= kFaultDuty, status.state == kCalibrationLoop,
                                form.kozos.DividerRatio});
  form.RequestVersion();
}

void ApplyVersion(Folap& form, const FrameBytes& frame) {
  std::string text;
  for (std::size_t k = 1; k <= 7; ++k) text += ByteAsText(frame[k]);
  form.AMVerzio.setText(std::move(text));
  if (form.kozos.LiveLink)
    SendFrame(form.platform.port, form.platform.pause, form.platform.journal, kParameterRequest);
}

// Selecting through the list runs its own handler, as the user's choice would.
void Choose(ListBox& list, std::optional<int> position) {
  if (position) list.select(*position);
}

void ApplyStoredParameters(Folap& form, const FrameBytes& frame) {
  const Kozos& k = form.kozos;
  Choose(form.Umin, VoltagePositionForCode(k.VoltageSteps, frame[2]));
  Choose(form.Umax, VoltagePositionForCode(k.VoltageSteps, frame[3]));
  Choose(form.Igyors, CurrentPositionForCode(k.CurrentSteps, frame[4]));
  Choose(form.Inormal, CurrentPositionForCode(k.CurrentSteps, frame[5]));
  Choose(form.Tkarbantarto,
         PositionForOrdinal(frame[6], static_cast<int>(form.Tkarbantarto.count())));
  Choose(form.Thiszt, PositionForOrdinal(frame[7], static_cast<int>(form.Thiszt.count())));
  Choose(form.Minta, PositionForOrdinal(frame[8], static_cast<int>(form.Minta.count())));
  form.window.setTitle(StartupTitle(form.version) + " (*Kontroller*)");
}

}  // namespace

void Folap::ParseReply() {
  FrameBytes& frame = kozos.RxFrame;
  for (std::uint8_t& position : frame) {
    const int byte = platform.port.read();
    if (byte < 0) {
      // Nothing was waiting after all: release the line. Every later read is empty
      // too, so the end test drops the frame instead of applying made-up bytes.
      platform.port.setBreak(false);
      position = 0;
    } else {
      position = static_cast<std::uint8_t>(byte);
    }
  }

  if (!IsFramed(frame)) {
    if (kozos.LiveLink) platform.journal.linkLost();
    kozos.LiveLink = false;
    return;
  }
  platform.journal.frameReceived(frame);

  Allapot.setEnabled(true);
  LED2.setBackground(kGreen);
  LED2.setCaption("Kapcsolódva");

  switch (frame[1]) {
    case kStatusReply:
      ApplyStatus(*this, frame);
      break;
    case kVersionReply:
      ApplyVersion(*this, frame);
      break;
    case kParameterReply:
      ApplyStoredParameters(*this, frame);
      break;
    default:
      break;
  }
}

void Folap::RequestVersion() {
  if (kozos.LiveLink) return;
  kozos.LiveLink = true;
  platform.journal.linkRestored();
  SendFrame(platform.port, platform.pause, platform.journal, kVersionRequest);
}

}  // namespace voltander
