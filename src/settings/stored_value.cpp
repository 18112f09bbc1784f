#include "settings/stored_value.h"

#include "settings/profile_text.h"

namespace {

bool IsLineBreak(char byte) {
    return byte == '\r' || byte == '\n';
}

// A line break is written as a space.
char AsWritten(char byte) {
    return IsLineBreak(byte) ? ' ' : byte;
}

// The reader trims white space around a value and removes one pair of
// enclosing quotes, double or single.
bool ReaderWouldAlter(const char* value, std::size_t length) {
    if (length == 0)
        return false;
    const char first = AsWritten(value[0]);
    const char last = AsWritten(value[length - 1]);
    if (IsTrimmedByReader(first) || IsTrimmedByReader(last))
        return true;
    return length >= 2 && first == last && (first == '"' || first == '\'');
}

} // namespace

bool IsTrimmedByReader(char byte) {
    return IsReaderWhiteSpace(static_cast<unsigned char>(byte));
}

std::string ValueAsStored(const char* value) {
    std::string stored = value;
    for (char& byte : stored)
        byte = AsWritten(byte);
    if (ReaderWouldAlter(value, stored.size()))
        stored = '"' + stored + '"';
    return stored;
}

bool CanStoreValue(const std::string& value) {
    const std::size_t quotes = ReaderWouldAlter(value.c_str(), value.size()) ? 2 : 0;
    return value.size() + quotes <= kMaxStoredValueLength;
}

bool CanStoreKeyName(const std::string& name) {
    if (name.empty() || name.find_first_of("=\r\n") != std::string::npos)
        return false;
    if (name.front() == '[' || name.front() == ';')
        return false;
    return !IsTrimmedByReader(name.front()) && !IsTrimmedByReader(name.back());
}
