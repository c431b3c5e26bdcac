#include "link/StoredParameters.h"

#include <cstddef>

namespace voltander {

namespace {

template <std::size_t Rows>
std::optional<int> FirstRowWithCode(const std::array<std::array<float, 2>, Rows>& steps,
                                    std::uint8_t code) {
  for (std::size_t row = 0; row < Rows; ++row) {
    if (steps[row][1] == static_cast<float>(code)) return static_cast<int>(row);
  }
  return std::nullopt;
}

constexpr int kFirstVoltageListRow = 2;
constexpr int kFirstCurrentListRow = 1;

}  // namespace

std::optional<int> VoltagePositionForCode(const VoltageTable& steps, std::uint8_t code) {
  const std::optional<int> row = FirstRowWithCode(steps, code);
  // Row 0 lies two places before the list and would name no entry at all.
  if (!row || *row == 0) return std::nullopt;
  return *row - kFirstVoltageListRow;
}

std::optional<int> CurrentPositionForCode(const CurrentTable& steps, std::uint8_t code) {
  const std::optional<int> row = FirstRowWithCode(steps, code);
  if (!row) return std::nullopt;
  return *row - kFirstCurrentListRow;
}

std::optional<int> PositionForOrdinal(std::uint8_t ordinal, int count) {
  if (ordinal > count) return std::nullopt;
  return ordinal - 1;
}

}  // namespace voltander
