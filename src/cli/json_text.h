#pragma once

#include <string>
#include <string_view>

// Appends `text` as a JSON string. Well-formed UTF-8 passes through as it
// is; control characters are escaped as \u00XX. A byte that is not part of
// a well-formed UTF-8 sequence (a garbled atom name, a file name written in
// another character set) is written as the lone surrogate \uDCXX of its
// value XX, the "surrogateescape" form: Python's os.fsencode and the like
// turn it back into the same byte, so a path read from the JSON opens the
// same file. Nothing that is not UTF-8 reaches the output.
void AppendJsonString(std::string& out, std::string_view text);
