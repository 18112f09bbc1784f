#include "dialog/query_history.h"

#include <string_view>
#include <unordered_set>

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
