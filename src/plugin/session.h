// The process-wide state of the plug-in: filled at process attach, changed by
// the search runs, which apply what the user chose in the dialog.
#pragma once

#include "dialog/query_history.h"
#include "plugin/help_file.h"
#include "plugin/host_api.h"
#include "query/scope.h"

#include <windows.h>

#include <string>

class SettingsFile;

// Why the host functions cannot be used, if they cannot.
enum class HostProblem {
    None,
    NotBound,            // not bound yet: attach ran out of memory first, and the run binds them
    FolderNotRegistered, // no PellarinDir in the registry
    LibraryNotLoaded,    // PellInfo.dll could not be loaded from that folder
    FunctionMissing,     // the library lacks one of the functions
};

struct SearchSession {
    HMODULE module = nullptr;
    HMODULE hostLibrary = nullptr;
    HostApi host{};
    HostProblem hostProblem = HostProblem::NotBound;
    std::string hostLibraryPath;     // where PellInfo.dll was looked for
    std::string missingHostFunction; // with FunctionMissing
    int scope = kScopeCurrentFolder; // the id of the selected scope button
    bool includeAll = false;         // unsent mail, drafts and the trash too
    SettingsFile* settings = nullptr;
    bool settingsInMemoryOnly = false; // no folder for the settings file
    bool toldSettingsInMemoryOnly = false;
    bool toldSettingsNotSaved = false; // a save of the history and the scope failed
    QueryHistory history;
    std::string initialText;
    bool runInProgress = false;    // a search run has not returned yet
    HWND mainWindow = nullptr;     // the mail client's, once the run knows it
    HWND openWindow = nullptr;     // the run's dialog or message box, while one is open
    HelpLaunch help; // the help command line and its program, built by the first "help:"
};

extern SearchSession g_session;
