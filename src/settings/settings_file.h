// The plug-in's INI file, VelmoroMailSearch.ini. Reads go to the file
// through the private-profile functions, so other processes' saves are seen
// at once. A save writes the whole new file beside the old one and swaps it
// in: at every moment the file is the complete old one or the complete new
// one, whenever the process dies. Saves by processes that share the file
// take turns, each reading the file afresh, so none undoes another's change.
#pragma once

#include "settings/profile_text.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// The steps of a save, in order, for tests that interrupt one or make one
// fail: the hook is called after each, and a non-zero result (a Win32 error
// code) fails the save there. The file is swapped only after the temporary
// copy is flushed; Swapped comes after the swap, and its result is ignored.
enum class SaveStep { Locked, TemporaryCreated, TemporaryWritten, TemporaryFlushed, Swapped };
using SaveStepHook = unsigned long (*)(SaveStep step);

// How long a save waits for another process's save to end before it counts
// as failed: the mail client must not hang on it.
constexpr unsigned long kSaveTurnWaitMs = 2000;

// The name of the lock that saves to the file at `path` take turns with.
std::string SaveLockName(const std::string& path);

// The copy a save writes before it swaps it in.
std::string TemporaryPath(const std::string& path);

class SettingsFile {
public:
    // The file at `path`, a full path. With no path (null or empty) the
    // settings are kept in memory only, for as long as the object lives:
    // a relative path would land in the Windows folder.
    explicit SettingsFile(const char* path);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // The value of the key, or an empty string when it (or its section, or
    // the file) is absent. Nothing only when memory runs out.
    std::optional<std::string> ReadValue(const char* section, const char* key) const;

    // The keys of the section that have a value, in the file's order.
    std::vector<std::string> KeysWithValues(const char* section) const;

    // Makes every change in one save, or none of them: each value is stored
    // so that ReadValue gives it back unchanged (line breaks become spaces);
    // no value deletes the key. False when nothing was written: the file
    // could not be read or written, or is read-only, or another process's
    // save did not end in time, or a value is too long to come back whole,
    // or a section or key name has a line break. The file then keeps what it
    // held.
    bool Save(const std::vector<ProfileChange>& changes);

    // One change, saved on its own.
    bool WriteValue(const char* section, const char* key, const char* value);

    // Empty when the settings are in memory only.
    const std::string& Path() const { return path_; }

    void SetSaveStepHook(SaveStepHook hook) { hook_ = hook; }

private:
    bool SaveInTurn(const std::vector<ProfileChange>& changes);

    std::string path_;
    void* lock_ = nullptr; // made at the first save
    SaveStepHook hook_ = nullptr;
    std::map<std::string, std::map<std::string, std::string>> memory_; // without a path
};
