#include "dialog/query_history.h"

#include "settings/stored_value.h"

#include <string_view>
#include <unordered_set>

std::string HistoryKey(std::size_t number) {
    return "history" + std::to_string(number);
}

void InsertQuery(QueryHistory& history, const std::string& query) {
    history.insert(history.begin(), query);
    // One pass with a set of the texts seen: the history in memory may hold
    // thousands of entries after a long day.
    std::unordered_set<std::string_view> seen;
    seen.reserve(history.size());
    for (std::string& entry : history) {
        if (!seen.insert(entry).second)
            entry.clear();
    }
}

std::vector<std::string> EntriesToSave(const QueryHistory& history) {
    std::vector<std::string> saved;
    for (std::size_t i = 0; i < history.size() && i < kSavedHistoryEntries; ++i) {
        if (!history[i].empty() && CanStoreValue(history[i]))
            saved.push_back(history[i]);
    }
    return saved;
}
