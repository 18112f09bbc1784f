// The schema read and saved through the settings file.
#include "settings/schema.h"

#include "settings/schema_names.h"
#include "settings/settings_file.h"

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

SavedState StateAtHand(const SettingsFile& settings) {
    SavedState state{{}, ScopeFromSettingValue(settings.AtHand(kScopeAtHand)),
                     settings.AtHand(kIncludeAllAtHand) == kTrue};
    for (std::size_t i = 0; i < kSavedHistoryEntries; ++i) {
        const std::string& value = settings.AtHand(kHistoryAtHand + i);
        if (!value.empty())
            state.history.push_back(value);
    }
    return state;
}

SavedState LoadSavedState(SettingsFile& settings) {
    KeepSchemaAtHand(settings);
    settings.Refresh();
    return StateAtHand(settings);
}

SaveResult SaveConfirmation(SettingsFile& settings, int scope, bool includeAll, const std::vector<std::string>* history) {
    return settings.Save(ConfirmationChanges(scope, includeAll, history));
}

SaveResult SaveHistory(SettingsFile& settings, const std::vector<std::string>& history) {
    return settings.Save(HistoryChanges(history));
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

std::vector<std::string> FavoriteNames(const SettingsFile& settings) {
    return settings.KeysWithValues(kFavoriteSection);
}

const KeyValueList& Favorites(const SettingsFile& settings) {
    return settings.ListOf(kFavoriteSection);
}

std::optional<std::string> RecallFavorite(const SettingsFile& settings, const std::string& name) {
    return settings.ReadValue(kFavoriteSection, name.c_str());
}

SaveResult StoreFavorite(SettingsFile& settings, const std::string& name, const std::optional<std::string>& text) {
    return settings.Save({FavoriteStored(name, text)});
}
