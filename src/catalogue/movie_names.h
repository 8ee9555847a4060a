#pragma once

#include <string_view>

// Rules about recording file names that the recorder forms.

// Returns true when the name's extension (from its last dot) is ".MOV" in
// any letter case.
bool IsMovieName(std::string_view path);

// Returns the trigger letter (A, G, M, P or S) when the name carries the
// recorder's trigger mark (character 10 is '_' and character 11 a trigger
// letter), else 0.
char TriggerLetter(std::string_view name);

// Returns the folder-mask bit of a trigger letter: A 0x01, M 0x02, G 0x04,
// P 0x08, S 0x10; 0 for any other character.
int TriggerBit(char letter);

// Returns true when the name begins with three decimal digits and '_'; the
// catalogue lists such names first.
bool HasNumberPrefix(std::string_view name);
