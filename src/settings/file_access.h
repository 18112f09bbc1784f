// The settings file on disk: read whole, and written whole by a save in its
// turn: a copy beside the file, flushed and swapped in, so that at every
// moment the file is the complete old one or the complete new one; where no
// copy can be made beside it, the file itself, as the platform's writer
// does.
#pragma once

#include "settings/settings_file.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

SaveResult Failed(SaveFailure failure, DWORD error = 0);
// What the system's error code says of why a save could not be made.
SaveResult FailedWith(DWORD error);
// The thread's last error, or `otherwise` where it holds none.
DWORD LastErrorOr(DWORD otherwise);
// What the thread's last error says.
SaveResult FailedNow();

// The file's stamp, without opening it; nothing when the system cannot tell.
std::optional<FileStamp> StampOf(const std::string& path);

// The file as it is now, read whole with ReadFile in one go and closed at
// once: the fewer calls to the system, the sooner a save is done. Never
// mapped: a read error in a mapped view (a network or removable drive) is an
// access fault that nothing here could catch, where ReadFile just fails.
class CurrentFile {
public:
    CurrentFile() = default;
    ~CurrentFile() { Close(); }
    CurrentFile(const CurrentFile&) = delete;
    CurrentFile& operator=(const CurrentFile&) = delete;

    // Why the file cannot be read (held open by another program, too
    // large, a read that failed), if it cannot. An absent file reads as an
    // empty text; an absent folder too, for reading. Memory running out
    // throws.
    SaveResult Open(const std::string& path) {
        file_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? SaveResult() : FailedWith(error);
        }
        // The stamp from the handle: of the very text read. The attributes
        // by name: asking the handle for them looks at the volume too,
        // which costs Wine up to a millisecond at every read.
        LARGE_INTEGER size;
        FILETIME written;
        if (!GetFileSizeEx(file_, &size) || !GetFileTime(file_, nullptr, nullptr, &written))
            return FailedNow();
        if (size.HighPart != 0 || size.LowPart > kLargest)
            return FailedWith(ERROR_FILE_TOO_LARGE);
        attributes_ = GetFileAttributesA(path.c_str());
        if (attributes_ == INVALID_FILE_ATTRIBUTES) {
            // Renamed or deleted since it was opened: the handle knows.
            BY_HANDLE_FILE_INFORMATION information;
            if (!GetFileInformationByHandle(file_, &information))
                return FailedNow();
            attributes_ = information.dwFileAttributes;
        }
        stamp_ = {true, 0, size.LowPart, written.dwHighDateTime, written.dwLowDateTime};
        const SaveResult read = ReadWhole(size.LowPart);
        Close(); // read: no longer needed
        return read;
    }

    void Close() {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

    bool Exists() const { return attributes_ != INVALID_FILE_ATTRIBUTES; }
    // The file read, as StampOf tells it.
    const FileStamp& Stamp() const { return stamp_; }
    DWORD Attributes() const { return attributes_; }
    std::string_view Text() const { return text_; }

private:
    static const DWORD kLargest = static_cast<DWORD>(INT32_MAX);

    // The length is what was read: a file that grew or shrank since its
    // size was asked is read as it is.
    SaveResult ReadWhole(DWORD size) {
        text_.resize(static_cast<std::size_t>(size) + 1);
        std::size_t at = 0;
        for (;;) {
            if (at == text_.size()) {
                if (text_.size() > kLargest / 2)
                    return FailedWith(ERROR_FILE_TOO_LARGE);
                text_.resize(2 * text_.size());
            }
            DWORD read = 0;
            if (!ReadFile(file_, &text_[at], static_cast<DWORD>(text_.size() - at), &read, nullptr))
                return FailedWith(LastErrorOr(ERROR_READ_FAULT));
            if (read == 0)
                break;
            at += read;
        }
        text_.resize(at);
        return {};
    }

    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string text_;
    DWORD attributes_ = INVALID_FILE_ATTRIBUTES;
    FileStamp stamp_;
};

// Writes the file's new text, its pieces in order, in place of the file at
// `path` (whose attributes the copy takes over: 0 for none), failing at a
// step where the test hook says so. Whatever fails, the file keeps what it
// held.
SaveResult WriteWhole(const std::string& path, const std::vector<std::string_view>& pieces, DWORD attributes,
                      SaveStepHook hook);
