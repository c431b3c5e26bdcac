// The leading-number parse must take any text, and every single-precision value the
// signed-blank form writes must read back to the same text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/LeadingNumber.h"
#include "common/Rounding.h"
#include "common/SignedBlank.h"

using namespace voltander;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double parsed = LeadingNumber(text);
  (void)ParseNumber(text);
  (void)ToInt16(parsed);

  if (size >= sizeof(float)) {
    float value;
    std::memcpy(&value, data, sizeof value);
    if (std::isfinite(value)) {
      const std::string written = SignedBlank(value);
      const double back = LeadingNumber(written);
      if (SignedBlank(static_cast<float>(back)) != written) std::abort();
    }
  }
  return 0;
}
