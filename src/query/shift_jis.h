// The byte classes of Shift_JIS, the ANSI code page of the systems the
// plug-in runs on. Texts are never decoded; where a rule must not split a
// double-byte character, these tell where characters begin.
#pragma once

#include <cstddef>

// The first byte of a double-byte character.
constexpr bool IsShiftJisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// What may follow a lead byte as the second one. A double quote never does,
// nor a space, so a stray lead byte shields neither.
inline bool IsShiftJisTrailByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// The length of the character that starts at text[at] (of `size` bytes):
// 2 for a lead byte followed by a trail byte, else 1.
inline std::size_t ShiftJisCharLength(const char* text, std::size_t at, std::size_t size) {
    return at + 1 < size && IsShiftJisLeadByte(static_cast<unsigned char>(text[at])) &&
                   IsShiftJisTrailByte(static_cast<unsigned char>(text[at + 1]))
               ? 2
               : 1;
}
