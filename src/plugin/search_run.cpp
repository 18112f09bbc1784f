#include "plugin/search_run.h"

#include "dialog/search_dialog.h"
#include "plugin/attach.h"
#include "plugin/messages.h"
#include "plugin/session.h"
#include "query/language.h"
#include "query/translate.h"
#include "query/word_escape.h"
#include "settings/registry.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "settings/stored_value.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace {

const char kFavoritePrefix[] = "fav:";
const char kHelpQuery[] = "help:";
const char kDebugPrefix[] = "debug:";
const char kHelpFileName[] = "\\VelmoroMailSearch.txt";

// A string the host returned, copied at once: the host may hand out one
// buffer that its next call overwrites, or free it. Null stays null, and is
// passed on as null.
using HostText = std::optional<std::string>;

HostText CopyHostText(const char* text) {
    return text ? HostText(text) : std::nullopt;
}

const char* PassOn(const HostText& text) {
    return text ? text->c_str() : nullptr;
}

void ShowMessage(const char* text) {
    MessageBoxA(nullptr, text, nullptr, MB_OK);
}

void ShowMessage(const std::string& text) {
    ShowMessage(text.c_str());
}

void ShowHostProblem() {
    switch (g_session.hostProblem) {
    case HostProblem::NotBound:
        ShowMessage(kHostNotBoundMessage);
        break;
    case HostProblem::FolderNotRegistered:
        ShowMessage(kHostFolderNotRegisteredMessage);
        break;
    case HostProblem::LibraryNotLoaded:
        ShowMessage(std::string(kHostLibraryNotLoadedMessage) + "\n" + g_session.hostLibraryPath + "\n" +
                    kHostFolderSourceNote);
        break;
    case HostProblem::FunctionMissing:
        ShowMessage(std::string(kHostFunctionMissingMessage) + g_session.missingHostFunction + "\n" +
                    g_session.hostLibraryPath + "\n" + kHostFolderSourceNote);
        break;
    case HostProblem::None:
        break;
    }
}

// Once per process: where everything the user does is going to be lost.
void TellIfSettingsInMemoryOnly() {
    if (g_session.settingsInMemoryOnly && !g_session.toldSettingsInMemoryOnly) {
        g_session.toldSettingsInMemoryOnly = true;
        ShowMessage(kSettingsInMemoryOnlyMessage);
    }
}

// The macro's text, up to its first line break of any kind: the query field
// holds one line, and a break would travel on into the history.
void SetInitialText(const char* argument) {
    if (!argument || !*argument)
        return;
    std::string text = argument;
    text.erase(std::min(text.size(), text.find_first_of("\r\n")));
    const HostText encoded = CopyHostText(g_session.host.YenEncode(text.c_str()));
    std::string initial = encoded ? *encoded : EscapeWord(text);
    if (text.find(' ') != std::string::npos)
        initial = '"' + initial + '"';
    g_session.initialText = std::move(initial);
}

SearchDialogChoice AskUser(HWND mainWindow) {
    const SearchDialogState state{g_session.initialText, g_session.history, g_session.scope, g_session.includeAll,
                                  g_session.settings && CloseInputMethodOnOpen(*g_session.settings)};
    return ShowSearchDialog(g_session.module, mainWindow, state);
}

// OK keeps the scope and the check box, with a query or without, and a
// confirmed query goes to the front of the history: all in one save. A file
// that cannot be written is told once; the run goes on from memory.
void KeepChoice(const SearchDialogChoice& choice) {
    g_session.scope = choice.scope;
    g_session.includeAll = choice.includeAll;
    const bool confirmed = choice.result == IDOK;
    if (confirmed)
        InsertQuery(g_session.history, choice.query);
    if (!g_session.settings ||
        SaveConfirmation(*g_session.settings, choice.scope, choice.includeAll, confirmed ? &g_session.history : nullptr))
        return;
    if (!g_session.toldSettingsNotSaved) {
        g_session.toldSettingsNotSaved = true;
        ShowMessage(std::string(kSettingsNotSavedMessage) + "\n" + g_session.settings->Path());
    }
}

bool MacroRunsInMailClientWindow() {
    return g_session.host.IsVelmoroMailMain() || g_session.host.IsVelmoroMailGrep();
}

HostText CurrentAccount() {
    return CopyHostText(reinterpret_cast<const char*>(g_session.host.ExecAtMain("CurrentAccount")));
}

HostText CurrentFolderOfScope() {
    if (MacroRunsInMailClientWindow())
        return CopyHostText(g_session.host.CurrentFolder());
    return CopyHostText(reinterpret_cast<const char*>(g_session.host.ExecAtMain("CurrentFolder")));
}

