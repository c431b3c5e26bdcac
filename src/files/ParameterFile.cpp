#include "files/ParameterFile.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "common/Kozos.h"
#include "common/LeadingNumber.h"
#include "common/Rounding.h"
#include "common/SignedBlank.h"
#include "params/StepTables.h"
#include "platform/FileStore.h"

namespace voltander {

namespace {

constexpr const char* kCrLf = "\r\n";

// Lines end at CR, and an LF right after the CR belongs to that end; an LF anywhere
// else is part of the line. The last line may end at the end of the bytes.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : rest_(bytes) {}

  // False when nothing is left to read.
  bool next(std::string_view& line) {
    if (rest_.empty()) return false;
    const std::size_t cr = rest_.find('\r');
    if (cr == std::string_view::npos) {
      line = rest_;
      rest_ = {};
      return true;
    }
    line = rest_.substr(0, cr);
    rest_.remove_prefix(cr + 1);
    if (!rest_.empty() && rest_.front() == '\n') rest_.remove_prefix(1);
    return true;
  }

 private:
  std::string_view rest_;
};

// The ratio must be a finite single-precision value, and so must every divided
// step built from it, or the lists would show steps no controller has.
int RatioFromLine(std::string_view line, float& ratio) {
  const double value = LeadingNumber(line);
  if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) return kOverflow;
  const auto candidate = static_cast<float>(value);
  VoltageTable voltages{};
  CurrentTable currents{};
  ComputeStepTables(candidate, voltages, currents);
  for (const auto& row : voltages) {
    if (!std::isfinite(row[0])) return kOverflow;
  }
  ratio = candidate;
  return kFileOk;
}

int PositionFromLine(std::string_view line, int entryCount, int& position) {
  const Int16Result whole = ToInt16(LeadingNumber(line));
  if (whole.error) return kOverflow;
  if (whole.value < -1 || whole.value >= entryCount) return kOutOfRange;
  position = whole.value;
  return kFileOk;
}

}  // namespace

std::string WriteParameterFile(float ratio, const FilePositions& positions) {
  std::string text = SignedBlank(ratio) + kCrLf;
  for (int p : positions) text += SignedBlank(std::int64_t{p}) + kCrLf;
  return text;
}

ParameterFileRead ReadParameterFile(std::string_view bytes, const FilePositions& entryCounts) {
  ParameterFileRead result;
  LineReader lines(bytes);
  std::string_view line;

  if (!lines.next(line)) {
    result.error = kPastEnd;
    return result;
  }
  float ratio = 0.0f;
  result.error = RatioFromLine(line, ratio);
  if (result.error) return result;
  result.ratio = ratio;

  for (int n = 0; n < kPositionLines; ++n) {
    if (!lines.next(line)) {
      result.error = kPastEnd;
      return result;
    }
    int position = -1;
    result.error = PositionFromLine(line, entryCounts[static_cast<std::size_t>(n)], position);
    if (result.error) return result;
    result.positions.push_back(position);
  }
  return result;
}

}  // namespace voltander
