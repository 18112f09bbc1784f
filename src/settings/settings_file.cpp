#include "settings/settings_file.h"

#include "query/shift_jis.h"
#include "settings/stored_value.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <new>

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

SaveResult Failed(SaveFailure failure, DWORD error = 0) {
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

// In one call each way: no byte of the ANSI code page or of UTF-8 makes more
// than one UTF-16 unit, and no unit more than two ANSI bytes.
std::wstring Decoded(std::string_view text, UINT codePage) {
    if (text.empty())
        return std::wstring();
    std::wstring wide(text.size(), L'\0');
    const int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

std::string EncodedAnsi(const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    std::string ansi(2 * wide.size(), '\0');
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &ansi[0],
                                           static_cast<int>(ansi.size()), nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(std::max(length, 0)));
    return ansi;
}

// A text of ours (ANSI) as it stands in a file of the encoding.
std::string InFileEncoding(const std::string& text, ProfileEncoding encoding) {
    if (encoding == ProfileEncoding::Ansi)
        return text;
    const std::wstring wide = Decoded(text, CP_ACP);
    std::string encoded;
    if (encoding == ProfileEncoding::Utf8) {
        const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                               nullptr, nullptr);
        encoded.resize(static_cast<std::size_t>(std::max(length, 0)));
        if (length > 0)
            WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &encoded[0], length, nullptr,
                                nullptr);
        return encoded;
    }
    const bool littleEndian = encoding == ProfileEncoding::Utf16Le;
    for (const wchar_t unit : wide) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>((unit >> 8) & 0xFF);
        encoded += littleEndian ? low : high;
        encoded += littleEndian ? high : low;
    }
    return encoded;
}

// A text as it stands in a file of the encoding, as the reader hands it to
// an ANSI caller: through UTF-16 and back into the ANSI code page, so a
// character of one extension comes back as the reader's own choice, and one
// the code page lacks as "?".
std::string AsAnsi(std::string_view text, ProfileEncoding encoding) {
    std::wstring wide;
    switch (encoding) {
    case ProfileEncoding::Ansi:
        wide = Decoded(text, CP_ACP);
        break;
    case ProfileEncoding::Utf8:
        wide = Decoded(text, CP_UTF8);
        break;
    case ProfileEncoding::Utf16Le:
    case ProfileEncoding::Utf16Be:
        for (std::size_t at = 0; at + 1 < text.size(); at += 2) {
            const unsigned first = static_cast<unsigned char>(text[at]);
            const unsigned second = static_cast<unsigned char>(text[at + 1]);
            wide += static_cast<wchar_t>(encoding == ProfileEncoding::Utf16Le ? first | second << 8 : first << 8 | second);
        }
        break;
    }
    return EncodedAnsi(wide);
}

// Keys named as they stand in a file of the encoding.
std::vector<ProfileKey> InFileEncoding(const std::vector<ProfileKey>& keys, ProfileEncoding encoding) {
    std::vector<ProfileKey> encoded;
    encoded.reserve(keys.size());
    for (const ProfileKey& key : keys)
        encoded.push_back({InFileEncoding(key.section, encoding), InFileEncoding(key.key, encoding)});
    return encoded;
}

// Values found in a file of the encoding (none: absent), as the reader gives
// them to an ANSI caller.
std::vector<std::string> ValuesAsRead(const std::vector<std::optional<std::string>>& values, ProfileEncoding encoding) {
    std::vector<std::string> read;
    read.reserve(values.size());
    for (const std::optional<std::string>& value : values)
        read.push_back(value ? AsAnsi(*value, encoding) : std::string());
    return read;
}

bool IsAscii(std::string_view text);

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

