// What the plug-in keeps in its settings file, and under which names: the
// one place that knows the file's sections, keys and values.
//
//   [History]   history0 .. history19   the newest saved queries, newest first
//   [Config]    radio=1..4              the scope: buttons 1001..1004
//               check=TRUE|FALSE        unsent mail, drafts and the trash too
//               fullwidthspace=1        a full-width space separates terms
//               suggest=0               no suggestion list under the query field
//   [IME]       control=1               the input method goes off as the dialog opens
//   [Favorite]  name=query              the favourites
//
// [IME], fullwidthspace and suggest are set by hand only.
#pragma once

#include "settings/profile_text.h"
#include "settings/settings_file.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The history holds the newest 20 queries, in memory as in the file.
constexpr std::size_t kSavedHistoryEntries = 20;

// "history" followed by the number in decimal: the key of a saved position.
std::string HistoryKey(std::size_t number);

// The texts to save under history0, history1, ... in that order: the entries
// among the first 20 positions that are neither empty nor too long for the
// file. Those are left out before the rest are numbered.
std::vector<std::string> EntriesToSave(const std::vector<std::string>& history);

// What saves the history: history0 onwards set to EntriesToSave, and every
// history key after the last one written deleted, up to history19, so that
// the file holds exactly the list and no older text where the next process
// loads it.
std::vector<ProfileChange> HistoryChanges(const std::vector<std::string>& history);

// The scope as the file keeps it: "1" to "4"; "1" for anything else.
const char* ScopeSettingValue(int scope);

// The scope a value names, only when it is exactly "1" to "4"; the current
// folder for anything else.
int ScopeFromSettingValue(const std::string& value);

// What a confirmed dialog saves, in one save: the scope and the check box,
// then, when a query was confirmed, the history.
std::vector<ProfileChange> ConfirmationChanges(int scope, bool includeAll, const std::vector<std::string>* history);

// What process attach restores, and a run takes again when another process
// has changed the file.
struct SavedState {
    std::vector<std::string> history; // the values of history0..19 that are not empty, in order, each once
    int scope;
    bool includeAll;
};

// Has the file keep at hand what every run needs: the scope, the check box,
// the two hand-set switches and the history.
void KeepSchemaAtHand(SettingsFile& settings);

// The saved state among the values at hand.
SavedState StateAtHand(const SettingsFile& settings);

// Keeps the schema at hand, reads the file if it changed, and gives the
// saved state.
SavedState LoadSavedState(SettingsFile& settings);

// Saves a confirmed dialog (ConfirmationChanges). A failure leaves the file
// as it was.
SaveResult SaveConfirmation(SettingsFile& settings, int scope, bool includeAll, const std::vector<std::string>* history);

// A change to the history: a query put in front, an entry taken out.
using HistoryChange = std::function<void(std::vector<std::string>& history)>;

// Saves the changes and a change to the history in one save. The history
// is changed as the file holds it at the moment of the save, under its lock
// (another process may have saved since this one read it), and `history`
// becomes that list; where the save fails, `history` takes the change alone,
// as the file could not.
SaveResult SaveWithHistoryChange(SettingsFile& settings, const std::vector<ProfileChange>& changes,
                                 std::optional<std::size_t> asking, const HistoryChange& change,
                                 std::vector<std::string>& history);

// The hand-set switches, among the values at hand.
bool CloseInputMethodOnOpen(const SettingsFile& settings);
bool FullWidthSpaceSeparates(const SettingsFile& settings);
bool SuggestionsOn(const SettingsFile& settings);

// The favourite stored under `name`; empty when none is; nothing when memory
// runs out.
std::optional<std::string> RecallFavorite(SettingsFile& settings, const std::string& name);

// The names of the favourites stored, in the file's order.
std::vector<std::string> FavoriteNames(SettingsFile& settings);

// The favourites stored, names and texts, in the file's order (see
// SettingsFile::ListOf).
std::shared_ptr<const KeyValueList> Favorites(SettingsFile& settings);

// The change that stores a favourite, or deletes it (no text).
ProfileChange FavoriteStored(const std::string& name, const std::optional<std::string>& text);

// Stores a favourite, or deletes it (no text), in a save of its own. A
// failure leaves the file as it was.
SaveResult StoreFavorite(SettingsFile& settings, const std::string& name, const std::optional<std::string>& text);
