#include "common/CommNumbers.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace voltander {

namespace {

// Thirty-two numbers per device family, in the order users meet them: built-in
// UARTs, then USB serial adapters, then USB modem-class devices.
constexpr int kPerFamily = 32;
constexpr const char* kFamilies[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM"};
constexpr int kFamilyCount = static_cast<int>(std::size(kFamilies));

}  // namespace

std::string StandardDevicePath(int n) {
  if (n < 1 || n > kFamilyCount * kPerFamily) return "";
  return kFamilies[(n - 1) / kPerFamily] + std::to_string((n - 1) % kPerFamily);
}

int StandardCommNumber(const std::string& devicePath) {
  for (int family = 0; family < kFamilyCount; ++family) {
    const std::string prefix = kFamilies[family];
    if (devicePath.size() <= prefix.size() || devicePath.compare(0, prefix.size(), prefix) != 0) {
      continue;
    }
    const std::string digits = devicePath.substr(prefix.size());
    if (digits.size() > 2 || (digits.size() > 1 && digits[0] == '0')) continue;
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
      continue;
    const int k = std::stoi(digits);
    if (k < kPerFamily) return family * kPerFamily + k + 1;
  }
  return 0;
}

std::string LinkName(int n) { return "COM" + std::to_string(n); }

int LinkNameNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0 || name[3] == '0')
    return 0;
  const std::string digits = name.substr(3);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return 0;
  const int n = std::stoi(digits);
  return n <= kLastPortNumber ? n : 0;
}

}  // namespace voltander
