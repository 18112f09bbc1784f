// What the settings file can hold, and the form in which a value is written
// so that it reads back exactly as it was. Portable.
#pragma once

#include <cstddef>
#include <string>

// The longest value, as stored in the file (quotes included), that we hand to
// the profile functions. From 32767 bytes on they fail or store the length
// cut to 16 bits, so the value would come back as a fraction of itself, or
// empty. A longer value is not written at all.
constexpr std::size_t kMaxStoredValueLength = 32000;

// The white space that the profile reader trims from around names and values.
bool IsTrimmedByReader(char byte);

// What goes into the file for a value: quoted where the reader would
// otherwise strip something, with line breaks turned into spaces (a raw one
// would split the line and could plant keys or sections).
std::string ValueAsStored(const char* value);

// Whether the value fits the file whole, as ValueAsStored writes it.
bool CanStoreValue(const std::string& value);

// Whether a key of this name reads back as itself: not empty, no "=" or
// line break, no white space around it, and not the start of a section line
// ("[") or a comment (";") to other readers.
bool CanStoreKeyName(const std::string& name);
