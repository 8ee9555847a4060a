#pragma once

#include <QString>

// The recording trigger that a recorder file name carries: with "_" at
// position 10, the letter at position 11 is A (continuous), G (impact),
// M (manual), P (parking) or S (parking impact). Returns that trigger's text,
// or "" for a name shorter than 16 characters, without "_" at position 10 or
// with another letter.
QString TriggerLabelFromName(const QString& name);
