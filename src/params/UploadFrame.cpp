#include "params/UploadFrame.h"

#include <cmath>

#include "params/StepTables.h"

namespace voltander {

namespace {

std::uint8_t CodeByte(float code) {
  return static_cast<std::uint8_t>(static_cast<int>(std::lround(code)) & 0xFF);
}

// List position i stands for row i + 2; -1 gives row 1. A position the lists cannot
// hold is sent like no selection rather than read outside the table.
std::uint8_t VoltageCode(int index, const VoltageTable& voltages) {
  if (index < -1 || index >= kVoltageEntries) index = -1;
  return CodeByte(voltages[static_cast<std::size_t>(index + 2)][1]);
}

// List position i stands for row i + 1; -1 gives row 0 (no current).
std::uint8_t CurrentCode(int index, const CurrentTable& currents) {
  if (index < -1 || index >= kCurrentEntries) index = -1;
  return CodeByte(currents[static_cast<std::size_t>(index + 1)][1]);
}

// Time lists send position + 1, so -1 (and anything a list cannot hold) sends 0.
std::uint8_t TimeByte(int index) {
  if (index < -1 || index >= kTimeEntries) index = -1;
  return static_cast<std::uint8_t>(index + 1);
}

}  // namespace

Payload UploadPayload(const ParameterSet& set, const VoltageTable& voltages,
                      const CurrentTable& currents) {
  return {VoltageCode(set.umin, voltages),
          VoltageCode(set.umax, voltages),
          CurrentCode(set.igyors, currents),
          CurrentCode(set.inormal, currents),
          TimeByte(set.tkarbantarto),
          TimeByte(set.thiszt),
          TimeByte(set.minta)};
}

}  // namespace voltander
