#include "mqtt/MqttSettings.h"

#include <charconv>
#include <cstdio>

#include "common/Utf8.h"

namespace voltander::mqtt {

namespace {

constexpr const char* kApp = "Voltander";
constexpr const char* kSection = "Mqtt";
constexpr int kDefaultPort = 1883;
// Topics are UTF-8 of at most 65535 bytes; the prefix leaves room for what follows.
constexpr std::size_t kLongestPrefix = 200;
// Shown of a value in a line; a 70 kB value would hide the rest.
constexpr std::size_t kLongestShown = 60;

enum class TextFault { None, NotUtf8, Control };

// Control characters are C0, DEL and C1 (U+0080-U+009F).
TextFault Scan(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = Utf8At(text, i);
    if (!c) return TextFault::NotUtf8;
    if (c->codePoint < 0x20 || (c->codePoint >= 0x7F && c->codePoint <= 0x9F))
      return TextFault::Control;
    i += c->length;
  }
  return TextFault::None;
}

// The value as it can go into a line: every byte that is not printable UTF-8 as
// \xNN, and a long value cut short.
std::string Shown(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size();) {
    if (out.size() >= kLongestShown) return out + "...";
    const auto c = Utf8At(value, i);
    if (c && Scan(value.substr(i, c->length)) == TextFault::None) {
      out.append(value, i, c->length);
      i += c->length;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(value[i]));
      out += escape;
      ++i;
    }
  }
  return out;
}

Problem Damaged(const char* key, const std::string& value, const std::string& rule,
                bool repaired) {
  return {key, "Hibás érték (" + std::string(key) + "=" + Shown(value) + "): " + rule + ".",
          repaired};
}

std::optional<bool> ParseFlag(const std::string& text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

bool Flag(const std::string& text, bool absent, bool damaged, const char* key, bool repaired,
          std::vector<Problem>& problems) {
  if (text.empty()) return absent;
  if (const auto flag = ParseFlag(text)) return *flag;
  problems.push_back(Damaged(key, text, "0 vagy 1 lehet", repaired));
  return damaged;
}

}  // namespace

std::string Describe(const Problem& p) {
  return p.line + (p.repaired ? " Helyette az alapértéke van érvényben."
                              : " A közzététel ki van kapcsolva, amíg ki nem javítják.");
}

bool FailsClosed(const std::vector<Problem>& problems) {
  for (const Problem& p : problems)
    if (!p.repaired) return true;
  return false;
}

std::string DefaultPrefix(const std::string& hostName) {
  std::string host = hostName.empty() ? "localhost" : hostName;
  for (char& c : host)
    if (c == '+' || c == '#' || c == '/') c = '_';
  std::string prefix = "voltander/" + host;
  return PrefixFault(prefix) ? "voltander/localhost" : prefix;
}

std::optional<int> ParsePort(const std::string& text) {
  int port = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (ec != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
    return std::nullopt;
  return port;
}

std::optional<std::string> PrefixFault(const std::string& prefix) {
  if (prefix.empty()) return "nem lehet üres";
  switch (Scan(prefix)) {
    case TextFault::NotUtf8:
      return "nem érvényes UTF-8 szöveg";
    case TextFault::Control:
      return "nem lehet benne vezérlőkarakter";
    case TextFault::None:
      break;
  }
  if (prefix.size() > kLongestPrefix) return "legfeljebb 200 bájt lehet";
  // The broker keeps topics starting with "$" to itself and drops what goes there.
  if (prefix.front() == '$') return "nem kezdődhet $ jellel";
  if (prefix.find_first_of("+#") != std::string::npos) return "nem lehet benne + vagy #";
  if (prefix.front() == '/' || prefix.back() == '/' || prefix.find("//") != std::string::npos)
    return "nem lehet benne üres szint (kezdő, záró vagy dupla /)";
  return std::nullopt;
}

MqttSettings ParseSettings(const SettingsTexts& t, const std::string& hostName,
                           std::vector<Problem>& problems) {
  MqttSettings s;
  s.enabled = Flag(t.enabled, false, false, "Enabled", false, problems);
  s.broker.host = t.host;
  if (Scan(t.host) != TextFault::None || t.host.find(' ') != std::string::npos)
    problems.push_back(
        Damaged("Host", t.host, "a bróker címében nem lehet szóköz vagy vezérlőkarakter", false));
  s.broker.port = kDefaultPort;
  if (!t.port.empty()) {
    const auto port = ParsePort(t.port);
    s.broker.port = port.value_or(0);
    if (!port) problems.push_back(Damaged("Port", t.port, "1 és 65535 közötti egész szám lehet", false));
  }
  s.broker.user = t.user;
  s.broker.password = t.password;
  s.prefix = DefaultPrefix(hostName);
  if (!t.prefix.empty()) {
    if (const auto fault = PrefixFault(t.prefix)) {
      problems.push_back(Damaged("Prefix", t.prefix, *fault, true));
    } else {
      s.prefix = t.prefix;
    }
  }
  // A damaged Tls reads as on, so the dialog never offers a plain connection for it.
  s.broker.tls = Flag(t.tls, false, true, "Tls", false, problems);
  s.broker.caFile = t.caFile;
  if (Scan(t.caFile) == TextFault::Control)
    problems.push_back(Damaged("CaFile", t.caFile, "a fájlnévben nem lehet vezérlőkarakter", false));
  s.discovery = Flag(t.discovery, true, true, "Discovery", true, problems);
  if (const auto refusal = Refusal(s)) problems.push_back(*refusal);
  return s;
}

std::optional<Problem> Refusal(const MqttSettings& s) {
  if (s.enabled && s.broker.host.empty())
    return Problem{"Host", "Hiányzó érték (Host): nincs megadva a bróker címe.", false};
  return std::nullopt;
}

SettingsTexts ReadTexts(SettingsStore& store) {
  auto get = [&](const char* key) { return store.get(kApp, kSection, key, ""); };
  return {get("Enabled"), get("Host"),   get("Port"),   get("User"),     get("Password"),
          get("Prefix"),  get("Tls"),    get("CaFile"), get("Discovery")};
}

void WriteSettings(SettingsStore& store, const MqttSettings& s) {
  auto put = [&](const char* key, const std::string& value) {
    store.save(kApp, kSection, key, value);
  };
  put("Enabled", s.enabled ? "1" : "0");
  put("Host", s.broker.host);
  put("Port", std::to_string(s.broker.port));
  put("User", s.broker.user);
  put("Password", s.broker.password);
  put("Prefix", s.prefix);
  put("Tls", s.broker.tls ? "1" : "0");
  put("CaFile", s.broker.caFile);
  put("Discovery", s.discovery ? "1" : "0");
}

void WriteRepaired(SettingsStore& store, const MqttSettings& s,
                   const std::vector<Problem>& problems) {
  for (const Problem& p : problems) {
    if (!p.repaired) continue;
    const std::string value =
        p.key == "Prefix" ? s.prefix : (s.discovery ? std::string("1") : std::string("0"));
    store.save(kApp, kSection, p.key, value);
  }
}

}  // namespace voltander::mqtt