// Texts found in a file of the encoding, as the reader gives them to an ANSI
// caller, as AsAnsi gives each: ASCII as it stands, the rest in one
// conversion there and back for all the texts that can share one (with a
// line end between them, each comes back as it would alone: its last
// character is whole and it holds no line break). A text that is not as it
// stands points into `storage`.
std::vector<std::string_view> AllAsAnsi(const std::vector<std::string_view>& texts, ProfileEncoding encoding,
                                        std::deque<std::string>& storage) {
    const bool utf16 = encoding == ProfileEncoding::Utf16Le || encoding == ProfileEncoding::Utf16Be;
    const std::string separator = !utf16 ? std::string("\n")
                                  : encoding == ProfileEncoding::Utf16Le ? std::string("\n\0", 2)
                                                                          : std::string("\0\n", 2);
    std::vector<std::string_view> read(texts.size());
    std::string joined;
    std::vector<std::size_t> inJoined;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string_view text = texts[i];
        if (!utf16 && IsAscii(text)) {
            read[i] = text;
            continue;
        }
        bool whole = utf16 ? text.size() % 2 == 0 : text.find_first_of("\r\n") == std::string_view::npos;
        if (whole && encoding == ProfileEncoding::Ansi) {
            std::size_t at = 0;
            while (at < text.size())
                at += IsShiftJisLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
            whole = at == text.size();
        }
        if (!whole) {
            storage.push_back(AsAnsi(text, encoding));
            read[i] = storage.back();
            continue;
        }
        joined.append(text.data(), text.size());
        joined += separator;
        inJoined.push_back(i);
    }
    if (inJoined.empty())
        return read;
    storage.push_back(AsAnsi(joined, encoding));
    const std::string_view all = storage.back();
    std::size_t at = 0;
    for (const std::size_t i : inJoined) {
        const std::size_t end = all.find('\n', at);
        if (end == std::string_view::npos)
            break;
        read[i] = all.substr(at, end - at);
        at = end + 1;
    }
    return read;
}

// The place of each text that is not another spelling of one before it
// (ASCII letters in either case: texts as the reader gives them), in order.
std::vector<std::size_t> FirstOfEachName(const std::vector<std::string_view>& names) {
    const auto lower = [](char byte) { return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte; };
    const auto same = [&](std::string_view a, std::string_view b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
    };
    std::size_t slots = 16;
    while (slots < 2 * names.size())
        slots *= 2;
    std::vector<std::uint32_t> table(slots, 0); // a name's place + 1; 0: free
    std::vector<std::size_t> first;
    first.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::uint64_t hash = 14695981039346656037ull;
        for (const char byte : names[i])
            hash = (hash ^ static_cast<unsigned char>(lower(byte))) * 1099511628211ull;
        std::size_t slot = static_cast<std::size_t>(hash) & (slots - 1);
        while (table[slot] && !same(names[table[slot] - 1], names[i]))
            slot = (slot + 1) & (slots - 1);
        if (!table[slot]) {
            table[slot] = static_cast<std::uint32_t>(i + 1);
            first.push_back(i);
        }
    }
    return first;
}

// The file's stamp, without opening it; nothing when the system cannot tell.
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

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

wchar_t AsciiLower(wchar_t unit) {
    return unit >= L'A' && unit <= L'Z' ? static_cast<wchar_t>(unit - L'A' + L'a') : unit;
}

bool SameDecoded(std::string_view a, std::string_view b, UINT codePage) {
    const std::wstring x = Decoded(a, codePage);
    const std::wstring y = Decoded(b, codePage);
    return x.size() == y.size() &&
           std::equal(x.begin(), x.end(), y.begin(), [](wchar_t p, wchar_t q) { return AsciiLower(p) == AsciiLower(q); });
}

bool SameAnsiCharacter(std::string_view x, std::string_view y) {
    return SameDecoded(x, y, CP_ACP);
}

// The reader compares names as the characters it decodes them to, ASCII
// letters in either case: in the ANSI code page a character of one
// extension reads as the same one of another, a stray lead byte as "・".
bool SameNameToTheReader(std::string_view a, std::string_view b, ProfileEncoding encoding) {
    switch (encoding) {
    case ProfileEncoding::Ansi:
        return SameProfileName(a, b, encoding, SameAnsiCharacter);
    case ProfileEncoding::Utf8:
        // A character is not told by its first byte here: the whole names.
        return SameProfileName(a, b, encoding) || (!IsAscii(a) && !IsAscii(b) && SameDecoded(a, b, CP_UTF8));
    case ProfileEncoding::Utf16Le:
    case ProfileEncoding::Utf16Be:
        break;
    }
    return SameProfileName(a, b, encoding);
}

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
        BY_HANDLE_FILE_INFORMATION information;
        if (!GetFileInformationByHandle(file_, &information))
            return FailedNow();
        if (information.nFileSizeHigh != 0 || information.nFileSizeLow > kLargest)
            return FailedWith(ERROR_FILE_TOO_LARGE);
        attributes_ = information.dwFileAttributes;
        stamp_ = {true, information.nFileSizeHigh, information.nFileSizeLow,
                  information.ftLastWriteTime.dwHighDateTime, information.ftLastWriteTime.dwLowDateTime};
        const SaveResult read = ReadWhole(information.nFileSizeLow);
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
        // The same parser as the values at hand, the lists and the saves:
        // one reader, which cannot disagree with itself.
        CurrentFile current;
        if (const SaveResult opened = current.Open(path_); !opened)
            return opened.failure == SaveFailure::OutOfMemory ? std::nullopt : std::optional<std::string>("");
        ++fileReads_;
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

