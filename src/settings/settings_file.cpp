#include "settings/settings_file.h"

#include "query/shift_jis.h"
#include "settings/stored_value.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <new>

namespace {

const DWORD kFirstReadBufferSize = 256;
const char kTemporarySuffix[] = ".saving";

// A reader that has the file open for a moment (another process loading its
// settings) keeps it from being replaced: the swap is tried again meanwhile.
const int kSwapAttempts = 10;
const DWORD kSwapRetryMs = 50;

// The attributes a new copy takes over from the file it replaces.
const DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

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

struct FileHandle {
    HANDLE handle;
    explicit FileHandle(HANDLE opened) : handle(opened) {}
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
};

// The file as it is now, mapped for reading rather than copied: a long-used
// file of favourites runs to megabytes.
class CurrentFile {
public:
    CurrentFile() = default;
    ~CurrentFile() { Close(); }
    CurrentFile(const CurrentFile&) = delete;
    CurrentFile& operator=(const CurrentFile&) = delete;

    // False when the file cannot be read: held open by another program, or
    // too large. An absent file (or folder) reads as an empty text.
    bool Open(const std::string& path) {
        file_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        BY_HANDLE_FILE_INFORMATION information;
        if (!GetFileInformationByHandle(file_, &information) || information.nFileSizeHigh != 0 ||
            information.nFileSizeLow > static_cast<DWORD>(INT32_MAX))
            return false;
        attributes_ = information.dwFileAttributes;
        size_ = information.nFileSizeLow;
        if (size_ == 0)
            return true; // nothing to map
        mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
        view_ = mapping_ ? static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0)) : nullptr;
        return view_ != nullptr;
    }

    // A mapped file cannot be replaced: closed before the swap.
    void Close() {
        if (view_)
            UnmapViewOfFile(view_);
        if (mapping_)
            CloseHandle(mapping_);
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        view_ = nullptr;
        mapping_ = nullptr;
        file_ = INVALID_HANDLE_VALUE;
    }

    bool Exists() const { return attributes_ != INVALID_FILE_ATTRIBUTES; }
    DWORD Attributes() const { return attributes_; }
    std::string_view Text() const { return view_ ? std::string_view(view_, size_) : std::string_view(); }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    const char* view_ = nullptr;
    std::size_t size_ = 0;
    DWORD attributes_ = INVALID_FILE_ATTRIBUTES;
};

bool WriteBytes(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    for (std::size_t at = 0; at < bytes.size(); at += written) {
        if (!WriteFile(file, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0)
            return false;
    }
    return true;
}

// The pieces in order: small ones gathered, so that a section's lines go in
// one write; large ones straight from where they are.
bool WritePieces(HANDLE file, const std::vector<std::string_view>& pieces) {
    const std::size_t kGathered = 64 * 1024;
    std::string gathered;
    gathered.reserve(kGathered);
    for (const std::string_view piece : pieces) {
        if (gathered.size() + piece.size() > kGathered) {
            if (!WriteBytes(file, gathered))
                return false;
            gathered.clear();
        }
        if (piece.size() >= kGathered) {
            if (!WriteBytes(file, piece))
                return false;
        } else {
            gathered += piece;
        }
    }
    return WriteBytes(file, gathered);
}

// The flushed copy takes the file's place in one step.
bool SwapIn(const std::string& copy, const std::string& path) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if (attempt == kSwapAttempts || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
            return false;
        Sleep(kSwapRetryMs);
    }
}

} // namespace

