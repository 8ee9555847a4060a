#include "catalogue/locale_text.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>
#include <vector>

std::string LocaleCharset() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset == nullptr || *codeset == '\0' || std::strcmp(codeset, "ANSI_X3.4-1968") == 0 ||
      std::strcmp(codeset, "ASCII") == 0) {
    return "UTF-8";
  }
  return codeset;
}

std::optional<std::string> ToLocaleText(std::string_view utf8) {
  return ConvertText(utf8, LocaleCharset());
}

std::optional<std::string> ConvertText(std::string_view utf8, const std::string& charset) {
  if (charset == "UTF-8") return std::string(utf8);
  iconv_t converter = iconv_open(charset.c_str(), "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string input(utf8);
  std::vector<char> output(input.size() * 4 + 16);
  char* in = input.data();
  std::size_t inLeft = input.size();
  char* out = output.data();
  std::size_t outLeft = output.size();
  const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
  return std::string(output.data(), output.size() - outLeft);
}
