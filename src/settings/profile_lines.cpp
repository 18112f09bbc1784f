#include "settings/profile_lines.h"

#include "query/shift_jis.h"

namespace profile_lines {

namespace {

// The white space the reader trims (IsReaderWhiteSpace).
constexpr bool IsWhiteSpaceCode(unsigned code) {
    return code == ' ' || (code >= '\t' && code <= '\r') || code == 0x1A;
}

struct ByteKinds {
    ByteKind of[256];
};

constexpr ByteKinds MakeByteKinds(bool ansi) {
    ByteKinds kinds{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        ByteKind kind = ByteKind::Other;
        if (byte == '\r' || byte == '\n')
            kind = ByteKind::LineEnd;
        else if (IsWhiteSpaceCode(byte))
            kind = ByteKind::Blank;
        else if (byte == '=')
            kind = ByteKind::Equals;
        else if (ansi && IsShiftJisLeadByte(static_cast<unsigned char>(byte)))
            kind = ByteKind::Lead;
        kinds.of[byte] = kind;
    }
    return kinds;
}

constexpr ByteKinds kAnsiByteKinds = MakeByteKinds(true);
constexpr ByteKinds kUtf8ByteKinds = MakeByteKinds(false);

} // namespace

const ByteKind* ByteKindsOf(ProfileEncoding encoding) {
    return encoding == ProfileEncoding::Ansi ? kAnsiByteKinds.of : kUtf8ByteKinds.of;
}

bool IsUtf16(ProfileEncoding encoding) {
    return encoding == ProfileEncoding::Utf16Le || encoding == ProfileEncoding::Utf16Be;
}

// The character at `at` as the reader takes it.
Character CharacterAt(std::string_view text, std::size_t at, ProfileEncoding encoding) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto ascii = [](unsigned code) { return code < 0x80 ? code : kNotAscii; };
    switch (encoding) {
    case ProfileEncoding::Ansi:
        // A lead byte takes the next byte, whatever it is.
        if (IsShiftJisLeadByte(byte(at)) && at + 1 < text.size())
            return {kNotAscii, 2};
        return {ascii(byte(at)), 1};
    case ProfileEncoding::Utf8:
        // No byte of a longer sequence is ASCII.
        return {ascii(byte(at)), 1};
    case ProfileEncoding::Utf16Le:
        // A last byte without its pair reads as a unit of its own.
        if (at + 1 >= text.size())
            return {ascii(byte(at)), 1};
        return {ascii(byte(at) | byte(at + 1) << 8), 2};
    case ProfileEncoding::Utf16Be:
        if (at + 1 >= text.size())
            return {kNotAscii, 1};
        return {ascii(byte(at) << 8 | byte(at + 1)), 2};
    }
    return {kNotAscii, 1};
}

bool IsLineBreak(unsigned code) {
    return code == '\r' || code == '\n';
}

unsigned AsciiLower(unsigned code) {
    return code >= 'A' && code <= 'Z' ? code - 'A' + 'a' : code;
}

// ASCII text as it stands in a file of the encoding.
std::string Encoded(std::string_view ascii, ProfileEncoding encoding) {
    if (!IsUtf16(encoding))
        return std::string(ascii);
    std::string encoded;
    for (const char byte : ascii) {
        encoded += encoding == ProfileEncoding::Utf16Le ? byte : '\0';
        encoded += encoding == ProfileEncoding::Utf16Le ? '\0' : byte;
    }
    return encoded;
}

std::size_t MarkLength(ProfileEncoding encoding) {
    switch (encoding) {
    case ProfileEncoding::Utf8:
        return kUtf8Mark.size();
    case ProfileEncoding::Utf16Le:
    case ProfileEncoding::Utf16Be:
        return kUtf16LeMark.size();
    case ProfileEncoding::Ansi:
        break;
    }
    return 0;
}

// The name of the key on a line that is no header: what stands before the
// first "=" (all of it, without one), trimmed. Nothing for a blank line.
std::optional<std::string_view> KeyNameOf(std::string_view line, ProfileEncoding encoding) {
    std::size_t first = std::string_view::npos;
    std::size_t nonSpaceEnd = 0;
    for (std::size_t at = 0; at < line.size();) {
        const Character c = CharacterAt(line, at, encoding);
        if (IsLineBreak(c.code) || c.code == '=') {
            if (first == std::string_view::npos && c.code == '=')
                first = nonSpaceEnd = at;
            break;
        }
        if (!IsReaderWhiteSpace(c.code)) {
            if (first == std::string_view::npos)
                first = at;
            nonSpaceEnd = at + c.length;
        }
        at += c.length;
    }
    if (first == std::string_view::npos)
        return std::nullopt;
    return line.substr(first, nonSpaceEnd - first);
}

LineShape ShapeOf(std::string_view line, ProfileEncoding encoding) {
    LineShape shape;
    std::size_t first = std::string_view::npos;
    std::size_t nonSpaceEnd = 0; // the end of the last character that is not white space
    std::size_t equals = std::string_view::npos, valueStart = std::string_view::npos;
    std::size_t close = std::string_view::npos, innerEnd = 0;
    for (std::size_t at = 0; at < line.size();) {
        const Character c = CharacterAt(line, at, encoding);
        if (IsLineBreak(c.code))
            break;
        if (!IsReaderWhiteSpace(c.code)) {
            if (first == std::string_view::npos)
                first = at;
            if (equals != std::string_view::npos && valueStart == std::string_view::npos)
                valueStart = at;
            if (c.code == '=' && equals == std::string_view::npos)
                equals = at;
            if (c.code == ']') {
                close = at;
                innerEnd = nonSpaceEnd;
            }
            nonSpaceEnd = at + c.length;
        }
        at += c.length;
    }
    if (first == std::string_view::npos)
        return shape;
    shape.blank = false;
    const std::size_t unit = IsUtf16(encoding) ? 2 : 1;
    if (CharacterAt(line, first, encoding).code == '[' && close != std::string_view::npos && close > first) {
        shape.header = true;
        std::size_t innerStart = first + unit;
        while (innerStart < innerEnd && IsReaderWhiteSpace(CharacterAt(line, innerStart, encoding).code))
            innerStart += unit;
        shape.name = line.substr(innerStart, std::max(innerStart, innerEnd) - innerStart);
        return shape;
    }
    shape.name = KeyNameOf(line, encoding).value_or(std::string_view());
    if (equals == std::string_view::npos)
        return shape;
    shape.hasValue = true;
    if (valueStart != std::string_view::npos)
        shape.value = line.substr(valueStart, nonSpaceEnd - valueStart);
    return shape;
}

