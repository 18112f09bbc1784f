#include "dialog/query_history_store.h"

#include "settings/heap_text.h"
#include "settings/settings_file.h"

#include <utility>

namespace {
const char kHistorySection[] = "History";
}

void LoadQueryHistory(QueryHistory& history, const SettingsFile& settings) {
    for (std::size_t i = 0; i < kSavedHistoryEntries; ++i) {
        std::string value = TakeHeapText(settings.ReadValue(kHistorySection, HistoryKey(i).c_str()));
        if (!value.empty())
            history.push_back(std::move(value));
    }
}

void ConfirmQuery(QueryHistory& history, const std::string& query, SettingsFile* settings) {
    InsertQuery(history, query);
    if (!settings)
        return;
    const std::vector<std::string> saved = EntriesToSave(history);
    for (std::size_t k = 0; k < saved.size(); ++k)
        settings->WriteValue(kHistorySection, HistoryKey(k).c_str(), saved[k].c_str());
}
