#include "settings/settings_file.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

const DWORD kFirstReadBufferSize = 256;

bool HasLineBreak(const char* text) {
    return std::strpbrk(text, "\r\n") != nullptr;
}

char* CopyToHeap(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// What the reader makes of a stored value: one pair of enclosing double
// quotes goes.
std::string AsRead(const std::string& stored) {
    if (stored.size() >= 2 && stored.front() == '"' && stored.back() == '"')
        return stored.substr(1, stored.size() - 2);
    return stored;
}

} // namespace

SettingsFile::SettingsFile(const char* path) : path_(path ? path : "") {}

char* SettingsFile::ReadValue(const char* section, const char* key) const {
    if (path_.empty()) {
        const auto inSection = memory_.find(section);
        if (inSection == memory_.end())
            return CopyToHeap("");
        const auto value = inSection->second.find(key);
        return CopyToHeap(value == inSection->second.end() ? "" : AsRead(value->second));
    }
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

bool SettingsFile::WriteValue(const char* section, const char* key, const char* value) {
    // A line break in a section or key name cannot be stored at all.
    if (HasLineBreak(section) || HasLineBreak(key))
        return false;
    if (value && !CanStoreValue(value))
        return false;
    if (path_.empty()) {
        if (value)
            memory_[section][key] = ValueAsStored(value);
        else if (memory_.count(section))
            memory_[section].erase(key);
        return true;
    }
    const std::string stored = value ? ValueAsStored(value) : std::string();
    return WritePrivateProfileStringA(section, key, value ? stored.c_str() : nullptr, path_.c_str()) != FALSE;
}
