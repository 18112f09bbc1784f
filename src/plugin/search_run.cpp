#include "plugin/search_run.h"

#include "dialog/search_dialog.h"
#include "plugin/attach.h"
#include "plugin/help_file.h"
#include "plugin/host.h"
#include "plugin/messages.h"
#include "plugin/session.h"
#include "plugin/text_commands.h"
#include "query/language.h"
#include "query/translate.h"
#include "settings/schema.h"
#include "settings/settings_file.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

// An entry the user removed from the list goes from the history and the
// file at once, whatever the dialog then ends with; from the history as the
// file holds it, so that what another process saved meanwhile stays. A
// favourite of the same text stays: it is no entry of the history.
void RemoveHistoryEntry(std::size_t place) {
    if (place >= g_session.history.size())
        return;
    const std::string removed = g_session.history[place];
    const HistoryChange removeIt = [&removed](QueryHistory& history) {
        history.erase(std::remove(history.begin(), history.end(), removed), history.end());
    };
    if (!g_session.settings) {
        removeIt(g_session.history);
        return;
    }
    if (const SaveResult saved = SaveWithHistoryChange(*g_session.settings, {}, std::nullopt, removeIt, g_session.history);
        !saved)
        TellSettingsNotSaved(g_session, saved);
}

// The state another process (another window of the mail client) saved, or a
// hand edit, is taken at the next run: the file is read only when it changed.
void TakeStateSavedElsewhere() {
    if (!g_session.settings || !g_session.settings->Refresh())
        return;
    SavedState saved = StateAtHand(*g_session.settings);
    KeepFirstOfEach(saved.history);
    g_session.history.swap(saved.history);
    g_session.scope = saved.scope;
    g_session.includeAll = saved.includeAll;
}

// The favourites the suggestion list offers, read from the file when "fav:"
// is first typed in the run (or as listed before, while the file is as this
// process left it).
std::shared_ptr<const PackedFavorites> StoredFavorites() {
    return g_session.settings ? Favorites(*g_session.settings) : nullptr;
}

SearchDialogChoice AskUser(HWND mainWindow, Separators separators) {
    SearchDialogState state{g_session.initialText, g_session.history, g_session.scope, g_session.includeAll,
                            g_session.settings && CloseInputMethodOnOpen(*g_session.settings),
                            &g_session.openWindow, RemoveHistoryEntry};
    state.suggest = !g_session.settings || SuggestionsOn(*g_session.settings);
    state.separators = separators;
    std::optional<FavoriteSuggestions> favorites;
    state.favorites = [&favorites]() -> const FavoriteSuggestions* {
        if (!favorites)
            favorites = MakeFavoriteSuggestions(StoredFavorites());
        return &*favorites;
    };
    return ShowSearchDialog(g_session.module, mainWindow, state);
}

// OK keeps the scope and the check box, with a query or without; a
// confirmed query goes to the front of the history, and a favourite it
// stores goes with it: all in one save, so the file holds all of it or none.
// A file that cannot be written is told once (and a favourite each time);
// the run goes on from memory. A favourite is told stored or deleted; one
// that would replace another text asks first. What the query asks for.
QueryRequest KeepChoice(const SearchDialogChoice& choice, Separators separators) {
    g_session.scope = choice.scope;
    g_session.includeAll = choice.includeAll;
    const bool confirmed = choice.result == IDOK;
    QueryRequest request{QueryRequest::Done, {}, {}};
    if (confirmed) {
        std::string query = choice.query;
        TrimSpaces(query, separators);
        request = ReadQueryRequest(query, separators);
    }
    std::vector<ProfileChange> changes = ConfirmationChanges(choice.scope, choice.includeAll, nullptr);
    const bool storing = request.kind == QueryRequest::StoreFavorite && !RefuseFavorite(g_session, request);
    std::optional<std::size_t> asking;
    if (storing) {
        asking = changes.size();
        changes.push_back(FavoriteChange(request));
    }
    SettingsFile& settings = *g_session.settings; // there once attach is complete
    // The query goes in front of the history as the file holds it: a query
    // another process confirmed meanwhile stays.
    const HistoryChange putInFront = [&choice](QueryHistory& history) {
        InsertQuery(history, choice.query, kSavedHistoryEntries);
    };
    const SaveResult saved = confirmed
                                 ? SaveWithHistoryChange(settings, changes, asking, putInFront, g_session.history)
                                 : settings.Save(changes, asking);
    if (!saved) {
        TellSettingsNotSaved(g_session, saved);
        if (storing)
            TellFavoriteNotSaved(g_session, saved);
    } else if (storing) {
        AnswerFavoriteSaved(g_session, request, saved);
    }
    return request;
}

