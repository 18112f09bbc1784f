#include "settings/schema.h"

#include "query/scope.h"
#include "settings/schema_names.h"
#include "settings/stored_value.h"

std::string HistoryKey(std::size_t number) {
    return kHistoryKeyStem + std::to_string(number);
}

std::vector<std::string> EntriesToSave(const std::vector<std::string>& history) {
    std::vector<std::string> saved;
    for (std::size_t i = 0; i < history.size() && i < kSavedHistoryEntries; ++i) {
        if (!history[i].empty() && CanStoreValue(history[i]))
            saved.push_back(history[i]);
    }
    return saved;
}

const char* ScopeSettingValue(int scope) {
    static const char* const kValues[] = {"1", "2", "3", "4"};
    return kValues[IsScope(scope) ? scope - kScopeCurrentFolder : 0];
}

int ScopeFromSettingValue(const std::string& value) {
    for (int scope = kScopeCurrentFolder; scope <= kScopeAllAccounts; ++scope) {
        if (value == ScopeSettingValue(scope))
            return scope;
    }
    return kScopeCurrentFolder;
}

std::vector<ProfileChange> HistoryChanges(const std::vector<std::string>& history) {
    const std::vector<std::string> saved = EntriesToSave(history);
    std::vector<ProfileChange> changes;
    for (std::size_t k = 0; k < kSavedHistoryEntries; ++k) {
        changes.push_back({kHistorySection, HistoryKey(k),
                           k < saved.size() ? std::optional<std::string>(saved[k]) : std::nullopt});
    }
    return changes;
}

ProfileChange FavoriteStored(const std::string& name, const std::optional<std::string>& text) {
    return {kFavoriteSection, name, text};
}

std::vector<ProfileChange> ConfirmationChanges(int scope, bool includeAll, const std::vector<std::string>* history) {
    std::vector<ProfileChange> changes = {
        {kConfigSection, kScopeKey, ScopeSettingValue(scope)},
        {kConfigSection, kIncludeAllKey, includeAll ? kTrue : kFalse},
    };
    if (history) {
        const std::vector<ProfileChange> saved = HistoryChanges(*history);
        changes.insert(changes.end(), saved.begin(), saved.end());
    }
    return changes;
}
