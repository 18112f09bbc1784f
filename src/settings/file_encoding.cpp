#include "settings/file_encoding.h"

#include "query/shift_jis.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace {

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

} // namespace

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

namespace {

// Whether an ANSI text comes back through UTF-16 as it stands, as most do:
// each character is asked about once, the first time it is met, and the
// answer kept in `known` (by code; 0: not asked yet). A lead byte without
// its second byte, or a character the reader spells otherwise, does not.
bool ComesBackAsItStands(std::string_view text, std::vector<signed char>& known) {
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            ++at;
            continue;
        }
        const bool pair = IsShiftJisLeadByte(byte);
        if (pair && at + 1 == text.size())
            return false;
        const std::size_t length = pair ? 2 : 1;
        const unsigned code = pair ? byte << 8 | static_cast<unsigned char>(text[at + 1]) : byte;
        if (known.empty())
            known.assign(0x10000, 0);
        if (!known[code]) {
            const std::string_view character = text.substr(at, length);
            known[code] = AsAnsi(character, ProfileEncoding::Ansi) == character ? 1 : -1;
        }
        if (known[code] < 0)
            return false;
        at += length;
    }
    return true;
}

} // namespace

// Texts found in a file of the encoding, as the reader gives them to an ANSI
// caller, as AsAnsi gives each: ASCII as it stands, and in an ANSI file
// every text whose characters each come back as they stand, the rest in one
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
    std::vector<signed char> known;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string_view text = texts[i];
        if ((!utf16 && IsAscii(text)) || (encoding == ProfileEncoding::Ansi && ComesBackAsItStands(text, known))) {
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

