#pragma once

#include <optional>
#include <string>
#include <string_view>

// Converts UTF-8 text to the character set of the user's locale (LC_CTYPE),
// the way the recorder's PC software writes its CSV list: UTF-8 on most
// systems, CP932 or EUC-JP where the locale says so. Under the plain C/POSIX
// locale, whose ASCII cannot hold the list's Japanese labels, the text stays
// UTF-8. Returns nothing when a character has no form in that set.
std::optional<std::string> ToLocaleText(std::string_view utf8);

// Converts UTF-8 text to the named character set (an iconv name); nothing
// when a character has no form there.
std::optional<std::string> ConvertText(std::string_view utf8, const std::string& charset);

// The name of the character set ToLocaleText converts to.
std::string LocaleCharset();
