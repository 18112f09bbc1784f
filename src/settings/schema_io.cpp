// The schema read and saved through the settings file.
#include "settings/schema.h"

#include "settings/schema_names.h"
#include "settings/settings_file.h"

#include <algorithm>

namespace {

// Where each key stands in the list kept at hand.
enum AtHandPlace : std::size_t {
    kScopeAtHand,
    kIncludeAllAtHand,
    kFullWidthSpaceAtHand,
    kSuggestAtHand,
    kImeControlAtHand,
    kHistoryAtHand
};

} // namespace

void KeepSchemaAtHand(SettingsFile& settings) {
    std::vector<ProfileKey> keys = {{kConfigSection, kScopeKey},
                                    {kConfigSection, kIncludeAllKey},
                                    {kConfigSection, kFullWidthSpaceKey},
                                    {kConfigSection, kSuggestKey},
                                    {kImeSection, kImeControlKey}};
    for (std::size_t i = 0; i < kSavedHistoryEntries; ++i)
        keys.push_back({kHistorySection, HistoryKey(i)});
    settings.KeepAtHand(std::move(keys));
}

namespace {

// The history among the values at hand: its entries that are not empty, in
// order, each once.
std::vector<std::string> HistoryAtHand(const std::vector<std::string>& atHand) {
    std::vector<std::string> history;
    for (std::size_t i = 0; i < kSavedHistoryEntries; ++i) {
        const std::string& value = atHand[kHistoryAtHand + i];
        if (!value.empty() && std::find(history.begin(), history.end(), value) == history.end())
            history.push_back(value);
    }
    return history;
}

} // namespace

SavedState StateAtHand(const SettingsFile& settings) {
    return {HistoryAtHand(settings.ValuesAtHand()),
            ScopeFromSettingValue(settings.AtHand(kScopeAtHand)), settings.AtHand(kIncludeAllAtHand) == kTrue};
}

SaveResult SaveWithHistoryChange(SettingsFile& settings, const std::vector<ProfileChange>& changes,
                                 std::optional<std::size_t> asking, const HistoryChange& change,
                                 std::vector<std::string>& history) {
    std::vector<std::string> merged;
    const SaveResult saved = settings.Save(changes, asking, [&](const std::vector<std::string>& atHand) {
        merged = HistoryAtHand(atHand);
        change(merged);
        return HistoryChanges(merged);
    });
    if (saved)
        history.swap(merged);
    else
        change(history);
    return saved;
}

SavedState LoadSavedState(SettingsFile& settings) {
    KeepSchemaAtHand(settings);
    settings.Refresh();
    return StateAtHand(settings);
}

SaveResult SaveConfirmation(SettingsFile& settings, int scope, bool includeAll, const std::vector<std::string>* history) {
    return settings.Save(ConfirmationChanges(scope, includeAll, history));
}


bool CloseInputMethodOnOpen(const SettingsFile& settings) {
    return settings.AtHand(kImeControlAtHand) == kSwitchOn;
}

bool FullWidthSpaceSeparates(const SettingsFile& settings) {
    return settings.AtHand(kFullWidthSpaceAtHand) == kSwitchOn;
}

bool SuggestionsOn(const SettingsFile& settings) {
    return settings.AtHand(kSuggestAtHand) != kSwitchOff;
}

std::vector<std::string> FavoriteNames(SettingsFile& settings) {
    return settings.KeysWithValues(kFavoriteSection);
}

std::shared_ptr<const KeyValueList> Favorites(SettingsFile& settings) {
    return settings.ListOf(kFavoriteSection);
}

std::optional<std::string> RecallFavorite(SettingsFile& settings, const std::string& name) {
    return settings.ReadValue(kFavoriteSection, name.c_str());
}

SaveResult StoreFavorite(SettingsFile& settings, const std::string& name, const std::optional<std::string>& text) {
    return settings.Save({FavoriteStored(name, text)});
}
