#pragma once
#include <QString>

// Text to single-precision real. The first occurrence of the user's decimal
// separator counts as ".". Accepts leading blanks, an optional sign, digits
// with an optional fraction and an optional exponent ("E" or "e", optional
// sign). Returns true when the whole text was such a number within the range
// of a float; `value` is written only then.
bool ParseReal(const QString& text, float& value);
