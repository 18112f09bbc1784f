// The rows the query field suggests, as a function of the text, the caret
// and the favourites.
#include "query/suggestions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::string>;

const FavoriteSuggestions kFavorites = MakeFavoriteSuggestions({
    {"weekly", "subject:week"}, {"Week2", "from:a"}, {"\x83" "A", "x"}, {"\x83" "a", "y"}, {"other", "z"}});

// The rows' texts, and where the fragment they complete starts (-1: no rows).
struct Offered {
    Rows rows;
    int fragmentStart = -1;
    bool operator==(const Offered& o) const { return rows == o.rows && fragmentStart == o.fragmentStart; }
};

std::ostream& operator<<(std::ostream& out, const Offered& offered) {
    out << offered.fragmentStart << ":";
    for (const std::string& row : offered.rows)
        out << " [" << row << "]";
    return out;
}

// The caret is at "|" in `typed`, or at its end.
Offered OfferedFor(std::string typed, Separators separators = Separators::Space) {
    const std::size_t bar = typed.find('|');
    const std::size_t caret = bar == std::string::npos ? typed.size() : bar;
    if (bar != std::string::npos)
        typed.erase(bar, 1);
    const Suggestions suggestions = Suggest(typed, caret, separators, &kFavorites);
    Offered offered;
    for (const SuggestionRow& row : suggestions.rows)
        offered.rows.push_back(SuggestionText(row, &kFavorites));
    if (!offered.rows.empty())
        offered.fragmentStart = static_cast<int>(suggestions.fragmentStart);
    return offered;
}

TEST(SuggestionsTest, RowsForTheTermAtTheCaret) {
    const struct {
        const char* typed;
        Offered expected;
    } cases[] = {
        // Targets anywhere, commands at the query's start only.
        {"s", {{"smallheaderbody:", "subject:", "smallheader:"}, 0}},
        {"f", {{"from+to:", "from:", "flag:", "fav:"}, 0}},
        {"a f", {{"from+to:", "from:", "flag:"}, 2}},
        {"h", {{"header:", "help:"}, 0}},
        {"x d", {}},
        {"d", {{"debug:"}, 0}},
        {"a", {{"all:", "attach:", "attach:*"}, 0}},
        {"attach:", {{"attach:*"}, 0}},
        // Case taught: the row writes the language's spelling.
        {"Sub", {{"subject:"}, 0}},
        {"x SUBJECT:", {{"subject:"}, 2}},
        {"FAV:", {{"fav:"}, 0}},
        // Nothing complete, nothing in a value or a phrase, nothing mid-term.
        {"subject:", {}},
        {"subject:s", {}},
        {"\"a s", {}},
        {"subject:\"a s", {}},
        {"\"a b\" s", {{"smallheaderbody:", "subject:", "smallheader:"}, 6}},
        {"\"\"s", {}},
        {"su|b", {}},
        {"su| x", {{"subject:"}, 0}},
        {"", {}},
        {"x ", {}},
        {"debug:x f", {}},
        // Favourites after "fav:" at the start, in the file's order, names in
        // either case, a double-byte name's second byte never folded.
        {"fav:", {{"fav:weekly", "fav:Week2", "fav:\x83" "A", "fav:\x83" "a", "fav:other"}, 0}},
        {"fav:WEE", {{"fav:weekly", "fav:Week2"}, 0}},
        {"fav:\x83" "a", {{"fav:\x83" "a"}, 0}}, // ア and ャ: 0x41 and 0x61 as second bytes
        {"fav:weekly ", {}},
        {"x fav:", {}},
        {"fav:weekly s", {{"smallheaderbody:", "subject:", "smallheader:"}, 11}},
        // A prefix mistyped, offered as spelt in its place, with the caret
        // right after its colon; a space after a target's colon, offered
        // taken out (the row is the prefix alone).
        {"x subjet:", {{"subject:"}, 2}},
        {"\x82\x93\x82\x95\x82\x82\x82\x8a\x82\x85\x82\x83\x82\x94\x81\x46", {{"subject:"}, 0}}, // ｓｕｂｊｅｃｔ：
        {"from\x81\x46", {{"from:"}, 0}},                                           // from：
        {"subjet:x", {}},
        {"12:", {}},
        {"x from: ", {{"from:"}, 2}},
        {"from:  ", {}},
        {"\"a from: ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OfferedFor(c.typed), c.expected) << c.typed;
}

TEST(SuggestionsTest, AFullWidthSpaceSeparatesWhereTheUserAsksForIt) {
    const std::string typed = "x\x81\x40" "fr";
    EXPECT_EQ(OfferedFor(typed, Separators::SpaceAndFullWidthSpace), (Offered{{"from+to:", "from:"}, 3}));
    EXPECT_EQ(OfferedFor(typed, Separators::Space), Offered{});
    EXPECT_TRUE(AsksForFavorites("fav:w", 5, Separators::Space));
    EXPECT_FALSE(AsksForFavorites("fav:w x", 7, Separators::Space));
    EXPECT_FALSE(AsksForFavorites("x fav:", 6, Separators::Space));
}

TEST(SuggestionsTest, DescriptionsSayWhatARowMeans) {
    EXPECT_EQ(SuggestionDescription({SuggestionKind::Target, 1}, nullptr), "\x8c\x8f\x96\xbc"); // 件名
    EXPECT_EQ(SuggestionDescription({SuggestionKind::Favorite, 0}, &kFavorites), "subject:week");
    EXPECT_EQ(Suggest("fav:", 4, Separators::Space, nullptr).rows.size(), 0u);
}

} // namespace
