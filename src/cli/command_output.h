#pragma once

#include <string>
#include <string_view>

// What the commands print beside their results.

// "usage: kestrel-cli USAGE" on standard error; returns the exit status 2.
int Usage(std::string_view usage);

// "kestrel-cli: TEXT (WHY)" on standard error; returns the exit status 1.
int Failure(std::string_view text, const std::string& why);

// A name or path on one tab-separated line: a backslash, tab, CR or LF in
// it is written as \\, \t, \r or \n.
std::string TextField(std::string_view text);
