// Any bytes as a parameter file: the reader must answer with a result or an error
// code from its table, never crash; what it accepts must lie inside the lists; and
// what the writer writes must read back unchanged.
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
  for (std::size_t i = 0; i < r.positions.size(); ++i) {
    if (r.positions[i] < -1 || r.positions[i] >= counts[i]) std::abort();
  }
  if (r.ratio && !std::isfinite(*r.ratio)) std::abort();

  if (r.error == 0 && r.ratio) {
    FilePositions p{};
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = r.positions[i];
    const std::string written = WriteParameterFile(*r.ratio, p);
    const ParameterFileRead again = ReadParameterFile(written, counts);
    if (again.error != 0 || again.positions != r.positions) std::abort();
    if (WriteParameterFile(*again.ratio, p) != written) std::abort();
  }
  return 0;
}
