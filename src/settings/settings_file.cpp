#include "settings/settings_file.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

const DWORD kFirstReadBufferSize = 256;

// The reader trims white space around a value and removes one pair of
// enclosing quotes, double or single.
bool ReaderWouldAlter(const std::string& value) {
    if (value.empty())
        return false;
    const char first = value.front();
    const char last = value.back();
    if (std::strchr(" \t\v\f", first) || std::strchr(" \t\v\f", last))
        return true;
    return value.size() >= 2 && first == last && (first == '"' || first == '\'');
}

bool HasLineBreak(const char* text) {
    return std::strpbrk(text, "\r\n") != nullptr;
}

} // namespace

std::string ValueAsStored(const char* value) {
    std::string stored = value;
    for (char& byte : stored) {
        if (byte == '\r' || byte == '\n')
            byte = ' ';
    }
    if (ReaderWouldAlter(stored))
        stored = '"' + stored + '"';
    return stored;
}

SettingsFile::SettingsFile(const char* path) : path_(path) {}

char* SettingsFile::ReadValue(const char* section, const char* key) const {
    DWORD size = kFirstReadBufferSize;
    char* buffer = static_cast<char*>(std::malloc(size));
    while (buffer) {
        const DWORD copied = GetPrivateProfileStringA(section, key, nullptr, buffer, size, path_.c_str());
        if (copied < size - 2)
            return buffer;
        // Possibly cut: try again with twice the room.
        if (size > MAXDWORD / 2) {
            std::free(buffer);
            return nullptr;
        }
        size *= 2;
        char* larger = static_cast<char*>(std::realloc(buffer, size));
        if (!larger)
            std::free(buffer);
        buffer = larger;
    }
    return nullptr;
}

void SettingsFile::WriteValue(const char* section, const char* key, const char* value) const {
    // A line break in a section or key name cannot be stored at all.
    if (HasLineBreak(section) || HasLineBreak(key))
        return;
    if (!value) {
        WritePrivateProfileStringA(section, key, nullptr, path_.c_str());
        return;
    }
    const std::string stored = ValueAsStored(value);
    if (stored.size() > kMaxStoredValueLength)
        return;
    WritePrivateProfileStringA(section, key, stored.c_str(), path_.c_str());
}
