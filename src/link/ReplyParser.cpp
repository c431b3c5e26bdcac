#include <cstddef>
#include <optional>
#include <string>

#include "link/Link.h"
#include "link/StoredParameters.h"
#include "params/StepTables.h"
#include "platform/Journal.h"
#include "platform/System.h"

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

// Selecting through the list runs its own handler, as the user's choice would.
void Choose(ListBox& list, std::optional<int> position) {
  if (position) list.select(*position);
}

}  // namespace

void Link::applyStatus(const FrameBytes& frame) {
  const StatusReply status = DecodeStatus(frame);
  const bool fault = status.duty >= kFaultDuty;

  display_.Hiba.setVisible(fault);
  // Painted once: a reply that is not charging shows an empty bar, whatever the duty.
  if (!status.charging) {
    display_.Bar.setValue(0);
  } else {
    display_.Bar.setValue(fault ? 255 : status.duty);
  }
  display_.Led.setEnabled(status.charging);

  // A high byte of 128 or more is no ratio the controller can hold; the rest of the
  // reply still applies.
  if (status.ratioTimes1000) {
    const auto ratio = static_cast<float>(*status.ratioTimes1000 / 1000.0);
    if (ratio != kozos_.DividerRatio) {
      kozos_.DividerRatio = ratio;
      BuildStepTables(kozos_, lists_, desktop_.decimalSeparator());
      beep_.beep();
    }
  }

  if (status.state < kStateLabels) {
    for (int i = 0; i < kStateLabels; ++i) display_.State[i].setEnabled(i == status.state);
    display_.Kall.setVisible(false);
    display_.Fel.setEnabled(true);
  } else if (status.state == kCalibrationLoop) {
    for (Label& label : display_.State) label.setEnabled(false);
    display_.Kall.setVisible(true);
    display_.Fel.setEnabled(false);
  }

  line_.journal.status({status.state, status.duty, status.charging, fault,
                        status.state == kCalibrationLoop, kozos_.DividerRatio});
  RequestVersion();
}

void Link::applyVersion(const FrameBytes& frame) {
  std::string text;
  for (std::size_t k = 1; k <= 7; ++k) text += ByteAsText(frame[k]);
  display_.AMVerzio.setText(std::move(text));
  if (kozos_.LiveLink) SendFrame(line_, kParameterRequest);
}

void Link::applyStoredParameters(const FrameBytes& frame) {
  const Kozos& k = kozos_;
  const ParameterLists& l = lists_;
  Choose(l.Umin, VoltagePositionForCode(k.VoltageSteps, frame[2]));
  Choose(l.Umax, VoltagePositionForCode(k.VoltageSteps, frame[3]));
  Choose(l.Igyors, CurrentPositionForCode(k.CurrentSteps, frame[4]));
  Choose(l.Inormal, CurrentPositionForCode(k.CurrentSteps, frame[5]));
  Choose(l.Tkarbantarto, PositionForOrdinal(frame[6], static_cast<int>(l.Tkarbantarto.count())));
  Choose(l.Thiszt, PositionForOrdinal(frame[7], static_cast<int>(l.Thiszt.count())));
  Choose(l.Minta, PositionForOrdinal(frame[8], static_cast<int>(l.Minta.count())));
  window_.setTitle(StartupTitle(version_) + " (*Kontroller*)");
}

void Link::ParseReply() {
  FrameBytes& frame = kozos_.RxFrame;
  for (std::uint8_t& position : frame) {
    const int byte = line_.port.read();
    if (byte < 0) {
      // Nothing was waiting after all: release the line. Every later read is empty
      // too, so the end test drops the frame instead of applying made-up bytes.
      line_.port.setBreak(false);
      position = 0;
    } else {
      position = static_cast<std::uint8_t>(byte);
    }
  }

  if (!IsFramed(frame)) {
    setLive(false);
    return;
  }
  line_.journal.frameReceived(frame);

  display_.Allapot.setEnabled(true);
  display_.LED2.setBackground(kGreen);
  display_.LED2.setCaption("Kapcsolódva");

  switch (frame[1]) {
    case kStatusReply:
      applyStatus(frame);
      break;
    case kVersionReply:
      applyVersion(frame);
      break;
    case kParameterReply:
      applyStoredParameters(frame);
      break;
    default:
      break;
  }
  line_.journal.replyApplied(frame);
}

void Link::RequestVersion() {
  if (kozos_.LiveLink) return;
  setLive(true);
  SendFrame(line_, kVersionRequest);
}

}  // namespace voltander
