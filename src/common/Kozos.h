// The state both windows share for the whole run: the link flags, the divider
// ratios and the step tables. One object, owned by the program's entry point and
// passed by reference, so every test starts from a fresh one.
#pragma once

#include <array>
#include <cstdint>

namespace voltander {

inline constexpr int kVoltageRows = 54;  // levels 0 to 53
inline constexpr int kCurrentRows = 16;  // steps 0 to 15
inline constexpr int kLastVoltageRow = kVoltageRows - 1;
inline constexpr int kLastCurrentRow = kCurrentRows - 1;

// Column 0 the volts or amperes, column 1 the code byte (held as a float).
using VoltageTable = std::array<std::array<float, 2>, kVoltageRows>;
using CurrentTable = std::array<std::array<float, 2>, kCurrentRows>;

struct Kozos {
  // The controller has answered a valid status reply since the link was last lost
  // or a bad frame came, and has been asked for its version.
  bool LiveLink = false;
  // Ten bytes were waiting at a receive event since the last tick.
  bool ReplySeen = false;
  // Cleared by the battery assistant when a rule refuses the set.
  bool UploadAllowed = false;
  bool ExpertMode = false;

  float DividerRatio = 4.0f;
  // What DividerRatio returns to when the calibration window closes.
  float CommittedDividerRatio = 4.0f;

  VoltageTable VoltageSteps{};
  CurrentTable CurrentSteps{};

  // The frame last read by the reply parser.
  std::array<std::uint8_t, 10> RxFrame{};
};

}  // namespace voltander
