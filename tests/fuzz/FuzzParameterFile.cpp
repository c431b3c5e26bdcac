// Any bytes as a parameter file: the reader must answer with a result or an error
// code from its table, never crash; what it accepts must lie inside the lists; and
// what the writer writes must read back, the ratio to its seventh digit.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/ParameterFile.h"

using namespace voltander;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FilePositions counts{52, 52, 15, 15, 255, 255, 255};
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ParameterFileRead r = ReadParameterFile(bytes, counts);
  if (r.error != 0 && r.error != 6 && r.error != 62 && r.error != 380) std::abort();
  if (r.positions.size() > counts.size()) std::abort();
  for (std::size_t i = 0; i < r.positions.size(); ++i)
    if (r.positions[i] < -1 || r.positions[i] >= counts[i]) std::abort();
  if (r.ratio && !std::isfinite(*r.ratio)) std::abort();

  if (r.error == 0 && r.ratio) {
    FilePositions p{};
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = r.positions[i];
    const std::string written = WriteParameterFile(*r.ratio, p);
    const ParameterFileRead again = ReadParameterFile(written, counts);
    if (again.error != 0 || again.positions != r.positions) std::abort();
    // Seven digits do not always name one float: the first trip may move the ratio
    // inside its seventh digit, and from then on it must stay put.
    if (std::fabs(double{*again.ratio} - *r.ratio) > std::fabs(double{*r.ratio}) * 1e-6) std::abort();
    if (ReadParameterFile(WriteParameterFile(*again.ratio, p), counts).ratio != again.ratio) std::abort();
  }
  return 0;
}
