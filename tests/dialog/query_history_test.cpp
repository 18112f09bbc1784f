#include "dialog/query_history.h"
#include "settings/schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

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

TEST(QueryHistory, ConfirmMovesTheQueryToTheFrontKeepsTwentyAndSavesExactlyTheList) {
    Texts twentyOne = Numbered(20);
    twentyOne.insert(twentyOne.begin(), "new");
    Texts newestAgain = Numbered(20);
    std::rotate(newestAgain.begin(), newestAgain.begin() + 7, newestAgain.begin() + 8);
    const std::string tooLong(40000, 'x');

    const ConfirmCase cases[] = {
        {"new query", {"a", "b", "c"}, "d", {"d", "a", "b", "c"}, {"d", "a", "b", "c"}},
        {"repeated query", {"a", "b", "c"}, "b", {"b", "a", "c"}, {"b", "a", "c"}},
        {"the front again", {"a", "b"}, "a", {"a", "b"}, {"a", "b"}},
        {"case and spaces count", {"abc", "Abc"}, "abc ", {"abc ", "abc", "Abc"}, {"abc ", "abc", "Abc"}},
        {"empty history", {}, "x", {"x"}, {"x"}},
        {"twenty loaded, one more", Numbered(20), "new", Texts(twentyOne.begin(), twentyOne.begin() + 20),
         Texts(twentyOne.begin(), twentyOne.begin() + 20)},
        {"twenty loaded, the eighth again", Numbered(20), "q7", newestAgain, newestAgain},
        // Left out before the numbering: old0 is saved as history0 again.
        {"too long to save", {"old0", "old1", "old2"}, tooLong, {tooLong, "old0", "old1", "old2"},
         {"old0", "old1", "old2"}},
        {"too long once quoted", {"a"}, " " + std::string(31999, 'q'), {" " + std::string(31999, 'q'), "a"}, {"a"}},
    };
    for (const ConfirmCase& c : cases) {
        QueryHistory history = c.before;
        InsertQuery(history, c.query, kSavedHistoryEntries);
        EXPECT_EQ(history, c.after) << c.name;
        EXPECT_EQ(EntriesToSave(history), c.saved) << c.name;
        // The file gets exactly the list: every later key up to history19
        // goes.
        const std::vector<ProfileChange> changes = HistoryChanges(history);
        ASSERT_EQ(changes.size(), kSavedHistoryEntries) << c.name;
        for (std::size_t k = 0; k < changes.size(); ++k) {
            EXPECT_EQ(changes[k].key, HistoryKey(k)) << c.name;
            EXPECT_EQ(changes[k].value, k < c.saved.size() ? std::optional<std::string>(c.saved[k]) : std::nullopt)
                << c.name << ", " << k;
        }
    }
}

TEST(QueryHistory, ALoadedHistoryHoldsEachQueryOnceAtItsFirstPlace) {
    QueryHistory history = {"a", "b", "a", "", "c", "b", "A"};
    KeepFirstOfEach(history);
    EXPECT_EQ(history, (Texts{"a", "b", "c", "A"}));
}

TEST(QueryHistory, KeysAreNumberedWithoutLeadingZeros) {
    EXPECT_EQ(HistoryKey(0), "history0");
    EXPECT_EQ(HistoryKey(19), "history19");
}

} // namespace
