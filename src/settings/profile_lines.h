// How the reader takes a line of the settings file's text: its characters
// in the file's encoding, where lines end, a line's shape (a section's
// header, a key with or without a value), a value as the reader gives it.
// Shared by the reading and the editing of the text. Portable.
#pragma once

#include "settings/profile_text.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Named apart: words such as Encoded and Unquoted mean these only here.
namespace profile_lines {

inline const std::string_view kUtf8Mark = "\xEF\xBB\xBF";
inline const std::string_view kUtf16LeMark = "\xFF\xFE";
inline const std::string_view kUtf16BeMark = "\xFE\xFF";

// The code of every character that is not ASCII: only ASCII characters
// shape the file.
constexpr unsigned kNotAscii = 0x10000;

struct Character {
    unsigned code;
    std::size_t length; // in bytes
};

bool IsUtf16(ProfileEncoding encoding);

// The character at `at` as the reader takes it.
Character CharacterAt(std::string_view text, std::size_t at, ProfileEncoding encoding);

bool IsLineBreak(unsigned code);

unsigned AsciiLower(unsigned code);

// ASCII text as it stands in a file of the encoding.
std::string Encoded(std::string_view ascii, ProfileEncoding encoding);

std::size_t MarkLength(ProfileEncoding encoding);

// The name of the key on a line that is no header: what stands before the
// first "=" (all of it, without one), trimmed. Nothing for a blank line.
std::optional<std::string_view> KeyNameOf(std::string_view line, ProfileEncoding encoding);

// What the reader makes of one line (its characters, without the line end).
struct LineShape {
    bool blank = true;
    bool header = false;
    std::string_view name; // the section's, or the key's
    bool hasValue = false; // a key's line with "="
    std::string_view value;
};

LineShape ShapeOf(std::string_view line, ProfileEncoding encoding);

// What a byte is to the reader in a file where every ASCII character is a
// byte (ANSI and UTF-8): the loops over the thousands of lines of a section
// of favourites ask one table.
enum class ByteKind : unsigned char {
    Other,
    Blank,   // white space that ends no line
    LineEnd, // CR or LF
    Equals,
    Lead, // the first of a double-byte character (ANSI only)
};

// The table for ANSI or UTF-8.
const ByteKind* ByteKindsOf(ProfileEncoding encoding);

// The line that starts at `at`: its characters and one line end after them
// (CR LF, CR or LF), so that a run of line ends gives blank lines of their
// own. Every line of the file is cut so: the byte loops are kept tight.
std::string_view LineAt(std::string_view text, std::size_t at, ProfileEncoding encoding);

// Whether a line may be a section's header: its first character that is not
// white space is "[". Most lines are not, and are told so at once.
bool MayBeHeader(std::string_view line, ProfileEncoding encoding);

// The line end of a whole line (empty for the file's last line, without
// one), to keep when the line is written anew. Read from the front: in the
// ANSI code page a CR or LF byte may belong to the character before it.
std::string_view LineEndOf(std::string_view line, ProfileEncoding encoding);

// The line end a new line needs after a whole line: none when it has one.
// A last byte of UTF-16 without its pair is made a whole unit first, as the
// reader took it.
std::string LineEndAfter(std::string_view line, ProfileEncoding encoding);

// A trimmed value as the reader gives it: one pair of enclosing quotes
// (double or single) gone.
std::string_view Unquoted(std::string_view value, ProfileEncoding encoding);

} // namespace profile_lines
