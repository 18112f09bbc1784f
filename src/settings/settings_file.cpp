#include "settings/settings_file.h"

#include "settings/file_access.h"
#include "settings/file_encoding.h"
#include "settings/stored_value.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <new>

namespace {

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// What the reader makes of a stored value: one pair of enclosing double
// quotes goes.
std::string AsRead(const std::string& stored) {
    if (stored.size() >= 2 && stored.front() == '"' && stored.back() == '"')
        return stored.substr(1, stored.size() - 2);
    return stored;
}

// Whether a change is made to a section of that name (ASCII letters in
// either case: the sections this process writes are named so).
bool Touches(const std::vector<ProfileChange>& changes, const std::string& section) {
    return std::any_of(changes.begin(), changes.end(), [&](const ProfileChange& change) {
        return change.section.size() == section.size() &&
               std::equal(change.section.begin(), change.section.end(), section.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    });
}

} // namespace

SettingsFile::SettingsFile(const char* path) : path_(path ? path : "") {}

SettingsFile::~SettingsFile() {
    if (lock_)
        CloseHandle(lock_);
}

std::optional<std::string> SettingsFile::ReadValue(const char* section, const char* key) {
    try {
        if (path_.empty()) {
            const auto inSection = memory_.find(section);
            if (inSection == memory_.end())
                return std::string();
            const auto value = inSection->second.find(key);
            return value == inSection->second.end() ? std::string() : AsRead(value->second);
        }
        // The same parser as the values at hand, the lists and the saves:
        // one reader, which cannot disagree with itself.
        CurrentFile current;
        if (const SaveResult opened = current.Open(path_); !opened)
            return opened.failure == SaveFailure::OutOfMemory ? std::nullopt : std::optional<std::string>("");
        ++seam_.fileReads;
        const ProfileEncoding encoding = DetectProfileEncoding(current.Text());
        const std::vector<std::string> values = ValuesAsRead(
            EditProfile(current.Text(), encoding, {}, SameNameToTheReader, InFileEncoding({{section, key}}, encoding))
                .wantedValues,
            encoding);
        return values.front();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::vector<std::pair<std::string, std::string>> SettingsFile::ValuesOf(const char* section) {
    const std::shared_ptr<const KeyValueList> list = ListOf(section);
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(list->Count());
    for (std::size_t i = 0; i < list->Count(); ++i)
        values.emplace_back(list->First(i), list->Second(i));
    return values;
}

std::shared_ptr<const KeyValueList> SettingsFile::ListOf(const char* section) {
    if (path_.empty()) {
        auto listed = std::make_shared<KeyValueList>();
        const auto inSection = memory_.find(section);
        if (inSection != memory_.end()) {
            for (const auto& [key, stored] : inSection->second) {
                if (const std::string value = AsRead(stored); !value.empty())
                    listed->Add(key, value);
            }
        }
        return listed;
    }
    const std::optional<FileStamp> now = StampOf(path_);
    if (now && listedFrom_ && *now == *listedFrom_ && listedSection_ == section)
        return listed_;
    listedFrom_.reset();
    listed_.reset();
    auto listed = std::make_shared<KeyValueList>();
    // Read here, as a save reads the file: the platform's reader takes a
    // fifth of a second for a section of 100,000 favourites.
    CurrentFile current;
    if (const SaveResult opened = current.Open(path_); !opened) {
        if (opened.failure == SaveFailure::OutOfMemory)
            throw std::bad_alloc();
        return listed;
    }
    ++seam_.fileReads;
    const ProfileEncoding encoding = DetectProfileEncoding(current.Text());
    const std::vector<ProfileLine> lines =
        ListProfileSection(current.Text(), encoding, InFileEncoding(section, encoding), SameNameToTheReader);
    std::vector<std::string_view> texts;
    texts.reserve(2 * lines.size());
    for (const ProfileLine& line : lines)
        texts.push_back(line.name);
    for (const ProfileLine& line : lines)
        texts.push_back(line.value);
    std::deque<std::string> storage;
    const std::vector<std::string_view> read = AllAsAnsi(texts, encoding, storage);
    const std::vector<std::string_view> names(read.begin(), read.begin() + static_cast<std::ptrdiff_t>(lines.size()));
    // The reader reads a name's first line: a name that comes again is
    // another spelling of one before it, alike once read.
    std::vector<std::size_t> kept = FirstOfEachName(names);
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&](std::size_t i) { return names[i].empty() || read[lines.size() + i].empty(); }),
               kept.end());
    std::size_t bytes = 0;
    for (const std::size_t i : kept)
        bytes += names[i].size() + read[lines.size() + i].size();
    listed->text.reserve(bytes);
    listed->starts.reserve(2 * kept.size() + 1);
    for (const std::size_t i : kept)
        listed->Add(names[i], read[lines.size() + i]);
    listed_ = listed;
    listedSection_ = section;
    listedFrom_ = current.Stamp();
    return listed;
}

