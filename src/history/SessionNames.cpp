#include "history/SessionNames.h"

#include <cstdio>
#include <string_view>

namespace voltander::history {

namespace {

constexpr std::size_t kStamp = 19;  // "2026-03-01_08-15-00"

// The digits at text[pos...] up to the first non-digit; false when there are none or
// too many to be a serial or a part.
bool Number(std::string_view text, std::size_t& pos, long& out) {
  out = 0;
  const std::size_t from = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (out > 1000000) return false;
    out = out * 10 + (text[pos++] - '0');
  }
  return pos > from;
}

// "2026-03-01_08-15-00" at the start of s.
bool Stamp(std::string_view s, LocalTime& t) {
  constexpr std::string_view kForm = "dddd-dd-dd_dd-dd-dd";
  if (s.size() < kStamp) return false;
  for (std::size_t k = 0; k < kStamp; ++k)
    if (kForm[k] == 'd' ? s[k] < '0' || s[k] > '9' : s[k] != kForm[k]) return false;
  const auto field = [&](std::size_t pos, std::size_t n) {
    int v = 0;
    for (std::size_t k = pos; k < pos + n; ++k) v = v * 10 + (s[k] - '0');
    return v;
  };
  t = {field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2), field(17, 2), 0, 0};
  return true;
}

}  // namespace

PartName ParsePartName(const std::string& name) {
  PartName p;
  const std::string_view s(name);
  if (!Stamp(s, p.start) || !s.ends_with(".csv")) return {};
  const std::string_view rest = s.substr(kStamp, s.size() - kStamp - 4);
  std::size_t pos = 0;
  long serial = 1, part = 1;
  if (pos < rest.size() && rest[pos] == '-' && !Number(rest, ++pos, serial)) return {};
  if (pos < rest.size() && rest[pos] == '.' && !Number(rest, ++pos, part)) return {};
  if (pos != rest.size() || serial < 1 || part < 1) return {};
  p.serial = serial;
  p.part = part;
  return p;
}

std::string SessionFileName(const LocalTime& t, int serial) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return std::string(buf) + (serial > 1 ? "-" + std::to_string(serial) : "") + ".csv";
}

std::string PartFileName(const std::string& first, long part) {
  char number[24];
  std::snprintf(number, sizeof number, ".%03ld.csv", part);
  return first.substr(0, first.size() - 4) + number;
}

bool SameSession(const std::string& a, const std::string& b) {
  const PartName pa = ParsePartName(a), pb = ParsePartName(b);
  return pa.serial > 0 && pa.serial == pb.serial && a.compare(0, kStamp, b, 0, kStamp) == 0;
}

bool StartedBefore(const std::string& a, const std::string& b) {
  const std::string stampA = a.substr(0, kStamp), stampB = b.substr(0, kStamp);
  if (stampA != stampB) return stampA < stampB;
  const PartName pa = ParsePartName(a), pb = ParsePartName(b);
  if (pa.serial != pb.serial) return pa.serial < pb.serial;
  if (pa.part != pb.part) return pa.part < pb.part;
  return a < b;
}

}  // namespace voltander::history