std::vector<std::pair<std::string, std::string>> SettingsFile::ValuesOf(const char* section) const {
    const KeyValueList& list = ListOf(section);
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(list.Count());
    for (std::size_t i = 0; i < list.Count(); ++i)
        values.emplace_back(list.First(i), list.Second(i));
    return values;
}

const KeyValueList& SettingsFile::ListOf(const char* section) const {
    if (path_.empty()) {
        listed_ = KeyValueList();
        const auto inSection = memory_.find(section);
        if (inSection != memory_.end()) {
            for (const auto& [key, stored] : inSection->second) {
                if (const std::string value = AsRead(stored); !value.empty())
                    listed_.Add(key, value);
            }
        }
        return listed_;
    }
    const std::optional<FileStamp> now = StampOf(path_);
    if (now && listedFrom_ && *now == *listedFrom_ && listedSection_ == section)
        return listed_;
    listedFrom_.reset();
    listed_ = KeyValueList();
    // Read here, as a save reads the file: the platform's reader takes a
    // fifth of a second for a section of 100,000 favourites.
    CurrentFile current;
    if (const SaveResult opened = current.Open(path_); !opened) {
        if (opened.failure == SaveFailure::OutOfMemory)
            throw std::bad_alloc();
        return listed_;
    }
    ++fileReads_;
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
    listed_.text.reserve(bytes);
    listed_.starts.reserve(2 * kept.size() + 1);
    for (const std::size_t i : kept)
        listed_.Add(names[i], read[lines.size() + i]);
    listedSection_ = section;
    listedFrom_ = current.Stamp();
    return listed_;
}

std::vector<std::string> SettingsFile::KeysWithValues(const char* section) const {
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
    ++fileReads_;
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

namespace {

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

// The file is read afresh, changed, written whole to a copy beside it,
// flushed, and swapped in. A copy left by a process that died during its
// save is written over, never read. Where no copy can be made, the file is
// written in place.
SaveResult SettingsFile::SaveInTurn(std::vector<ProfileChange> changes, std::optional<std::size_t> asking,
                                    const ChangesFromFile& fromFile) {
    // The step's failure, if the test hook makes it fail there.
    auto failsAt = [this](SaveStep step) { return hook_ ? static_cast<DWORD>(hook_(step)) : 0; };
    if (const DWORD error = failsAt(SaveStep::Locked))
        return FailedWith(error);
    CurrentFile current;
    if (const SaveResult opened = current.Open(path_); !opened)
        return opened;
    ++fileReads_;
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
    const std::string copy = TemporaryPath(path_);
    const DWORD kept = current.Exists() ? current.Attributes() & kKeptAttributes : 0;
    const auto createCopy = [&] {
        return CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, kept ? kept : FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    };
    SaveResult saved;
    bool inPlace = false;
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
            if (!NoRoomForCopy(error))
                return FailedWith(error);
            inPlace = true;
        } else {
            DWORD error = failsAt(SaveStep::TemporaryCreated);
            if (!error && !WritePieces(file.handle, edit.pieces))
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
    }
    current.Close();
    if (inPlace) {
        // The pieces point into the text read, not into the file.
        if (const SaveResult written = WriteInPlace(path_, edit.pieces); !written)
            return written;
    } else {
        if (saved)
            saved = SwapIn(copy, path_);
        if (!saved) {
            DeleteFileA(copy.c_str());
            return saved;
        }
    }
    // Still in the turn: no other save has come between.
    atHand_.swap(valuesAtHand);
    atHandFrom_ = StampOf(path_);
    if (listedFrom_ && *listedFrom_ == current.Stamp() && !Touches(changes, listedSection_))
        listedFrom_ = atHandFrom_; // this save left the listed section as it was
    else
        listedFrom_.reset();
    failsAt(SaveStep::Swapped);
    return done;
}
