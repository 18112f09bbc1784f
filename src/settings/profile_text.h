// The settings file's text, read as the private-profile reader reads it and
// changed as its writer changes it, so that a whole save can be made in one
// write. The reader is the reference: a save changes exactly the keys it
// means to change as the reader sees them, whatever the file holds, and
// every line it does not change stays byte for byte (a hand-edited file
// keeps its comments, blank lines and line ends). Portable.
//
// How the reader reads a file:
//   - A mark at the front picks the encoding: UTF-8 (EF BB BF), UTF-16 LE
//     (FF FE) or UTF-16 BE (FE FF); without one, the ANSI code page
//     (Shift_JIS), where a lead byte takes the byte after it into its
//     character whatever that byte is, a line end included.
//   - A line ends at a CR or an LF; a run of them is one line end.
//   - White space is space, tab, CR, LF, VT, FF and Ctrl+Z (0x1A), trimmed
//     around lines, names and values.
//   - A section's header is a line that starts with "[" and has a "]" after
//     it; its name is what stands between the "[" and the last "]", trimmed.
//     Every other line that is not blank is a key: its name is what stands
//     before the first "=" (all of it, without one), its value what follows.
//   - Names compare as characters, ASCII letters in either case.
//   - A key is read, and set, in the first section of its name; a key to
//     delete is looked for in every section of that name, in order.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class ProfileEncoding { Ansi, Utf8, Utf16Le, Utf16Be };

// The encoding the reader takes a file's bytes to be in, by its mark.
ProfileEncoding DetectProfileEncoding(std::string_view file);

// The white space the reader trims around lines, names and values.
bool IsReaderWhiteSpace(unsigned code);

// A key of a section set to a value, as it is to stand in the file; without
// a value, the key deleted. In the ANSI code page until it is encoded for a
// file.
struct ProfileChange {
    std::string section;
    std::string key;
    std::optional<std::string> value;
};

// A key of a section, whose value is wanted as the reader gives it.
struct ProfileKey {
    std::string section;
    std::string key;
};

// Whether the reader takes two names, as they stand in a file of that
// encoding, for the same one.
using SameNameFunction = bool (*)(std::string_view a, std::string_view b, ProfileEncoding encoding);

// Whether two characters that are not both ASCII, and differ in their bytes,
// read as the same one (the code page knows).
using SameCharacterFunction = bool (*)(std::string_view x, std::string_view y);

// The reader's comparison, character by character, ASCII letters in either
// case. Without `sameCharacter`, characters of different bytes differ: exact
// for UTF-16, while in the ANSI code page two extensions have characters in
// common, and a stray lead byte reads as "・".
bool SameProfileName(std::string_view a, std::string_view b, ProfileEncoding encoding,
                     SameCharacterFunction sameCharacter = nullptr);

// A text with changes made: the new text is its pieces, in order, each
// either a part of the old text or a line written anew. So a large file is
// never copied in memory: the parts that stay are written out from where
// they are.
struct ProfileEdit {
    std::vector<std::string_view> pieces;
    std::deque<std::string> written; // what the new pieces point into
    bool changed = false;            // whether the text is any different
    // The value of each wanted key in the new text as the reader gives it
    // (trimmed, one pair of enclosing quotes gone), still in the file's
    // encoding; nothing where the key is absent.
    std::vector<std::optional<std::string>> wantedValues;
    // For the change that asks first: what its key held before it, as the
    // reader gives it (nothing: absent), and whether it was left undone, as
    // it sets another value where one is held already.
    std::optional<std::string> previous;
    bool keptPrevious = false;

    std::string Joined() const;
};

// `file` (its mark included) with the changes made, one after another. Their
// names and values must be in the file's encoding already. A key set keeps
// its line, and the name as the file spells it; a new key goes after the
// section's last line that is not blank, a new section at the end; a deleted
// key loses its line. Lines written anew end in CR LF, a changed one keeps
// its own line end. The edit points into `file`, which must outlive it.
// The values of `wanted` keys (their names in the file's encoding) come in
// the same pass. The change at `asking`, if any, asks first: it never
// replaces a value that is not empty with another (ProfileEdit::previous).
ProfileEdit EditProfile(std::string_view file, ProfileEncoding encoding, const std::vector<ProfileChange>& changes,
                        SameNameFunction sameName, const std::vector<ProfileKey>& wanted = {},
                        std::optional<std::size_t> asking = std::nullopt);

// A key's line as the reader reads it: the key's name, and its value as the
// reader gives it (trimmed, one pair of enclosing quotes gone); both in the
// file's encoding, pointing into it.
struct ProfileLine {
    std::string_view name;
    std::string_view value;
};

// The key lines of the first section of that name, in the file's order, as
// they stand (a name may come twice: the reader reads the first; a line
// without "=" has an empty value).
std::vector<ProfileLine> ListProfileSection(std::string_view file, ProfileEncoding encoding, std::string_view section,
                                            SameNameFunction sameName);
