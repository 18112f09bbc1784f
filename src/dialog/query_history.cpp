#include "dialog/query_history.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

// Both build the new list beside the old one and swap it in: memory running
// out on the way leaves the history as it was, never short of an entry.

void InsertQuery(QueryHistory& history, const std::string& query, std::size_t kept) {
    QueryHistory updated;
    updated.reserve(std::min(history.size() + 1, kept));
    updated.push_back(query);
    for (const std::string& entry : history) {
        if (updated.size() < kept && entry != query)
            updated.push_back(entry);
    }
    history.swap(updated);
}

void KeepFirstOfEach(QueryHistory& history) {
    std::unordered_set<std::string_view> seen;
    QueryHistory kept;
    kept.reserve(history.size());
    for (const std::string& entry : history) {
        if (!entry.empty() && seen.insert(entry).second)
            kept.push_back(entry);
    }
    history.swap(kept);
}
