#include "settings/file_access.h"

#include "query/shift_jis.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char kSettingsExtension[] = ".ini";
const char kTemporaryExtension[] = ".new";

// A reader that has the file open for a moment (another process loading its
// settings) keeps it from being replaced: the swap is tried again meanwhile.
const int kSwapAttempts = 10;
const DWORD kSwapRetryMs = 50;

// The attributes a new copy takes over from the file it replaces.
const DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

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
SaveResult SwapIn(const std::string& copy, const std::string& path) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        const DWORD error = GetLastError();
        if (attempt == kSwapAttempts || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
            return FailedWith(error);
        Sleep(kSwapRetryMs);
    }
}

// Whether a copy cannot be made beside the file where the file itself may
// still be written: the folder takes no new files, or the copy's name is
// taken (by a folder, say).
bool NoRoomForCopy(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// The file written over in place, as the platform's own writer does: for a
// folder where the file may be changed but no file made.
SaveResult WriteInPlace(const std::string& path, const std::vector<std::string_view>& pieces) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE)
        return FailedNow();
    if (!WritePieces(file.handle, pieces) || !SetEndOfFile(file.handle) || !FlushFileBuffers(file.handle))
        return FailedWith(LastErrorOr(ERROR_WRITE_FAULT));
    return {};
}

} // namespace

SaveResult Failed(SaveFailure failure, DWORD error) {
    SaveResult failed;
    failed.failure = failure;
    failed.error = error;
    return failed;
}

// What the system's error code says of why a save could not be made.
SaveResult FailedWith(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return Failed(SaveFailure::AccessDenied, error);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return Failed(SaveFailure::InUse, error);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Failed(SaveFailure::DiskFull, error);
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return Failed(SaveFailure::PathTooLong, error);
    case ERROR_PATH_NOT_FOUND:
        return Failed(SaveFailure::FolderMissing, error);
    default:
        return Failed(SaveFailure::Other, error);
    }
}

DWORD LastErrorOr(DWORD otherwise) {
    const DWORD error = GetLastError();
    return error ? error : otherwise;
}

SaveResult FailedNow() {
    return FailedWith(LastErrorOr(ERROR_GEN_FAILURE));
}


std::optional<FileStamp> StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return FileStamp();
        return std::nullopt;
    }
    return FileStamp{true, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime.dwHighDateTime,
                     data.ftLastWriteTime.dwLowDateTime};
}

SaveResult WriteWhole(const std::string& path, const std::vector<std::string_view>& pieces, DWORD attributes,
                      SaveStepHook hook) {
    // The step's failure, if the test hook makes it fail there.
    const auto failsAt = [hook](SaveStep step) { return hook ? static_cast<DWORD>(hook(step)) : 0; };
    const std::string copy = TemporaryPath(path);
    const DWORD kept = attributes & kKeptAttributes;
    const auto createCopy = [&] {
        return CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, kept ? kept : FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    };
    SaveResult saved;
    {
        FileHandle file(createCopy());
        if (file.handle == INVALID_HANDLE_VALUE) {
            // A copy left read-only, or hidden, by a process that died in its
            // save: it goes, and the copy is made afresh.
            SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(copy.c_str());
            file.handle = createCopy();
        }
        if (file.handle == INVALID_HANDLE_VALUE) {
            const DWORD error = LastErrorOr(ERROR_GEN_FAILURE);
            // The pieces point into the text read, not into the file.
            return NoRoomForCopy(error) ? WriteInPlace(path, pieces) : FailedWith(error);
        }
        DWORD error = failsAt(SaveStep::TemporaryCreated);
        if (!error && !WritePieces(file.handle, pieces))
            error = LastErrorOr(ERROR_WRITE_FAULT);
        if (!error)
            error = failsAt(SaveStep::TemporaryWritten);
        if (!error && !FlushFileBuffers(file.handle))
            error = LastErrorOr(ERROR_WRITE_FAULT);
        if (!error)
            error = failsAt(SaveStep::TemporaryFlushed);
        if (error)
            saved = FailedWith(error);
    }
    if (saved)
        saved = SwapIn(copy, path);
    if (!saved)
        DeleteFileA(copy.c_str());
    return saved;
}

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
    const std::size_t extensionLength = std::strlen(kSettingsExtension);
    if (path.size() > extensionLength) {
        const std::size_t extensionAt = path.size() - extensionLength;
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str() + extensionAt, -1, kSettingsExtension, -1) ==
            CSTR_EQUAL)
            return path.substr(0, extensionAt) + kTemporaryExtension;
    }
    // Any other name: its last character replaced.
    std::string copy = path;
    if (!copy.empty())
        copy.back() = copy.back() == '~' ? '_' : '~';
    return copy;
}

