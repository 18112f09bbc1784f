// The settings file's text, changed as the private-profile functions change
// it, so that a whole save can be made in one write: the same sections, keys,
// order and line ends those functions give, with every line not changed kept
// as it was (a hand-edited file keeps its comments and blank lines). Portable.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A key of a section set to a value, as it is to stand in the file; without
// a value, the key deleted.
struct ProfileChange {
    std::string section;
    std::string key;
    std::optional<std::string> value;
};

// Whether the profile functions take two section or key names for the same:
// ASCII letters in either case, every other character byte for byte
// (Shift_JIS characters are never split).
bool SameProfileName(std::string_view a, std::string_view b);

// A text with changes made: the new text is its pieces, in order, each
// either a part of the old text or a line written anew. So a large file is
// never copied in memory: the parts that stay are written out from where
// they are.
struct ProfileEdit {
    std::vector<std::string_view> pieces;
    std::deque<std::string> written; // what the new pieces point into
    bool changed = false;            // whether the text is any different

    std::string Joined() const;
};

// `text` with the changes made, one after another. A key is looked for in
// the first section of its name; a new key goes after the section's last line
// that is not blank, a new section at the end; a changed key keeps its line;
// a deleted key loses its line. Every line written ends in CR LF. The edit
// points into `text`, which must outlive it.
ProfileEdit EditProfile(std::string_view text, const std::vector<ProfileChange>& changes);

// The keys of the first section of that name that have a value, in the
// file's order; comment lines (";") are none.
std::vector<std::string> ProfileKeysWithValues(std::string_view text, std::string_view section);
