// The plug-in's INI file, VelmoroMailSearch.ini. Every read and write goes
// straight to the file through the private-profile functions: nothing is
// cached, so other processes' writes are seen at once.
#pragma once

#include "settings/stored_value.h"

#include <map>
#include <string>

class SettingsFile {
public:
    // The file at `path`, a full path. With no path (null or empty) the
    // settings are kept in memory only, for as long as the object lives:
    // a relative path would land in the Windows folder.
    explicit SettingsFile(const char* path);
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // The value of the key, or an empty string when it (or its section, or
    // the file) is absent: a heap block the caller releases with free().
    // Null only when memory runs out.
    char* ReadValue(const char* section, const char* key) const;

    // Stores the value so that ReadValue gives it back unchanged, line breaks
    // excepted (they become spaces); a null value deletes the key. False when
    // nothing was written: the file could not be written, or the value is too
    // long to come back whole, or a section or key name has a line break. The
    // file then keeps what it held.
    bool WriteValue(const char* section, const char* key, const char* value);

    // Empty when the settings are in memory only.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::map<std::string, std::map<std::string, std::string>> memory_; // without a path
};