std::vector<std::string> SettingsFile::KeysWithValues(const char* section) {
    std::vector<std::string> keys;
    for (auto& [key, value] : ValuesOf(section))
        keys.push_back(std::move(key));
    return keys;
}

void SettingsFile::KeepAtHand(std::vector<ProfileKey> keys) {
    atHand_.assign(keys.size(), std::string());
    atHandKeys_ = std::move(keys);
    atHandFrom_.reset();
    if (path_.empty())
        TakeValuesAtHandFromMemory();
}

void SettingsFile::TakeValuesAtHandFromMemory() {
    std::vector<std::string> values;
    for (const ProfileKey& key : atHandKeys_) {
        const auto inSection = memory_.find(key.section);
        const auto value = inSection == memory_.end() ? std::map<std::string, std::string>::const_iterator()
                                                      : inSection->second.find(key.key);
        values.push_back(inSection != memory_.end() && value != inSection->second.end() ? AsRead(value->second)
                                                                                         : std::string());
    }
    atHand_.swap(values);
}

bool SettingsFile::Refresh() {
    if (path_.empty())
        return false;
    const std::optional<FileStamp> now = StampOf(path_);
    if (now && atHandFrom_ && *now == *atHandFrom_)
        return false;
    CurrentFile current;
    if (!current.Open(path_))
        return false;
    ++seam_.fileReads;
    const std::string_view text = current.Text();
    const ProfileEncoding encoding = DetectProfileEncoding(text);
    std::vector<std::string> values = ValuesAsRead(
        EditProfile(text, encoding, {}, SameNameToTheReader, InFileEncoding(atHandKeys_, encoding)).wantedValues,
        encoding);
    atHand_.swap(values);
    atHandFrom_ = current.Exists() ? current.Stamp() : FileStamp();
    return true;
}

SaveResult SettingsFile::WriteValue(const char* section, const char* key, const char* value) {
    return Save({{section, key, value ? std::optional<std::string>(value) : std::nullopt}});
}

namespace {

// The changes as they are to stand (see ValueAsStored); none when one of
// them cannot be stored at all.
std::optional<std::vector<ProfileChange>> AsStored(std::vector<ProfileChange> changes) {
    for (ProfileChange& change : changes) {
        // A line break in a section or key name cannot be stored at all.
        if (HasLineBreak(change.section) || HasLineBreak(change.key) ||
            (change.value && !CanStoreValue(*change.value)))
            return std::nullopt;
        if (change.value)
            change.value = ValueAsStored(change.value->c_str());
    }
    return changes;
}

} // namespace

SaveResult SettingsFile::SaveInMemory(std::vector<ProfileChange> changes, std::optional<std::size_t> asking,
                                      const ChangesFromFile& fromFile) {
    if (fromFile) {
        std::optional<std::vector<ProfileChange>> more = AsStored(fromFile(atHand_));
        if (!more)
            return Failed(SaveFailure::CannotHold);
        changes.insert(changes.end(), more->begin(), more->end());
    }
    SaveResult saved;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const ProfileChange& change = changes[i];
        std::map<std::string, std::string>& section = memory_[change.section];
        const auto held = section.find(change.key);
        if (asking && i == *asking) {
            saved.previous = held == section.end() ? std::nullopt : std::optional<std::string>(AsRead(held->second));
            if (change.value && saved.previous && !saved.previous->empty() && *saved.previous != AsRead(*change.value)) {
                saved.keptPrevious = true;
                continue;
            }
        }
        if (change.value)
            section[change.key] = *change.value;
        else if (held != section.end())
            section.erase(held);
    }
    TakeValuesAtHandFromMemory();
    return saved;
}