// Where the search runs. The host's strings are copied as they come, before
// the next call to it.
void ResolveScope(HostText& account, HostText& folder) {
    switch (g_session.scope) {
    case kScopeCurrentFolder:
    case kScopeWithSubfolders:
        account = CurrentAccount();
        folder = CurrentFolderOfScope();
        break;
    case kScopeCurrentAccount:
        account = CurrentAccount();
        folder = g_session.includeAll ? "" : kAllAccountsFolders;
        break;
    case kScopeAllAccounts:
        account = "";
        folder = g_session.includeAll ? "" : kAllAccountsFolders;
        break;
    default:
        break;
    }
}

enum class FavoriteOutcome { Search, Done };

// "fav:name" recalls, "fav:name text" stores, "fav:name """ deletes.
FavoriteOutcome HandleFavorite(std::string& query) {
    const std::string::size_type space = query.find(' ');
    const std::string::size_type nameStart = std::strlen(kFavoritePrefix);
    if (space == std::string::npos) {
        // Only a value that cannot be read at all (no memory) leaves the
        // query as it is.
        if (g_session.settings) {
            if (std::optional<std::string> stored = RecallFavorite(*g_session.settings, query.substr(nameStart)))
                query = std::move(*stored);
        }
        return FavoriteOutcome::Search;
    }
    if (space == nameStart)
        return FavoriteOutcome::Search;
    const std::string name = query.substr(nameStart, space - nameStart);
    const std::string text = query.substr(space + 1);
    const std::optional<std::string> value = text == "\"\"" ? std::nullopt : std::optional<std::string>(text);
    if (!CanStoreKeyName(name))
        ShowMessage(kBadFavoriteNameMessage);
    else if (value && !CanStoreValue(text))
        ShowMessage(kFavoriteTooLongMessage);
    else if (!g_session.settings || !StoreFavorite(*g_session.settings, name, value))
        ShowMessage(std::string(kFavoriteNotSavedMessage) + "\n" + (g_session.settings ? g_session.settings->Path() : ""));
    return FavoriteOutcome::Done;
}

void OpenHelpFile() {
    if (g_session.helpCommandLine.empty())
        g_session.helpCommandLine = BuildHelpCommandLine();
    std::string commandLine = g_session.helpCommandLine; // CreateProcessA may write to it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void HandOver(const std::string& expression, const HostText& account, const HostText& folder) {
    const HostApi& host = g_session.host;
    if (MacroRunsInMailClientWindow()) {
        host.SetFindPack(expression.c_str());
        host.StartDoGrep(PassOn(account), PassOn(folder));
        host.PushFindPack();
    } else {
        host.ExecAtMain("SetFindPack", expression.c_str());
        host.ExecAtMain("StartDoGrep", PassOn(account), PassOn(folder));
        host.ExecAtMain("PushFindPack");
    }
}

void RunSteps(const char* initialText) {
    if (g_session.hostProblem != HostProblem::None) {
        ShowHostProblem();
        return;
    }
    const HostApi& host = g_session.host;
    if (!host.IsVelmoroMail()) {
        ShowMessage(kNotInMailClientMessage);
        return;
    }
    const HWND mainWindow = host.MainWnd();
    if (!mainWindow) {
        ShowMessage(kMainWindowMissingMessage);
        return;
    }
    TellIfSettingsInMemoryOnly();
    SetInitialText(initialText);
    const SearchDialogChoice choice = AskUser(mainWindow);
    if (choice.confirmed)
        KeepChoice(choice);
    if (choice.ranOutOfMemory) {
        ShowMessage(kOutOfMemoryMessage);
        return;
    }
    if (choice.result != IDOK)
        return;

    HostText account;
    HostText folder;
    ResolveScope(account, folder);

    std::string query = g_session.history.front();
    TrimSpaces(query);
    if (StartsWith(query, kFavoritePrefix) && HandleFavorite(query) == FavoriteOutcome::Done)
        return;
    if (query == kHelpQuery) {
        OpenHelpFile();
        return;
    }
    const std::string expression = StartsWith(query, kDebugPrefix)
                                       ? query.substr(std::strlen(kDebugPrefix))
                                       : TranslateQuery(query, g_session.scope, host.YenEncode);
    HandOver(expression, account, folder);
}

} // namespace

std::string BuildHelpCommandLine() {
    const std::string installFolder = ReadRegistryString(kEditorInstallLocationPath).value_or(std::string());
    // The help file lies beside the settings, wherever they are.
    const std::string helpFile = PluginFolder(g_session.module) + kHelpFileName;
    if (!installFolder.empty())
        return "\"" + installFolder + "\\Velmoro.exe\" \"/j70 " + helpFile + "\"";
    return "notepad.exe \"" + helpFile + "\"";
}

int RunSearch(const char* initialText) noexcept {
    try {
        RunSteps(initialText);
    } catch (...) {
        // Out of memory (bad_alloc), or a query too long to translate at all
        // (length_error): nothing is handed over, and the history and the
        // settings stay as they were saved.
        ShowMessage(kOutOfMemoryMessage);
    }
    return 0;
}
