#include "query/suggestions.h"

#include "query/descriptions.h"
#include "query/reading.h"
#include "query/shift_jis.h"
#include "query/texts.h"
#include "query/typed_terms.h"

#include <algorithm>
#include <utility>

namespace {

struct Command {
    std::string_view text;
    std::string_view description;
};
constexpr Command kCommands[] = {
    {kFavoritePrefix, kCommandDescriptions[0]},
    {kHelpQuery, kCommandDescriptions[1]},
    {kDebugPrefix, kCommandDescriptions[2]},
};

// ASCII letters in lower case; the second byte of a double-byte character
// stays as it is, whatever it looks like. Appended to `folded`.
void AppendFolded(std::string& folded, std::string_view text) {
    const std::size_t from = folded.size();
    folded += text;
    for (std::size_t at = from; at < folded.size();) {
        const std::size_t length = ShiftJisCharLength(folded.data(), at, folded.size());
        if (length == 1 && folded[at] >= 'A' && folded[at] <= 'Z')
            folded[at] = static_cast<char>(folded[at] - 'A' + 'a');
        at += length;
    }
}

std::string Folded(std::string_view text) {
    std::string folded;
    AppendFolded(folded, text);
    return folded;
}

// A row is offered when the fragment begins its text, letters in either
// case, unless the fragment already is the text: "Sub" and "Subject:" offer
// "subject:", "subject:" itself offers nothing.
bool Completes(std::string_view foldedFragment, std::string_view fragment, std::string_view rowText) {
    return foldedFragment.size() <= rowText.size() && rowText.compare(0, foldedFragment.size(), foldedFragment) == 0 &&
           fragment != rowText;
}

} // namespace

FavoriteSuggestions MakeFavoriteSuggestions(std::shared_ptr<const PackedFavorites> shared) {
    FavoriteSuggestions favorites;
    if (!shared)
        shared = std::make_shared<const PackedFavorites>();
    const PackedFavorites& stored = *shared;
    const std::size_t count = stored.Count();
    favorites.foldedStarts.reserve(count + 1);
    std::size_t nameBytes = 0;
    for (std::size_t i = 0; i < count; ++i)
        nameBytes += stored.First(i).size();
    favorites.foldedNames.reserve(nameBytes);
    for (std::size_t i = 0; i < count; ++i) {
        favorites.foldedStarts.push_back(favorites.foldedNames.size());
        AppendFolded(favorites.foldedNames, stored.First(i));
    }
    favorites.foldedStarts.push_back(favorites.foldedNames.size());
    favorites.stored = std::move(shared);
    return favorites;
}

FavoriteSuggestions MakeFavoriteSuggestions(const std::vector<FavoriteEntry>& entries) {
    auto packed = std::make_shared<PackedFavorites>();
    for (const FavoriteEntry& entry : entries)
        packed->Add(entry.name, entry.query);
    return MakeFavoriteSuggestions(std::move(packed));
}

bool AsksForFavorites(const std::string& text, std::size_t caret, Separators separators) {
    const TermAtCaret term = FindTermAtCaret(text, caret, separators);
    return term.found && term.first && caret - term.term.start >= kFavoritePrefix.size() &&
           text.compare(term.term.start, kFavoritePrefix.size(), kFavoritePrefix) == 0;
}

