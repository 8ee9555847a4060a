#include "cli/command_output.h"

#include <cstdio>

int Usage(std::string_view usage) {
  std::fprintf(stderr, "usage: kestrel-cli %.*s\n", static_cast<int>(usage.size()), usage.data());
  return 2;
}

int Failure(std::string_view text, const std::string& why) {
  std::fprintf(stderr, "kestrel-cli: %.*s (%s)\n", static_cast<int>(text.size()), text.data(),
               why.c_str());
  return 1;
}

int Partial(std::string_view text, const std::vector<std::filesystem::path>& leftOut) {
  std::fprintf(stderr, "kestrel-cli: %.*s:\n", static_cast<int>(text.size()), text.data());
  for (const std::filesystem::path& path : leftOut) {
    std::fprintf(stderr, "  %s\n", TextField(path.string()).c_str());
  }
  return kPartialStatus;
}

std::string TextField(std::string_view text) {
  std::string field;
  for (const char c : text) {
    switch (c) {
      case '\\':
        field += "\\\\";
        break;
      case '\t':
        field += "\\t";
        break;
      case '\r':
        field += "\\r";
        break;
      case '\n':
        field += "\\n";
        break;
      default:
        field.push_back(c);
    }
  }
  return field;
}
