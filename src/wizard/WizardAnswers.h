// The wizard's five answers are plain texts from input boxes; these rules decide
// which texts are taken and what they stand for, so the dialogue only has to ask.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace voltander {

// One battery type: the answer that picks it, its name in the prompt and the
// summary, the per-cell threshold voltages and the interval that replaces 255.
struct BatteryType {
  const char* answer;
  const char* name;
  float cellUmin;
  float cellUmax;
  int intervalFor255;
};

const std::array<BatteryType, 5>& BatteryTypes();

// The type whose answer is exactly the text, nothing around it; null otherwise.
const BatteryType* BatteryTypeFor(std::string_view answer);

// The numeric value of the cell count, when it lies in 1..12.
std::optional<double> AcceptCells(std::string_view text);

// The numeric value of the capacity in mAh, when it lies in 100..30000.
std::optional<double> AcceptCapacity(std::string_view text);

// The load in mA held in single precision, when it lies in 0..12000; an empty
// answer (Cancel) counts as no load.
std::optional<float> AcceptLoad(std::string_view text);

// The maintenance interval in days, when it rounds (halves to even) into 2..256;
// exactly "Auto" stands for 255. Values of any size are only compared, never
// narrowed, so a huge answer is rejected like a small one.
std::optional<int> AcceptInterval(std::string_view text);

// 255 ("Auto" or typed) becomes the type's own interval where it has one.
int ResolveInterval(int interval, const BatteryType& type);

// Everything the wizard learnt from one dialogue.
struct WizardAnswers {
  const BatteryType* type = nullptr;
  std::string cellsText;     // as typed, for the summary
  std::string capacityText;  // as typed, for the summary
  double cells = 0;
  double capacity = 0;
  float load = 0;
  int interval = 0;  // resolved
};

}  // namespace voltander
