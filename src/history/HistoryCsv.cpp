#include "history/HistoryCsv.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "common/CivilDays.h"

namespace voltander::history {

namespace {

// Files written before the first link had a name of its own call it link_restored;
// they read as they were written.
constexpr std::array<const char*, 8> kKindNames = {
    "status",      "link_lost",  "link_restored", "parameter_upload", "calibration_upload",
    "file_opened", "file_saved", "link_up"};

// A field of exactly n digits at text[pos].
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t n) {
  if (pos + n > text.size()) return std::nullopt;
  int v = 0;
  for (std::size_t k = pos; k < pos + n; ++k) {
    if (text[k] < '0' || text[k] > '9') return std::nullopt;
    v = v * 10 + (text[k] - '0');
  }
  return v;
}

std::optional<LocalTime> ParseIsoTime(std::string_view s) {
  // YYYY-MM-DDTHH:MM:SS[.fff](+HH:MM|-HH:MM|Z)
  if (s.size() < 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':')
    return std::nullopt;
  const auto y = Digits(s, 0, 4), mo = Digits(s, 5, 2), d = Digits(s, 8, 2);
  const auto h = Digits(s, 11, 2), mi = Digits(s, 14, 2), se = Digits(s, 17, 2);
  if (!y || !mo || !d || !h || !mi || !se) return std::nullopt;
  LocalTime t{*y, *mo, *d, *h, *mi, *se, 0, 0};
  std::size_t pos = 19;
  if (s[pos] == '.') {
    const auto ms = Digits(s, pos + 1, 3);
    if (!ms) return std::nullopt;
    t.millisecond = *ms;
    pos += 4;
  }
  if (pos == s.size() - 1 && s[pos] == 'Z') return t;
  if (pos + 6 != s.size() || (s[pos] != '+' && s[pos] != '-') || s[pos + 3] != ':')
    return std::nullopt;
  const auto oh = Digits(s, pos + 1, 2), om = Digits(s, pos + 4, 2);
  if (!oh || !om) return std::nullopt;
  t.offsetMinutes = (s[pos] == '-' ? -1 : 1) * (*oh * 60 + *om);
  return t;
}

template <typename T>
bool Number(std::string_view field, T& out) {
  const auto r = std::from_chars(field.data(), field.data() + field.size(), out);
  return r.ec == std::errc() && r.ptr == field.data() + field.size();
}

bool Flag(std::string_view field, bool& out) {
  if (field != "0" && field != "1") return false;
  out = field == "1";
  return true;
}

// The detail is the last field; commas or quotes in it are quoted CSV-fashion.
std::string Quoted(const std::string& text) {
  std::string clean;
  bool quote = false;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (c == ',' || c == '"') quote = true;
    if (c == '"') clean += '"';
    clean += c;
  }
  return quote ? '"' + clean + '"' : clean;
}

std::optional<std::string> Unquoted(std::string_view field) {
  if (field.empty() || field.front() != '"') return std::string(field);
  if (field.size() < 2 || field.back() != '"') return std::nullopt;
  std::string out;
  for (std::size_t k = 1; k + 1 < field.size(); ++k) {
    out += field[k];
    if (field[k] == '"') ++k;
  }
  return out;
}

std::optional<Entry> ParseLine(std::string_view line) {
  std::array<std::string_view, 9> f;
  std::size_t pos = 0;
  for (std::size_t k = 0; k < 8; ++k) {
    const std::size_t comma = line.find(',', pos);
    if (comma == std::string_view::npos) return std::nullopt;
    f[k] = line.substr(pos, comma - pos);
    pos = comma + 1;
  }
  f[8] = line.substr(pos);

  const auto time = ParseIsoTime(f[0]);
  if (!time) return std::nullopt;
  Entry e;
  e.seconds = EpochSeconds(*time);
  e.offsetMinutes = static_cast<std::int16_t>(time->offsetMinutes);
  std::size_t kind = 0;
  while (kind < kKindNames.size() && f[1] != kKindNames[kind]) ++kind;
  if (kind == kKindNames.size()) return std::nullopt;
  e.kind = static_cast<EntryKind>(kind);
  if (e.kind == EntryKind::Status) {
    if (!Number(f[2], e.state) || !Number(f[3], e.duty) || !Flag(f[4], e.charging) ||
        !Flag(f[5], e.fault) || !Flag(f[6], e.calibrationLoop) || !Number(f[7], e.ratio))
      return std::nullopt;
  }
  auto detail = Unquoted(f[8]);
  if (!detail) return std::nullopt;
  e.detail = std::move(*detail);
  return e;
}

}  // namespace

const char* const kCsvHeader = "time,event,state,duty,charging,fault,calibration_loop,ratio,detail";

double EpochSeconds(const LocalTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
  const std::int64_t s =
      days * 86400 + t.hour * 3600 + t.minute * 60 + t.second - t.offsetMinutes * 60;
  return static_cast<double>(s) + t.millisecond / 1000.0;
}

LocalTime LocalTimeAt(double seconds, int offsetMinutes) {
  const std::int64_t ms = std::llround(seconds * 1000.0) + std::int64_t{offsetMinutes} * 60000;
  const std::int64_t whole = (ms >= 0 ? ms : ms - 999) / 1000;
  std::int64_t days = (whole >= 0 ? whole : whole - 86399) / 86400;
  const int inDay = static_cast<int>(whole - days * 86400);
  LocalTime t;
  CivilFromDays(days, t.year, t.month, t.day);
  t.hour = inDay / 3600;
  t.minute = inDay / 60 % 60;
  t.second = inDay % 60;
  t.millisecond = static_cast<int>(ms - whole * 1000);
  t.offsetMinutes = offsetMinutes;
  return t;
}

std::string IsoTime(const LocalTime& t) {
  const int off = t.offsetMinutes < 0 ? -t.offsetMinutes : t.offsetMinutes;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.millisecond, t.offsetMinutes < 0 ? '-' : '+',
                off / 60, off % 60);
  return buf;
}

std::string CsvLine(const Entry& e) {
  std::string line = IsoTime(LocalTimeAt(e.seconds, e.offsetMinutes));
  line += ',';
  line += kKindNames[static_cast<std::size_t>(e.kind)];
  if (e.kind == EntryKind::Status) {
    char ratio[32];
    const auto r = std::to_chars(ratio, ratio + sizeof ratio, e.ratio);
    line += ',' + std::to_string(e.state) + ',' + std::to_string(e.duty) + ',' +
            (e.charging ? '1' : '0') + ',' + (e.fault ? '1' : '0') + ',' +
            (e.calibrationLoop ? '1' : '0') + ',' + std::string(ratio, r.ptr) + ',';
  } else {
    line += ",,,,,,,";
  }
  line += Quoted(e.detail);
  return line;
}

std::size_t ReadCsvLines(std::string_view text,
                         const std::function<void(Entry&&, std::size_t offset)>& use) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t end = text.find('\n', pos);
    // No line feed: the line a crash cut off, or one still being written.
    if (end == std::string_view::npos) return pos;
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (end - pos < kLongestLine) {
      if (auto e = ParseLine(line)) use(std::move(*e), pos);
    }
    pos = end + 1;
  }
}

std::vector<Entry> ReadCsv(std::string_view text) {
  std::vector<Entry> out;
  ReadCsvLines(text, [&](Entry&& e, std::size_t) { out.push_back(std::move(e)); });
  return out;
}

}  // namespace voltander::history
