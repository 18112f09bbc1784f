// Encodes a word for use between double quotes of a condition: a backslash
// goes before every double quote and every backslash byte, except where that
// byte is the second half of a Shift_JIS double-byte character
// (a lead byte 0x81-0x9F or 0xE0-0xFC followed by a trail byte 0x40-0xFC).
#pragma once

#include <string>

std::string EscapeWord(const std::string& word);
