// The rows the query field suggests, as a function of the text, the caret
// and the favourites.
#include "query/suggestions.h"

#include "query/reading.h"
#include "query/term_records.h"
#include "query/translate.h"
#include "query/typed_terms.h"
#include "shift_jis_text.h"

#include <gtest/gtest.h>

#include <algorithm>

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

namespace {

const char* AsTyped(const char* word) {
    return word;
}

// The terms as typed (which the suggestions and the reading read) against
// the terms the translation takes: where a query reads as it looks, they
// agree term for term on where it starts and ends and on its target; where
// they differ, the reading says why (and where a term, though taken as
// typed, means something else). And the suggestions' term at the end of
// each term is that term.
TEST(TypedTermsTest, TheReadersOfTheLanguageAgree) {
    const struct {
        std::string query;
        bool agree;   // the translation takes the terms as typed
        bool flagged; // the reading says why
    } cases[] = {
        {"subject:\"定例 会議\" from:tanaka 議事録", true, false},
        {"body:見積 from:suzuki subject:\"お見積り 再送\"", true, false},
        {"attach:* flag:unread x", true, false},
        {"\"a b\" c  d", true, false},
        {"from+to:a smallheader:\"x y\" memo:z", true, false},
        {"a\"b c\"", true, false},
        {"Subject:会議", true, true},        // no target: a word, as typed
        {"subject:\"\" x", true, true},      // an empty phrase: a word, as typed
        {"from: 田中", false, true},         // a space after the colon
        {"subject:\"a b", false, true},      // a phrase left unclosed
        {"subject:\"予定表\" x", false, true}, // 表 escapes the quote after it
    };
    for (const auto& c : cases) {
        const std::string query = Sjis(c.query);
        const std::vector<TypedTerm> typed = TypedTerms(query, Separators::Space);
        std::vector<std::pair<int, std::string>> taken;
        TakeQueryTerms(query, AsTyped, Separators::Space).ForEach([&](TermKind kind, int row, std::string_view text) {
            taken.emplace_back(row, kind == TermKind::AttachAll ? "*" : std::string(text));
        });
        bool agree = taken.size() == typed.size();
        for (std::size_t i = 0; agree && i < typed.size(); ++i) {
            const TypedTerm& term = typed[i];
            const std::size_t valueAt = term.start + (term.prefixRow >= 0 ? TargetTable[term.prefixRow].prefix.size() : 0);
            agree = taken[i].first == std::max(term.prefixRow, 0) &&
                    taken[i].second == query.substr(valueAt, term.end - valueAt);
        }
        EXPECT_EQ(agree, c.agree) << c.query;
        EXPECT_EQ(ReadQuery(query, 0, Separators::Space, nullptr).misreadings > 0, c.flagged) << c.query;
        for (const TypedTerm& term : typed) {
            const TermAtCaret atEnd = FindTermAtCaret(query, term.end, Separators::Space);
            EXPECT_EQ(atEnd.found, !term.openPhrase) << c.query;
            EXPECT_EQ(atEnd.term.start, term.openPhrase ? 0 : term.start) << c.query;
        }
    }
}

} // namespace
