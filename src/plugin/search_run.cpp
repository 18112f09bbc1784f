#include "plugin/search_run.h"

#include "dialog/search_dialog.h"
#include "plugin/attach.h"
#include "plugin/messages.h"
#include "plugin/session.h"
#include "query/terms.h"
#include "query/translate.h"
#include "query/word_escape.h"
#include "settings/registry.h"
#include "settings/settings_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kFavoritePrefix[] = "fav:";
const char kHelpQuery[] = "help:";
const char kDebugPrefix[] = "debug:";
const char kFavoriteSection[] = "Favorite";
const char kHelpFileName[] = "\\VelmoroMailSearch.txt";

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Owned copy of a registry string, empty when absent.
std::string RegistryText(const char* path) {
    char* value = static_cast<char*>(ReadRegistryString(path, nullptr));
    const std::string text = value ? value : "";
    std::free(value);
    return text;
}

void ShowMessage(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK);
}

void ShowHostProblem() {
    switch (g_session.hostProblem) {
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

// The macro's text, up to its first line break of any kind: the query field
// holds one line, and a break would travel on into the history.
void SetInitialText(const char* argument) {
    if (!argument || !*argument)
        return;
    std::string text = argument;
    text.erase(std::min(text.size(), text.find_first_of("\r\n")));
    const char* encoded = g_session.host.YenEncode(text.c_str());
    std::string initial = encoded ? encoded : EscapeWord(text);
    if (text.find(' ') != std::string::npos)
        initial = '"' + initial + '"';
    g_session.initialText = initial;
}

bool MacroRunsInMailClientWindow() {
    return g_session.host.IsVelmoroMailMain() || g_session.host.IsVelmoroMailGrep();
}

const char* CurrentAccount() {
    return reinterpret_cast<const char*>(g_session.host.ExecAtMain("CurrentAccount"));
}

const char* CurrentFolderOfScope() {
    if (MacroRunsInMailClientWindow())
        return g_session.host.CurrentFolder();
    return reinterpret_cast<const char*>(g_session.host.ExecAtMain("CurrentFolder"));
}

void ResolveScope(const char*& account, const char*& folder) {
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
        account = nullptr;
        folder = nullptr;
        break;
    }
}

enum class FavoriteOutcome { Search, Done };

// "fav:name" recalls, "fav:name text" stores, "fav:name """ deletes.
FavoriteOutcome HandleFavorite(std::string& query) {
    const std::string::size_type space = query.find(' ');
    const std::string::size_type nameStart = std::strlen(kFavoritePrefix);
    const SettingsFile* settings = g_session.settings;
    if (space == std::string::npos) {
        char* stored = settings ? settings->ReadValue(kFavoriteSection, query.c_str() + nameStart) : nullptr;
        if (stored)
            query = stored;
        std::free(stored);
        return FavoriteOutcome::Search;
    }
    if (space == nameStart)
        return FavoriteOutcome::Search;
    const std::string name = query.substr(nameStart, space - nameStart);
    const std::string text = query.substr(space + 1);
    if (!IsStorableFavoriteName(name)) {
        ShowMessage(kBadFavoriteNameMessage);
        return FavoriteOutcome::Done;
    }
    if (settings)
        settings->WriteValue(kFavoriteSection, name.c_str(), text == "\"\"" ? nullptr : text.c_str());
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

void HandOver(const std::string& expression, const char* account, const char* folder) {
    const HostApi& host = g_session.host;
    if (MacroRunsInMailClientWindow()) {
        host.SetFindPack(expression.c_str());
        host.StartDoGrep(account, folder);
        host.PushFindPack();
    } else {
        host.ExecAtMain("SetFindPack", expression.c_str());
        host.ExecAtMain("StartDoGrep", account, folder);
        host.ExecAtMain("PushFindPack");
    }
}

} // namespace

bool IsStorableFavoriteName(const std::string& name) {
    if (name.empty() || name.find_first_of("=\r\n") != std::string::npos)
        return false;
    const char first = name.front();
    const char last = name.back();
    if (first == '[' || first == ';')
        return false;
    return !std::strchr(" \t\v\f", first) && !std::strchr(" \t\v\f", last);
}

std::string BuildHelpCommandLine() {
    const std::string installFolder = RegistryText(kEditorInstallLocationPath);
    if (!installFolder.empty()) {
        const std::string macroFolder = RegistryText(kEditorMacroPathPath);
        const std::string& helpFolder = macroFolder.empty() ? installFolder : macroFolder;
        return "\"" + installFolder + "\\Velmoro.exe\" \"/j70 " + helpFolder + kHelpFileName + "\"";
    }
    std::string mailClientFolder = RegistryText(kMailClientFolderPath);
    // With nothing registered, the help file is the one beside this DLL.
    if (mailClientFolder.empty())
        mailClientFolder = ModuleFolder(g_session.module);
    return "notepad.exe \"" + mailClientFolder + kHelpFileName + "\"";
}

int RunSearch(const char* initialText) {
    if (g_session.hostProblem != HostProblem::None) {
        ShowHostProblem();
        return 0;
    }
    const HostApi& host = g_session.host;
    if (!host.IsVelmoroMail()) {
        ShowMessage(kNotInMailClientMessage);
        return 0;
    }
    const HWND mainWindow = host.MainWnd();
    if (!mainWindow) {
        ShowMessage(kMainWindowMissingMessage);
        return 0;
    }
    SetInitialText(initialText);
    if (ShowSearchDialog(mainWindow) != IDOK || g_session.history.empty())
        return 0;

    const char* account = nullptr;
    const char* folder = nullptr;
    ResolveScope(account, folder);

    std::string query = g_session.history.front();
    TrimSpaces(query);
    if (StartsWith(query, kFavoritePrefix) && HandleFavorite(query) == FavoriteOutcome::Done)
        return 0;
    if (query == kHelpQuery) {
        OpenHelpFile();
        return 0;
    }
    const std::string expression = StartsWith(query, kDebugPrefix)
                                       ? query.substr(std::strlen(kDebugPrefix))
                                       : TranslateQuery(query, g_session.scope, host.YenEncode);
    HandOver(expression, account, folder);
    return 0;
}
