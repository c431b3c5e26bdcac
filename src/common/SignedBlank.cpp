#include "common/SignedBlank.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace voltander {

std::string SignedBlank(std::int64_t value) {
  if (value < 0) return "-" + std::to_string(-(value + 1) + 1ULL);
  return " " + std::to_string(value);
}

std::string SignedBlank(float value) {
  const double d = value;
  if (std::isnan(d)) return " NaN";
  if (std::isinf(d)) return d < 0 ? "-Inf" : " Inf";
  const std::string sign = std::signbit(d) && d != 0.0 ? "-" : " ";
  if (d == 0.0) return " 0";

  // Seven significant digits, rounded from the exact value of the float.
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6e", std::fabs(d));
  std::string mantissa;
  for (const char* p = buf; *p && *p != 'e'; ++p) {
    if (*p != '.') mantissa += *p;
  }
  const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

  std::string body;
  if (exponent >= -5 && exponent < 7) {
    if (exponent >= 0) {
      const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
      if (mantissa.size() <= intDigits) {
        body = mantissa + std::string(intDigits - mantissa.size(), '0');
      } else {
        body = mantissa.substr(0, intDigits) + "." + mantissa.substr(intDigits);
      }
    } else {
      body = "." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
    }
  } else {
    body = mantissa.substr(0, 1);
    if (mantissa.size() > 1) body += "." + mantissa.substr(1);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    body += exp;
  }
  return sign + body;
}

}  // namespace voltander
