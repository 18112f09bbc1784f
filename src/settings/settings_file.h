// The plug-in's INI file, VelmoroMailSearch.ini. Every value is read by one
// parser of the plug-in's own (profile_text.h), the one saves use, so no two
// readers can disagree: the platform's reader is not asked. The values a run
// needs each time are kept at hand: read with the whole file in one pass
// when it has changed (another process's save, a hand edit), and taken from
// each save's own text. A save writes the whole new file beside the old one
// and swaps it in: at every moment the file is the complete old one or the
// complete new one, whenever the process dies. Where the folder takes no new
// file, the file is written in place, as the platform's writer does. Saves
// by processes that share the file take turns, each reading the file afresh,
// so none undoes another's change.
#pragma once

#include "query/packed_pairs.h"
#include "settings/profile_text.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
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

// The copy a save writes before it swaps it in: beside the file, under a
// name no longer than the file's own ("VelmoroMailSearch.new" for
// "VelmoroMailSearch.ini"), so that a file whose path is as long as the
// system allows is saved like any other.
std::string TemporaryPath(const std::string& path);

// Why a save left the file as it was.
enum class SaveFailure {
    None,
    CannotHold,   // a name with a line break, or a value too long to come back whole
    ReadOnly,     // the file is read-only
    AccessDenied, // the folder, or the file, may not be written
    InUse,        // another program holds the file
    Busy,         // another process's save did not end in time
    DiskFull,
    PathTooLong,
    FolderMissing,
    OutOfMemory,
    Other, // any other error of the system's, in `error`
};

struct SaveResult {
    SaveFailure failure = SaveFailure::None;
    unsigned long error = 0; // the system's error code, where it gave one
    // For a save whose change asks first: what its key held before, as
    // ReadValue gives it (nothing: absent), and whether that value was kept
    // rather than replaced by another.
    std::optional<std::string> previous;
    bool keptPrevious = false;
    explicit operator bool() const { return failure == SaveFailure::None; }
};

// What the system tells of a file without opening it: while it is the same,
// so is the file's text.
struct FileStamp {
    bool exists = false;
    unsigned long sizeHigh = 0;
    unsigned long sizeLow = 0;
    unsigned long writtenHigh = 0; // the last-write time
    unsigned long writtenLow = 0;
    bool operator==(const FileStamp& other) const {
        return exists == other.exists && sizeHigh == other.sizeHigh && sizeLow == other.sizeLow &&
               writtenHigh == other.writtenHigh && writtenLow == other.writtenLow;
    }
};

// Keys (first) and their values (second), in one block.
using KeyValueList = PackedPairs;

// Changes worked out, during a save and under its lock, from the values at
// hand as the file holds them at that moment: a change to a list that other
// processes change too (the history) is made to the list as they left it.
using ChangesFromFile = std::function<std::vector<ProfileChange>(const std::vector<std::string>& atHandInFile)>;

class SettingsFile {
public:
    // The file at `path`, a full path. With no path (null or empty) the
    // settings are kept in memory only, for as long as the object lives:
    // a relative path would land in the Windows folder.
    explicit SettingsFile(const char* path);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    // The value of the key as the reader reads it, or an empty string when
    // it (or its section, or the file) is absent or the file cannot be read.
    // Nothing only when memory runs out.
    std::optional<std::string> ReadValue(const char* section, const char* key);

    // The keys of the section that have a value, in the file's order, each
    // once, as the reader reads them. Memory running out throws.
    std::vector<std::string> KeysWithValues(const char* section);
    // The same keys with their values as ReadValue gives them.
    std::vector<std::pair<std::string, std::string>> ValuesOf(const char* section);
    // The same, one after another in one text (thousands of favourites in
    // a few blocks of memory). Kept while the file is as this process last
    // listed or saved it, so a later run lists them without reading; shared,
    // not copied, and never changed once listed: a later listing is a new
    // one. Memory running out throws.
    std::shared_ptr<const KeyValueList> ListOf(const char* section);

    // The keys whose values are kept at hand, from now on; read at the next
    // Refresh.
    void KeepAtHand(std::vector<ProfileKey> keys);

    // Reads the values at hand afresh, in one read of the file, when it has
    // changed since it was last read or saved here (its size and last-write
    // time tell); whether it was read. A file held open by another program
    // keeps the values it had until a later refresh. Memory running out
    // throws, and leaves the values as they were.
    bool Refresh();

    // The value of the key at `place` in the list kept at hand, exactly as
    // ReadValue would give it: empty when absent.
    const std::string& AtHand(std::size_t place) const { return atHand_[place]; }
    // All of them, in the order kept.
    const std::vector<std::string>& ValuesAtHand() const { return atHand_; }

    // What the tests see and steer: how often the file was read whole, and
    // the hook that interrupts a save.
    struct TestSeam {
        std::size_t fileReads = 0;
        SaveStepHook hook = nullptr;
    };
    std::size_t FileReads() const { return seam_.fileReads; }
    void SetSaveStepHook(SaveStepHook hook) { seam_.hook = hook; }

    // Makes every change in one save, or none of them: each value is stored
    // so that ReadValue gives it back unchanged (line breaks become spaces);
    // no value deletes the key. The file keeps its encoding (ANSI, UTF-8 or
    // UTF-16 with a mark). A failure says why nothing was written; the file
    // then keeps what it held. The change at `asking`, if any, asks first:
    // it tells what its key held, and never replaces a value that is not
    // empty with another (that is for the user to agree to). The changes
    // `fromFile` gives are made after these, in the same save.
    SaveResult Save(const std::vector<ProfileChange>& changes, std::optional<std::size_t> asking = std::nullopt,
                    const ChangesFromFile& fromFile = nullptr);

    // One change, saved on its own.
    SaveResult WriteValue(const char* section, const char* key, const char* value);

    // Empty when the settings are in memory only.
    const std::string& Path() const { return path_; }


private:
    SaveResult SaveInTurn(std::vector<ProfileChange> changes, std::optional<std::size_t> asking,
                          const ChangesFromFile& fromFile);
    SaveResult SaveInMemory(std::vector<ProfileChange> changes, std::optional<std::size_t> asking,
                            const ChangesFromFile& fromFile);
    void TakeValuesAtHandFromMemory();

    std::string path_;
    void* lock_ = nullptr; // made at the first save
    std::map<std::string, std::map<std::string, std::string>> memory_; // without a path
    std::vector<ProfileKey> atHandKeys_;
    std::vector<std::string> atHand_;
    std::optional<FileStamp> atHandFrom_; // the file the values at hand were taken from; none yet
    // The section last listed, and the file it was listed from.
    std::string listedSection_;
    std::optional<FileStamp> listedFrom_;
    std::shared_ptr<const KeyValueList> listed_;
    TestSeam seam_;
};
