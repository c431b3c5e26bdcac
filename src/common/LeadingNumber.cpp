#include "common/LeadingNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace voltander {

namespace {

bool Ignored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

struct Scan {
  double value = 0.0;
  bool found = false;   // a number was taken
  std::size_t end = 0;  // index of the first character not taken
};

// Reads a &H or &O integer. Values that fit 16 bits are read as a signed 16-bit
// number and those that fit 32 bits as a signed 32-bit one, as integer literals are.
Scan RadixInteger(std::string_view t, std::size_t i, int radix) {
  Scan s;
  std::uint64_t v = 0;
  bool any = false;
  bool tooBig = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (Ignored(c)) continue;
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (radix == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (radix == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      break;
    if (digit >= radix) break;
    any = true;
    if (v > (UINT64_MAX - static_cast<unsigned>(digit)) / static_cast<unsigned>(radix))
      tooBig = true;
    else
      v = v * static_cast<unsigned>(radix) + static_cast<unsigned>(digit);
  }
  s.end = i;
  s.found = any;
  if (tooBig)
    s.value = HUGE_VAL;
  else if (v <= 0xFFFF)
    s.value = static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
  else if (v <= 0xFFFFFFFFULL)
    s.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  else
    s.value = static_cast<double>(v);
  return s;
}

// For a number a double cannot hold: whether it is too large rather than too small,
// by the power of ten of its first significant digit. A long run of digits without
// an exponent is too large, however it is written.
bool TooLarge(const std::string& text) {
  const std::size_t e = text.find('e');
  long long power = 0;
  if (e != std::string::npos) {
    std::size_t i = e + 1;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    for (; i < text.size(); ++i) power = std::min(power * 10 + (text[i] - '0'), 1000000000LL);
    if (negative) power = -power;
  }
  const std::string_view mantissa = std::string_view(text).substr(0, e);
  const std::size_t point = mantissa.find('.');
  const std::size_t intEnd = point == std::string_view::npos ? mantissa.size() : point;
  const std::size_t first = mantissa.find_first_not_of("0.");
  if (first == std::string_view::npos) return false;
  const long long lead = first < intEnd ? static_cast<long long>(intEnd - first - 1)
                                        : -static_cast<long long>(first - intEnd);
  return lead + power >= 0;
}

Scan Decimal(std::string_view t, std::size_t i) {
  Scan s;
  std::string text;
  auto skip = [&] {
    while (i < t.size() && Ignored(t[i])) ++i;
  };
  skip();
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  bool digits = false;
  bool point = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (Ignored(c)) continue;
    if (c >= '0' && c <= '9') {
      text += c;
      digits = true;
    } else if (c == '.' && !point) {
      text += c;
      point = true;
    } else {
      break;
    }
  }
  if (digits && i < t.size() && (t[i] == 'E' || t[i] == 'e' || t[i] == 'D' || t[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exp = "e";
    while (j < t.size() && Ignored(t[j])) ++j;
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) exp += t[j++];
    bool expDigits = false;
    for (; j < t.size(); ++j) {
      if (Ignored(t[j])) continue;
      if (t[j] < '0' || t[j] > '9') break;
      exp += t[j];
      expDigits = true;
    }
    if (expDigits) {
      text += exp;
      i = j;
    } else {
      i = j;  // a bare exponent letter is taken and adds nothing
    }
  }
  s.end = i;
  s.found = digits;
  if (!digits) return s;
  double v = 0.0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large is infinite; too small is zero.
    v = TooLarge(text) ? HUGE_VAL : 0.0;
  }
  s.value = negative ? -v : v;
  return s;
}

Scan ScanNumber(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && Ignored(t[i])) ++i;
  if (i + 1 < t.size() && t[i] == '&') {
    std::size_t j = i + 1;
    while (j < t.size() && Ignored(t[j])) ++j;
    if (j < t.size()) {
      const char p = t[j];
      if (p == 'H' || p == 'h') return RadixInteger(t, j + 1, 16);
      if (p == 'O' || p == 'o') return RadixInteger(t, j + 1, 8);
    }
    return {0.0, false, i};
  }
  return Decimal(t, i);
}

}  // namespace

double LeadingNumber(std::string_view text) {
  const Scan s = ScanNumber(text);
  return s.found ? s.value : 0.0;
}

std::optional<double> ParseNumber(std::string_view text) {
  const Scan s = ScanNumber(text);
  if (!s.found) return std::nullopt;
  for (std::size_t i = s.end; i < text.size(); ++i) {
    if (!Ignored(text[i])) return std::nullopt;
  }
  return s.value;
}

}  // namespace voltander
