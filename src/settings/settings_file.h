// The plug-in's INI file, VelmoroMailSearch.ini. Every read and write goes
// straight to the file through the private-profile functions: nothing is
// cached, so other processes' writes are seen at once.
#pragma once

#include <string>

// The longest value, as stored in the file (quotes included), that we hand to
// the profile functions. From 32767 bytes on they fail or store the length
// cut to 16 bits, so the value would come back as a fraction of itself, or
// empty. A longer value is not written at all.
constexpr std::size_t kMaxStoredValueLength = 32000;

class SettingsFile {
public:
    explicit SettingsFile(const char* path);
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // The value of the key, or an empty string when it (or its section, or
    // the file) is absent: a heap block the caller releases with free().
    // Null only when memory runs out.
    char* ReadValue(const char* section, const char* key) const;

    // Stores the value so that ReadValue gives it back unchanged; a null value
    // deletes the key. Failures are not reported; a value too long to come
    // back whole, and a section or key name with a line break, are not
    // written, and the file keeps what it held.
    void WriteValue(const char* section, const char* key, const char* value) const;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// What WriteValue puts into the file for a value: quoted where the reader
// would otherwise strip something, with line breaks turned into spaces (a raw
// one would split the line and could plant keys or sections).
std::string ValueAsStored(const char* value);