SaveResult SettingsFile::Save(const std::vector<ProfileChange>& changes, std::optional<std::size_t> asking,
                              const ChangesFromFile& fromFile) {
    try {
        std::optional<std::vector<ProfileChange>> stored = AsStored(changes);
        if (!stored)
            return Failed(SaveFailure::CannotHold);
        if (path_.empty())
            return SaveInMemory(std::move(*stored), asking, fromFile);
        if (!lock_)
            lock_ = CreateMutexA(nullptr, FALSE, SaveLockName(path_).c_str());
        if (!lock_)
            return FailedNow();
        // A process that died during its save leaves the lock abandoned, and
        // the file whole: the save goes on.
        const DWORD turn = WaitForSingleObject(lock_, kSaveTurnWaitMs);
        if (turn != WAIT_OBJECT_0 && turn != WAIT_ABANDONED)
            return Failed(SaveFailure::Busy);
        SaveResult saved = Failed(SaveFailure::OutOfMemory);
        try {
            saved = SaveInTurn(std::move(*stored), asking, fromFile);
        } catch (...) {
            // Whatever went wrong, the turn is given back.
        }
        ReleaseMutex(lock_);
        return saved;
    } catch (const std::bad_alloc&) {
        return Failed(SaveFailure::OutOfMemory);
    }
}

// The file is read afresh, changed, written whole to a copy beside it,
// flushed, and swapped in. A copy left by a process that died during its
// save is written over, never read. Where no copy can be made, the file is
// written in place.
SaveResult SettingsFile::SaveInTurn(std::vector<ProfileChange> changes, std::optional<std::size_t> asking,
                                    const ChangesFromFile& fromFile) {
    if (const DWORD error = seam_.hook ? static_cast<DWORD>(seam_.hook(SaveStep::Locked)) : 0)
        return FailedWith(error);
    CurrentFile current;
    if (const SaveResult opened = current.Open(path_); !opened)
        return opened;
    ++seam_.fileReads;
    const ProfileEncoding encoding = DetectProfileEncoding(current.Text());
    if (fromFile) {
        // What the file holds now: the values at hand, unless another
        // process has saved since they were taken.
        const FileStamp now = current.Exists() ? current.Stamp() : FileStamp();
        const bool atHandCurrent = atHandFrom_ && *atHandFrom_ == now;
        std::optional<std::vector<ProfileChange>> more = AsStored(fromFile(
            atHandCurrent ? atHand_
                          : ValuesAsRead(EditProfile(current.Text(), encoding, {}, SameNameToTheReader,
                                                     InFileEncoding(atHandKeys_, encoding))
                                             .wantedValues,
                                         encoding)));
        if (!more)
            return Failed(SaveFailure::CannotHold);
        changes.insert(changes.end(), more->begin(), more->end());
    }
    // The changes as they are to stand in the file: in its encoding.
    std::vector<ProfileChange> encoded = changes;
    for (ProfileChange& change : encoded) {
        change.section = InFileEncoding(change.section, encoding);
        change.key = InFileEncoding(change.key, encoding);
        if (change.value)
            change.value = InFileEncoding(*change.value, encoding);
    }
    const ProfileEdit edit = EditProfile(current.Text(), encoding, encoded, SameNameToTheReader,
                                         InFileEncoding(atHandKeys_, encoding), asking);
    // What the file will hold is known now: taken at once once it does.
    std::vector<std::string> valuesAtHand = ValuesAsRead(edit.wantedValues, encoding);
    SaveResult done;
    if (edit.previous)
        done.previous = AsAnsi(*edit.previous, encoding);
    done.keptPrevious = edit.keptPrevious;
    if (!edit.changed) {
        // The file holds it already.
        atHand_.swap(valuesAtHand);
        atHandFrom_ = current.Exists() ? current.Stamp() : FileStamp();
        return done;
    }
    if (current.Exists() && (current.Attributes() & FILE_ATTRIBUTE_READONLY))
        return Failed(SaveFailure::ReadOnly);
    if (const SaveResult written = WriteWhole(path_, edit.pieces, current.Exists() ? current.Attributes() : 0, seam_.hook);
        !written)
        return written;
    // Still in the turn: no other save has come between.
    atHand_.swap(valuesAtHand);
    atHandFrom_ = StampOf(path_);
    if (listedFrom_ && *listedFrom_ == current.Stamp() && !Touches(changes, listedSection_))
        listedFrom_ = atHandFrom_; // this save left the listed section as it was
    else
        listedFrom_.reset();
    if (seam_.hook)
        seam_.hook(SaveStep::Swapped);
    return done;
}
