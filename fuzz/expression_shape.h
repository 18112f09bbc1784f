// Checks that an expression has the shape the translator promises: closed
// conditions joined by "and", an optional flag clause, the two suffixes.
#pragma once

#include <string>

// The word encoder to translate with: hex digits never look like the
// expression's own punctuation, so the shape can be read without guessing.
const char* HexEncode(const char* word);

// Returns an empty string when the shape holds, else what is wrong.
std::string CheckExpressionShape(const std::string& expression, int scope);
