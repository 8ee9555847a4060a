#pragma once

#include <string>
#include <string_view>

// Appends `text` as a JSON string. Valid UTF-8 passes through; any other
// byte (a garbled atom name) is written as the code point of its value.
void AppendJsonString(std::string& out, std::string_view text);
