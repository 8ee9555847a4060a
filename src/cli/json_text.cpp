#include "cli/json_text.h"

#include <cstdio>

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
      continue;
    }
    std::size_t length = 0;
    if (c >= 0xC2 && c <= 0xDF) length = 2;
    if (c >= 0xE0 && c <= 0xEF) length = 3;
    if (c >= 0xF0 && c <= 0xF4) length = 4;
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    }
    if (valid) {
      out.append(text.substr(i, length));
      i += length - 1;
    } else if (c < 0x20 || c >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out.append(escaped);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  out.push_back('"');
}