Suggestions Suggest(const std::string& text, std::size_t caret, Separators separators,
                    const FavoriteSuggestions* favorites) {
    Suggestions suggestions;
    const TermAtCaret term = FindTermAtCaret(text, caret, separators);
    if (!term.found) {
        // A space typed right after a target's colon: offered taken out.
        if (caret >= 2 && caret <= text.size() && text[caret - 1] == kSpace) {
            const TermAtCaret before = FindTermAtCaret(text, caret - 1, separators);
            const std::string_view typed(text.data() + before.term.start, caret - 1 - before.term.start);
            for (int row = 0; before.found && row < kTargetCount; ++row) {
                if (typed == TargetTable[row].prefix) {
                    suggestions.fragmentStart = before.term.start;
                    suggestions.rows.push_back({SuggestionKind::Unspaced, static_cast<std::size_t>(row)});
                }
            }
        }
        return suggestions;
    }
    suggestions.fragmentStart = term.term.start;
    const std::string_view fragment(text.data() + term.term.start, caret - term.term.start);
    if (term.first && fragment.substr(0, kFavoritePrefix.size()) == kFavoritePrefix) {
        if (!favorites)
            return suggestions;
        const std::string name = Folded(fragment.substr(kFavoritePrefix.size()));
        const char* const names = favorites->foldedNames.data();
        const std::vector<std::size_t>& starts = favorites->foldedStarts;
        for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
            if (starts[i + 1] - starts[i] >= name.size() &&
                std::char_traits<char>::compare(names + starts[i], name.data(), name.size()) == 0)
                suggestions.rows.push_back({SuggestionKind::Favorite, i});
        }
        return suggestions;
    }
    // After "debug:" the rest is the mail client's own expression.
    if (!term.first && text.compare(text.find_first_not_of(kSpace), kDebugPrefix.size(), kDebugPrefix) == 0)
        return suggestions;
    const std::string folded = Folded(fragment);
    // A prefix mistyped (another case, full-width, one slip): offered as
    // the language spells it, in its place.
    if (const MistypedPrefix mistyped = FindMistypedPrefix(fragment);
        mistyped.row >= 0 && mistyped.length == fragment.size() &&
        !Completes(folded, fragment, TargetTable[mistyped.row].prefix))
        suggestions.rows.push_back({SuggestionKind::Target, static_cast<std::size_t>(mistyped.row)});
    for (int row = 0; row < kTargetCount; ++row) {
        if (Completes(folded, fragment, TargetTable[row].prefix))
            suggestions.rows.push_back({SuggestionKind::Target, static_cast<std::size_t>(row)});
        if (TargetTable[row].prefix == kAttachAll.substr(0, TargetTable[row].prefix.size()) &&
            Completes(folded, fragment, kAttachAll))
            suggestions.rows.push_back({SuggestionKind::AttachAll, 0});
    }
    for (std::size_t i = 0; term.first && i < std::size(kCommands); ++i) {
        if (Completes(folded, fragment, kCommands[i].text))
            suggestions.rows.push_back({SuggestionKind::Command, i});
    }
    return suggestions;
}

std::string SuggestionText(SuggestionRow row, const FavoriteSuggestions* favorites) {
    switch (row.kind) {
    case SuggestionKind::Target:
        return std::string(TargetTable[row.index].prefix);
    case SuggestionKind::AttachAll:
        return std::string(kAttachAll);
    case SuggestionKind::Command:
        return std::string(kCommands[row.index].text);
    case SuggestionKind::Favorite:
        return std::string(kFavoritePrefix) + std::string(favorites ? favorites->stored->First(row.index) : "");
    case SuggestionKind::Unspaced:
        return std::string(TargetTable[row.index].prefix);
    }
    return std::string();
}

std::string_view SuggestionDescription(SuggestionRow row, const FavoriteSuggestions* favorites) {
    switch (row.kind) {
    case SuggestionKind::Target:
        return kTargetDescriptions[row.index];
    case SuggestionKind::AttachAll:
        return kAttachAllDescription;
    case SuggestionKind::Command:
        return kCommands[row.index].description;
    case SuggestionKind::Favorite:
        return favorites ? favorites->stored->Second(row.index) : std::string_view();
    case SuggestionKind::Unspaced:
        return kUnspacedDescription;
    }
    return std::string_view();
}

std::string MoreRowsLine(std::size_t more) {
    std::string line(kMoreRows);
    line.replace(line.find('%'), 1, std::to_string(more));
    return line;
}

std::string FoldedName(std::string_view name) {
    return Folded(name);
}