// The help file is looked for at every "help:", so that one put in place
// meanwhile opens at once; a missing one is named where it belongs, and
// nothing is started on a file that is not there.
void OpenHelpFile() {
    if (g_session.help.commandLine.empty())
        g_session.help = BuildHelpLaunch(g_session.module);
    if (!HelpFileIsThere(g_session.help)) {
        ShowMessage(g_session, HelpFileMissingMessage(g_session.help.helpFile), MessageKind::Warning);
        return;
    }
    StartProgram(g_session.help);
}

void RunSteps(const char* initialText) {
    CompleteAttach(g_session.module);
    if (g_session.hostProblem != HostProblem::None) {
        ShowHostProblem(g_session);
        return;
    }
    const HostApi& host = g_session.host;
    if (!host.IsVelmoroMail()) {
        ShowRefusal(g_session, kNotInMailClientMessage);
        return;
    }
    const HWND mainWindow = host.MainWnd();
    if (!mainWindow) {
        ShowRefusal(g_session, kMainWindowMissingMessage);
        return;
    }
    g_session.mainWindow = mainWindow;
    TellIfSettingsInMemoryOnly(g_session);
    TakeStateSavedElsewhere();
    if (std::optional<std::string> initial = InitialTextFor(host, initialText))
        g_session.initialText = std::move(*initial);

    const Separators separators = g_session.settings && FullWidthSpaceSeparates(*g_session.settings)
                                      ? Separators::SpaceAndFullWidthSpace
                                      : Separators::Space;
    const SearchDialogChoice choice = AskUser(mainWindow, separators);
    // A dialog that ran out of memory keeps nothing, not even the scope of
    // an OK half handled.
    if (choice.ranOutOfMemory) {
        ShowMessage(g_session, kOutOfMemoryMessage, MessageKind::Warning);
        return;
    }
    if (!choice.confirmed)
        return;
    QueryRequest request = KeepChoice(choice, separators);
    if (choice.result != IDOK)
        return;

    const SearchPlace place = ResolveScope(host, g_session.scope, g_session.includeAll);
    if (request.kind == QueryRequest::RecallFavorite)
        request = RecallFavorite(g_session, request.text, separators);
    switch (request.kind) {
    case QueryRequest::RecallFavorite:
    case QueryRequest::StoreFavorite:
    case QueryRequest::Done:
        return;
    case QueryRequest::OpenHelp:
        OpenHelpFile();
        return;
    case QueryRequest::RawExpression:
        HandOver(host, request.text, place);
        return;
    case QueryRequest::Search:
        HandOver(host, TranslateQuery(request.text, g_session.scope, host.YenEncode, separators), place);
        return;
    }
}

} // namespace

// One run at a time. While a run's dialog or message box is open, its
// message loop runs, and a macro (on a timer, say) may call `search` again:
// that call changes nothing and only brings the open window to the front.
int RunSearch(const char* initialText) noexcept {
    if (g_session.runInProgress) {
        if (g_session.openWindow)
            SetForegroundWindow(g_session.openWindow);
        return 0;
    }
    g_session.runInProgress = true;
    g_session.mainWindow = nullptr; // known again once the host is asked
    try {
        RunSteps(initialText);
    } catch (...) {
        // Out of memory (bad_alloc), or a query too long to translate at all
        // (length_error): nothing is handed over, and the history and the
        // settings stay as they were saved. The message takes no memory.
        ShowMessage(g_session, kOutOfMemoryMessage, MessageKind::Warning);
    }
    g_session.runInProgress = false;
    return 0;
}
