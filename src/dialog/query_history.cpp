#include "dialog/query_history.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

void InsertQuery(QueryHistory& history, const std::string& query, std::size_t kept) {
    history.erase(std::remove(history.begin(), history.end(), query), history.end());
    history.insert(history.begin(), query);
    if (history.size() > kept)
        history.resize(kept);
}

void KeepFirstOfEach(QueryHistory& history) {
    std::unordered_set<std::string> seen;
    history.erase(std::remove_if(history.begin(), history.end(),
                                 [&](const std::string& entry) { return entry.empty() || !seen.insert(entry).second; }),
                  history.end());
}
