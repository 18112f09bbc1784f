// The schema read and saved through the settings file.
#include "settings/schema.h"

#include "settings/schema_names.h"
#include "settings/settings_file.h"

namespace {

// A value that cannot be read at all (no memory) counts as none.
std::string Read(const SettingsFile& settings, const char* section, const char* key) {
    return settings.ReadValue(section, key).value_or(std::string());
}

} // namespace

SavedState LoadSavedState(const SettingsFile& settings) {
    SavedState state{{}, ScopeFromSettingValue(Read(settings, kConfigSection, kScopeKey)),
                     Read(settings, kConfigSection, kIncludeAllKey) == kTrue};
    for (std::size_t i = 0; i < kSavedHistoryEntries; ++i) {
        std::string value = Read(settings, kHistorySection, HistoryKey(i).c_str());
        if (!value.empty())
            state.history.push_back(std::move(value));
    }
    return state;
}

SaveResult SaveConfirmation(SettingsFile& settings, int scope, bool includeAll, const std::vector<std::string>* history) {
    return settings.Save(ConfirmationChanges(scope, includeAll, history));
}

SaveResult SaveHistory(SettingsFile& settings, const std::vector<std::string>& history) {
    return settings.Save(HistoryChanges(history));
}

bool CloseInputMethodOnOpen(const SettingsFile& settings) {
    return Read(settings, kImeSection, kImeControlKey) == kSwitchOn;
}

bool FullWidthSpaceSeparates(const SettingsFile& settings) {
    return Read(settings, kConfigSection, kFullWidthSpaceKey) == kSwitchOn;
}

std::vector<std::string> FavoriteNames(const SettingsFile& settings) {
    return settings.KeysWithValues(kFavoriteSection);
}

std::optional<std::string> RecallFavorite(const SettingsFile& settings, const std::string& name) {
    return settings.ReadValue(kFavoriteSection, name.c_str());
}

SaveResult StoreFavorite(SettingsFile& settings, const std::string& name, const std::optional<std::string>& text) {
    return settings.Save({{kFavoriteSection, name, text}});
}
