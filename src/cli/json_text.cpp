#include "cli/json_text.h"

#include <cstdio>

namespace {

unsigned char At(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

// The length of the well-formed UTF-8 sequence of two bytes or more at `i`,
// or 0: no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const unsigned char c = At(text, i);
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte
  unsigned char high = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  }
  if (length == 0 || i + length > text.size()) return 0;
  if (At(text, i + 1) < low || At(text, i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((At(text, i + k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

void AppendEscape(std::string& out, unsigned int code) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
  out.append(escaped);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = At(text, i);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c < 0x20) {
      AppendEscape(out, c);
    } else if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (const std::size_t length = SequenceLength(text, i); length > 0) {
      out.append(text.substr(i, length));
      i += length - 1;
    } else {
      AppendEscape(out, 0xDC00 + c);
    }
  }
  out.push_back('"');
}
