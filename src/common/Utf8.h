// Reading UTF-8 text that came from outside (a settings file, the host name, a file
// name): whatever goes out as JSON or as a topic must be well-formed, so the bytes are
// checked one sequence at a time instead of trusted.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace voltander {

struct Utf8Char {
  char32_t codePoint = 0;
  std::size_t length = 0;  // bytes
};

// The character whose sequence starts at pos; nothing when the bytes there are not
// well-formed UTF-8 (a stray continuation byte, a cut sequence, an overlong form, a
// surrogate or a value past U+10FFFF).
std::optional<Utf8Char> Utf8At(std::string_view text, std::size_t pos);

// The code point as UTF-8.
std::string Utf8Encode(char32_t codePoint);

}  // namespace voltander