// The line that starts at `at`: its characters and one line end after them
// (CR LF, CR or LF), so that a run of line ends gives blank lines of their
// own. Every line of the file is cut so: the byte loops are kept tight.
std::string_view LineAt(std::string_view text, std::size_t at, ProfileEncoding encoding) {
    const unsigned char* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t end = at;
    if (IsUtf16(encoding)) {
        const std::size_t low = encoding == ProfileEncoding::Utf16Le ? 0 : 1;
        for (; end + 1 < size; end += 2) {
            if (bytes[end + 1 - low] == 0 && (bytes[end + low] == '\r' || bytes[end + low] == '\n'))
                break;
        }
        if (end + 1 >= size)
            return text.substr(at); // the end, or a last byte without its pair
        end += 2;
        if (bytes[end - 2 + low] == '\r' && end + 1 < size && bytes[end + 1 - low] == 0 && bytes[end + low] == '\n')
            end += 2;
        return text.substr(at, end - at);
    }
    const ByteKind* const kinds = ByteKindsOf(encoding);
    for (; end < size; ++end) {
        const ByteKind kind = kinds[bytes[end]];
        if (kind == ByteKind::LineEnd)
            break;
        // A lead byte takes the next byte, whatever it is.
        if (kind == ByteKind::Lead && end + 1 < size)
            ++end;
    }
    if (end == size)
        return text.substr(at);
    ++end;
    if (bytes[end - 1] == '\r' && end < size && bytes[end] == '\n')
        ++end;
    return text.substr(at, end - at);
}

// Whether a line may be a section's header: its first character that is not
// white space is "[". Most lines are not, and are told so at once.
bool MayBeHeader(std::string_view line, ProfileEncoding encoding) {
    for (std::size_t at = 0; at < line.size();) {
        const Character c = CharacterAt(line, at, encoding);
        if (!IsReaderWhiteSpace(c.code))
            return c.code == '[';
        at += c.length;
    }
    return false;
}

// The line end of a whole line (empty for the file's last line, without
// one), to keep when the line is written anew. Read from the front: in the
// ANSI code page a CR or LF byte may belong to the character before it.
std::string_view LineEndOf(std::string_view line, ProfileEncoding encoding) {
    std::size_t at = 0;
    while (at < line.size()) {
        const Character c = CharacterAt(line, at, encoding);
        if (IsLineBreak(c.code))
            return line.substr(at);
        at += c.length;
    }
    return {};
}

// The line end a new line needs after a whole line: none when it has one.
// A last byte of UTF-16 without its pair is made a whole unit first, as the
// reader took it.
std::string LineEndAfter(std::string_view line, ProfileEncoding encoding) {
    if (line.empty() || !LineEndOf(line, encoding).empty())
        return "";
    const std::string pad = IsUtf16(encoding) && line.size() % 2 ? std::string(1, '\0') : std::string();
    return pad + Encoded("\r\n", encoding);
}

// A trimmed value as the reader gives it: one pair of enclosing quotes
// (double or single) gone.
std::string_view Unquoted(std::string_view value, ProfileEncoding encoding) {
    const std::size_t unit = IsUtf16(encoding) ? 2 : 1;
    if (value.size() >= 2 * unit) {
        const unsigned first = CharacterAt(value, 0, encoding).code;
        const unsigned last = CharacterAt(value, value.size() - unit, encoding).code;
        if ((first == '"' || first == '\'') && last == first)
            return value.substr(unit, value.size() - 2 * unit);
    }
    return value;
}

} // namespace profile_lines

using namespace profile_lines;

bool IsReaderWhiteSpace(unsigned code) {
    return IsWhiteSpaceCode(code);
}

ProfileEncoding DetectProfileEncoding(std::string_view file) {
    if (file.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        return ProfileEncoding::Utf8;
    if (file.substr(0, kUtf16LeMark.size()) == kUtf16LeMark)
        return ProfileEncoding::Utf16Le;
    if (file.substr(0, kUtf16BeMark.size()) == kUtf16BeMark)
        return ProfileEncoding::Utf16Be;
    return ProfileEncoding::Ansi;
}

bool SameProfileName(std::string_view a, std::string_view b, ProfileEncoding encoding,
                     SameCharacterFunction sameCharacter) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const Character x = CharacterAt(a, i, encoding);
        const Character y = CharacterAt(b, j, encoding);
        const std::string_view p = a.substr(i, x.length);
        const std::string_view q = b.substr(j, y.length);
        i += x.length;
        j += y.length;
        if (p == q)
            continue;
        if (x.code != kNotAscii && y.code != kNotAscii) {
            if (AsciiLower(x.code) != AsciiLower(y.code))
                return false;
            continue;
        }
        // Nothing but ASCII reads as ASCII.
        if (x.code != kNotAscii || y.code != kNotAscii || !sameCharacter || !sameCharacter(p, q))
            return false;
    }
    return i == a.size() && j == b.size();
}

