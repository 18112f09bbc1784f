// What the query field suggests while the user types: the targets, the
// queries the plug-in answers itself, the stored favourites. Portable: the
// rows are a function of the text, the caret and the favourite names alone.
#pragma once

#include "query/language.h"
#include "query/packed_pairs.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A stored favourite, as the list offers it.
struct FavoriteEntry {
    std::string name;
    std::string query;
};

// The favourites' names (first) and queries (second), in one block.
using PackedFavorites = PackedPairs;

// The favourites in the order "fav:" lists them, with their names folded
// once for matching as the settings file's reader matches names (ASCII
// letters in either case, double-byte characters as they are).
struct FavoriteSuggestions {
    std::shared_ptr<const PackedFavorites> stored; // never null; shared with the settings file's listing
    // The folded names one after another, the i-th from foldedStarts[i] to
    // foldedStarts[i + 1]: a keystroke scans them all, so they lie together.
    std::string foldedNames;
    std::vector<std::size_t> foldedStarts;
};
FavoriteSuggestions MakeFavoriteSuggestions(std::shared_ptr<const PackedFavorites> stored);

// A name folded for matching as the reader matches names: ASCII letters in
// lower case, a double-byte character's second byte as it is.
std::string FoldedName(std::string_view name);
FavoriteSuggestions MakeFavoriteSuggestions(const std::vector<FavoriteEntry>& entries);

enum class SuggestionKind {
    Target,   // index: the target's row in TargetTable
    AttachAll, // the attach shorthand
    Command,  // index: fav:, help:, debug:
    Favorite, // index: the favourite's place
    Unspaced, // index: the target's row; its prefix without the space typed after it
};

struct SuggestionRow {
    SuggestionKind kind;
    std::size_t index;
};

struct Suggestions {
    // The typed fragment the rows complete: from here to the caret. Taking a
    // row puts its text in its place.
    std::size_t fragmentStart = 0;
    std::vector<SuggestionRow> rows;
};

// Whether the caret stands in a favourite's name after "fav:" at the start of
// the query: the favourites are needed (and read only then).
bool AsksForFavorites(const std::string& text, std::size_t caret, Separators separators);

// The rows for the term that ends at the caret, when the caret is at its end;
// none inside a phrase or a target's value. `favorites` may be null (not
// read): no favourite rows then.
Suggestions Suggest(const std::string& text, std::size_t caret, Separators separators,
                    const FavoriteSuggestions* favorites);

// The list offers nothing where the caret stands past the field's first
// 4,096 characters (the reading, too, reads only its first 4 KiB), so that a
// keystroke costs the same whatever was pasted: what stands past the caret
// is never read.
constexpr std::size_t kSuggestedWithin = 4096;

// The rows the list holds at most; past them, a last row says how many more
// match and that typing narrows them (every favourite stays reachable by its
// name). A list box that holds its rows' strings takes each one in, which
// under Wine costs about a quarter of a millisecond a row: 20 rows (eight
// shown, the rest a scroll away) keep a keystroke within a few ms.
constexpr std::size_t kListedRows = 20;

// That last row's text, for `more` rows not listed (Shift_JIS).
std::string MoreRowsLine(std::size_t more);

// What taking the row puts in the field ("subject:", "attach:*", "fav:",
// "fav:weekly"), and what the list says of it beside that (Shift_JIS).
std::string SuggestionText(SuggestionRow row, const FavoriteSuggestions* favorites);
std::string_view SuggestionDescription(SuggestionRow row, const FavoriteSuggestions* favorites);
