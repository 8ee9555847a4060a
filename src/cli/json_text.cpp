#include "cli/json_text.h"

#include <cstdio>

#include "catalogue/utf8_text.h"

namespace {

void AppendEscape(std::string& out, unsigned int code) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
  out.append(escaped);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c < 0x20) {
      AppendEscape(out, c);
    } else if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (const std::size_t length = Utf8SequenceLength(text, i); length > 0) {
      out.append(text.substr(i, length));
      i += length - 1;
    } else {
      AppendEscape(out, 0xDC00 + c);
    }
  }
  out.push_back('"');
}
