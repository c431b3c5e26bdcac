#include "qt/platform/NameFilters.h"

#include <sstream>

namespace voltander {

namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::stringstream in(text);
  while (std::getline(in, part, sep)) parts.push_back(part);
  if (!text.empty() && text.back() == sep) parts.emplace_back();
  return parts;
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string Join(const std::vector<std::string>& parts, const char* sep) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : sep) + p;
  return out;
}

}  // namespace

std::vector<std::string> QtNameFilters(const std::string& filter) {
  std::vector<std::string> result;
  const std::vector<std::string> fields = Split(filter, '|');
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    std::string description = Trim(fields[i]);
    std::vector<std::string> patterns;
    for (const std::string& p : Split(fields[i + 1], ';')) {
      const std::string t = Trim(p);
      if (!t.empty()) patterns.push_back(t == "*.*" ? "*" : t);
    }
    if (patterns.empty()) continue;
    const std::string qtPatterns = Join(patterns, " ");

    // The description usually repeats the patterns in parentheses; Qt reads the
    // patterns from there, so that part is rewritten rather than repeated.
    const auto open = description.rfind('(');
    if (open != std::string::npos && description.back() == ')') {
      description = Trim(description.substr(0, open));
    }
    result.push_back(description.empty() ? qtPatterns : description + " (" + qtPatterns + ")");
  }
  return result;
}

}  // namespace voltander
