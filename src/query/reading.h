// How the query field's text will be searched, read back in one line under
// the field: each condition as the expression will hold it, or what a query
// the plug-in answers itself will do; first, where a term will be read
// otherwise than it looks, a "※" and why. Portable: a function of the text,
// the caret and the favourites (when they have been read).
#pragma once

#include "query/language.h"
#include "query/suggestions.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One condition of a search, as the expression will hold it: a phrase's
// value without its enclosing quotes, a word as typed, a flag's name.
struct ReadCondition {
    TermKind kind; // Phrase, Word, AttachAll or Flag
    int row;
    std::string value;
};

struct QueryReading {
    std::string line;             // Shift_JIS, the whole reading
    std::size_t misreadings = 0;  // the line begins with "※" when there are any
    // The line's parts: what is misread ("※" and why, its first bytes) and,
    // from readingStart (after a full-width space), the reading itself.
    std::size_t misreadingLength = 0;
    std::size_t readingStart = 0;
    std::vector<ReadCondition> conditions; // a search's, conditions first, then the flags
    bool cut = false;             // only the text's beginning was read
    // Where the line names the first character the mail client cannot
    // receive: a "?" for the caller to replace with it as typed; npos: none.
    std::size_t namedAt = std::string::npos;
};

// A term meant as a target's prefix that is none: before its first colon
// (or full-width colon), a target's name in another case, in full-width
// letters, followed by a full-width colon, or (names of four letters or
// more) with one letter wrong, added or missing or two swapped. The row
// meant (-1: none) and how many bytes the mistyped prefix has, its colon
// included.
struct MistypedPrefix {
    int row = -1;
    std::size_t length = 0;
};
MistypedPrefix FindMistypedPrefix(std::string_view term);

// The bytes of a text read at most: what the line can show and more. A
// longer text (a pasted one) is read up to the last term that begins
// within them.
inline constexpr std::size_t kReadBytes = 4096;

// The reading of the field's `text` with the caret at `caret` (in bytes). A
// term the user is still typing at the caret, that can still become what it
// is meant to be, is not flagged: a prefix whose value is about to come, a
// phrase whose closing quote is still to be typed. `favorites` may be null
// (not read yet). `unconverted`, in order: where the text holds the
// system's default character for a character typed that the code page
// cannot hold, which the mail client will receive as "?".
QueryReading ReadQuery(const std::string& text, std::size_t caret, Separators separators,
                       const FavoriteSuggestions* favorites, const std::vector<std::size_t>& unconverted = {});
