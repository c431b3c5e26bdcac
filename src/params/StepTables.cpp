#include "params/StepTables.h"

#include <cmath>

#include "common/PatternFormat.h"

namespace voltander {

namespace {

struct BaseRow {
  float volts;
  int code;
};

// The base rows: both ladders of the controller in ascending order, the four shared
// levels once with the coarse ladder's code, voltages cut to these digits.
constexpr BaseRow kBaseRows[28] = {
    {0.0f, 176},   {0.20833f, 177}, {0.4166f, 178}, {0.625f, 179},  {0.833f, 180}, {1.0416f, 181},
    {1.25f, 144},  {1.40625f, 145}, {1.4583f, 183}, {1.5625f, 146}, {1.666f, 184}, {1.718f, 147},
    {1.875f, 148}, {2.031f, 149},   {2.0833f, 186}, {2.1875f, 150}, {2.291f, 187}, {2.343f, 151},
    {2.5f, 152},   {2.656f, 153},   {2.708f, 189},  {2.8125f, 154}, {2.916f, 190}, {2.968f, 155},
    {3.125f, 156}, {3.281f, 157},   {3.437f, 158},  {3.593f, 159},
};

constexpr float kCurrents[kCurrentRows] = {0.0f,  0.07f, 0.14f, 0.2f,  0.27f, 0.34f, 0.4f,  0.47f,
                                           0.54f, 0.6f,  0.68f, 0.74f, 0.8f,  0.88f, 0.94f, 1.0f};

constexpr int kBaseRowCount = 28;
constexpr int kDividedOffset = 26;

}  // namespace

void ComputeStepTables(float ratio, VoltageTable& voltages, CurrentTable& currents) {
  for (int k = 0; k < kBaseRowCount; ++k) {
    voltages[k][0] = kBaseRows[k].volts;
    voltages[k][1] = static_cast<float>(kBaseRows[k].code);
  }
  for (int k = kBaseRowCount; k < kVoltageRows; ++k) {
    voltages[k][0] = ratio * voltages[k - kDividedOffset][0];
    const int code = static_cast<int>(std::lround(voltages[k - kDividedOffset][1]));
    voltages[k][1] = static_cast<float>(code & 0xEF);
  }
  for (int k = 0; k < kCurrentRows; ++k) {
    currents[k][0] = kCurrents[k];
    currents[k][1] = static_cast<float>(160 + k);
  }
}

std::string VoltageEntryText(const VoltageTable& voltages, int row, std::string_view sep) {
  std::string text = FormatPattern(voltages[row][0], "0.000 V", sep);
  if (row > kBaseRowCount - 1) text += "*";
  return text;
}

std::string CurrentEntryText(const CurrentTable& currents, int row, std::string_view sep) {
  return FormatPattern(currents[row][0], "0.000 A", sep);
}

std::string ThisztEntryText(int index) { return std::to_string(index + 1) + " s"; }
std::string MintaEntryText(int index) { return std::to_string(index + 1) + ". s"; }
std::string TkarbantartoEntryText(int index) { return std::to_string(index + 2) + ". napon"; }

void BuildStepTables(Kozos& k, const ParameterLists& lists, std::string_view sep) {
  ComputeStepTables(k.DividerRatio, k.VoltageSteps, k.CurrentSteps);
  for (int i = 2; i < kVoltageRows; ++i) {
    std::string text = VoltageEntryText(k.VoltageSteps, i, sep);
    lists.Umax.writeEntry(static_cast<std::size_t>(i - 2), text);
    lists.Umin.writeEntry(static_cast<std::size_t>(i - 2), std::move(text));
  }
  for (int j = 1; j < kCurrentRows; ++j) {
    std::string text = CurrentEntryText(k.CurrentSteps, j, sep);
    lists.Igyors.writeEntry(static_cast<std::size_t>(j - 1), text);
    lists.Inormal.writeEntry(static_cast<std::size_t>(j - 1), std::move(text));
  }
  for (int n = 0; n < kTimeEntries; ++n) {
    const auto entry = static_cast<std::size_t>(n);
    lists.Thiszt.writeEntry(entry, ThisztEntryText(n));
    lists.Tkarbantarto.writeEntry(entry, TkarbantartoEntryText(n));
    lists.Minta.writeEntry(entry, MintaEntryText(n));
  }
}

}  // namespace voltander