std::string SaveLockName(const std::string& path) {
    // The same file by any spelling of its letters: a hash of the path with
    // ASCII letters in lower case (never the second byte of a character).
    uint64_t hash = 14695981039346656037ull;
    for (std::size_t i = 0; i < path.size(); ++i) {
        char byte = path[i];
        if (ShiftJisCharLength(path.data(), i, path.size()) == 2) {
            hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
            byte = path[++i];
        } else if (byte >= 'A' && byte <= 'Z') {
            byte = static_cast<char>(byte - 'A' + 'a');
        }
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\VelmoroMailSearch.ini-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

std::string TemporaryPath(const std::string& path) {
    return path + kTemporarySuffix;
}

SettingsFile::SettingsFile(const char* path) : path_(path ? path : "") {}

SettingsFile::~SettingsFile() {
    if (lock_)
        CloseHandle(lock_);
}

std::optional<std::string> SettingsFile::ReadValue(const char* section, const char* key) const {
    try {
        if (path_.empty()) {
            const auto inSection = memory_.find(section);
            if (inSection == memory_.end())
                return std::string();
            const auto value = inSection->second.find(key);
            return value == inSection->second.end() ? std::string() : AsRead(value->second);
        }
        std::vector<char> buffer(kFirstReadBufferSize);
        for (;;) {
            const DWORD size = static_cast<DWORD>(buffer.size());
            const DWORD copied = GetPrivateProfileStringA(section, key, nullptr, buffer.data(), size, path_.c_str());
            if (copied < size - 2)
                return std::string(buffer.data(), copied);
            // Possibly cut: try again with twice the room.
            if (size > MAXDWORD / 2)
                return std::nullopt;
            buffer.assign(2 * static_cast<std::size_t>(size), '\0');
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::vector<std::string> SettingsFile::KeysWithValues(const char* section) const {
    std::vector<std::string> keys;
    if (path_.empty()) {
        const auto inSection = memory_.find(section);
        if (inSection != memory_.end()) {
            for (const auto& key : inSection->second)
                keys.push_back(key.first);
        }
        return keys;
    }
    CurrentFile current;
    if (current.Open(path_))
        keys = ProfileKeysWithValues(current.Text(), section);
    return keys;
}

bool SettingsFile::WriteValue(const char* section, const char* key, const char* value) {
    return Save({{section, key, value ? std::optional<std::string>(value) : std::nullopt}});
}

bool SettingsFile::Save(const std::vector<ProfileChange>& changes) {
    for (const ProfileChange& change : changes) {
        // A line break in a section or key name cannot be stored at all.
        if (HasLineBreak(change.section) || HasLineBreak(change.key))
            return false;
        if (change.value && !CanStoreValue(*change.value))
            return false;
    }
    try {
        std::vector<ProfileChange> stored = changes;
        for (ProfileChange& change : stored) {
            if (change.value)
                change.value = ValueAsStored(change.value->c_str());
        }
        if (path_.empty()) {
            for (const ProfileChange& change : stored) {
                if (change.value)
                    memory_[change.section][change.key] = *change.value;
                else if (memory_.count(change.section))
                    memory_[change.section].erase(change.key);
            }
            return true;
        }
        if (!lock_)
            lock_ = CreateMutexA(nullptr, FALSE, SaveLockName(path_).c_str());
        if (!lock_)
            return false;
        // A process that died during its save leaves the lock abandoned, and
        // the file whole: the save goes on.
        const DWORD turn = WaitForSingleObject(lock_, kSaveTurnWaitMs);
        if (turn != WAIT_OBJECT_0 && turn != WAIT_ABANDONED)
            return false;
        bool saved = false;
        try {
            saved = SaveInTurn(stored);
        } catch (...) {
            // Whatever went wrong, the turn is given back.
        }
        ReleaseMutex(lock_);
        return saved;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The file is read afresh, changed, written whole to a copy beside it,
// flushed, and swapped in. A copy left by a process that died during its
// save is written over, never read.
bool SettingsFile::SaveInTurn(const std::vector<ProfileChange>& changes) {
    auto failsAt = [this](SaveStep step) { return hook_ && hook_(step) != 0; };
    if (failsAt(SaveStep::Locked))
        return false;
    CurrentFile current;
    if (!current.Open(path_))
        return false;
    const ProfileEdit edit = EditProfile(current.Text(), changes);
    if (!edit.changed)
        return true; // the file holds it already
    if (current.Exists() && (current.Attributes() & FILE_ATTRIBUTE_READONLY))
        return false;
    const std::string copy = TemporaryPath(path_);
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(copy.c_str());
    const DWORD kept = current.Exists() ? current.Attributes() & kKeptAttributes : 0;
    bool saved = false;
    {
        const FileHandle file(CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.handle == INVALID_HANDLE_VALUE)
            return false;
        saved = !failsAt(SaveStep::TemporaryCreated) && WritePieces(file.handle, edit.pieces) &&
                !failsAt(SaveStep::TemporaryWritten) && FlushFileBuffers(file.handle) &&
                !failsAt(SaveStep::TemporaryFlushed);
    }
    current.Close();
    saved = saved && SwapIn(copy, path_);
    if (!saved) {
        DeleteFileA(copy.c_str());
        return false;
    }
    failsAt(SaveStep::Swapped);
    return true;
}
