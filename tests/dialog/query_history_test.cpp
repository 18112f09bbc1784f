#include "dialog/query_history.h"
#include "settings/schema.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

struct ConfirmCase {
    const char* name;
    Texts before;
    std::string query;
    Texts after;
    Texts saved;
};

Texts Numbered(int count) {
    Texts texts;
    for (int i = 0; i < count; ++i)
        texts.push_back("q" + std::to_string(i));
    return texts;
}

TEST(QueryHistory, ConfirmInsertsBlanksDuplicatesAndSavesWithoutGaps) {
    Texts twentyOne = Numbered(20);
    twentyOne.insert(twentyOne.begin(), "new");
    Texts twentyWithBlank = Numbered(20);
    twentyWithBlank.insert(twentyWithBlank.begin(), "q0");
    twentyWithBlank[1].clear();
    Texts savedAfterBlank = Numbered(20);
    savedAfterBlank.pop_back();
    const std::string tooLong(40000, 'x');

    const ConfirmCase cases[] = {
        {"new query", {"a", "b", "c"}, "d", {"d", "a", "b", "c"}, {"d", "a", "b", "c"}},
        {"repeated query", {"a", "b", "c"}, "b", {"b", "a", "", "c"}, {"b", "a", "c"}},
        {"duplicate loaded", {"a", "b", "a"}, "c", {"c", "a", "b", ""}, {"c", "a", "b"}},
        {"case and spaces count", {"abc", "Abc"}, "abc ", {"abc ", "abc", "Abc"}, {"abc ", "abc", "Abc"}},
        {"empty history", {}, "x", {"x"}, {"x"}},
        {"blanks stay blank", {"a", "", "b", ""}, "b", {"b", "a", "", "", ""}, {"b", "a"}},
        {"twenty loaded, one more", Numbered(20), "new", twentyOne, Texts(twentyOne.begin(), twentyOne.begin() + 20)},
        {"twenty loaded, the newest again", Numbered(20), "q0", twentyWithBlank, savedAfterBlank},
        // Left out before the numbering: old0 is saved as history0 again.
        {"too long to save", {"old0", "old1", "old2"}, tooLong, {tooLong, "old0", "old1", "old2"},
         {"old0", "old1", "old2"}},
        {"too long once quoted", {"a"}, " " + std::string(31999, 'q'), {" " + std::string(31999, 'q'), "a"}, {"a"}},
    };
    for (const ConfirmCase& c : cases) {
        QueryHistory history = c.before;
        InsertQuery(history, c.query);
        EXPECT_EQ(history, c.after) << c.name;
        EXPECT_EQ(EntriesToSave(history), c.saved) << c.name;
    }
}

TEST(QueryHistory, KeysAreNumberedWithoutLeadingZeros) {
    EXPECT_EQ(HistoryKey(0), "history0");
    EXPECT_EQ(HistoryKey(19), "history19");
}

TEST(QueryHistory, ThousandsOfEntriesStayInMemory) {
    QueryHistory history;
    for (int i = 0; i < 5000; ++i)
        InsertQuery(history, "q" + std::to_string(i % 2500));
    ASSERT_EQ(history.size(), 5000u);
    EXPECT_EQ(history.front(), "q2499");
    EXPECT_EQ(history[2500], "");
    EXPECT_EQ(EntriesToSave(history).size(), 20u);
}

} // namespace
