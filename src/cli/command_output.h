#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// What the commands print beside their results.

// "usage: kestrel-cli USAGE" on standard error; returns the exit status 2.
int Usage(std::string_view usage);

// "kestrel-cli: TEXT (WHY)" on standard error; returns the exit status 1.
int Failure(std::string_view text, const std::string& why);

// The exit status of a command that wrote its output without some of the
// recordings it was given, because they could not be read.
constexpr int kPartialStatus = 3;

// "kestrel-cli: TEXT:" and each path left out, one a line, on standard
// error; returns kPartialStatus.
int Partial(std::string_view text, const std::vector<std::filesystem::path>& leftOut);

// A name or path on one tab-separated line: a backslash, tab, CR or LF in
// it is written as \\, \t, \r or \n.
std::string TextField(std::string_view text);
