#include "plugin/attach.h"

#include "dialog/query_history_store.h"
#include "plugin/session.h"
#include "settings/registry.h"
#include "settings/settings_file.h"

#include <cstdlib>
#include <cstring>
#include <new>

SearchSession g_session;

const char kConfigSection[] = "Config";
const char kScopeKey[] = "radio";
const char kIncludeAllKey[] = "check";

namespace {

const char kSettingsFileName[] = "\\VelmoroMailSearch.ini";
const char kHostLibraryName[] = "PellInfo.dll";

// With no folder registered the settings live beside this DLL: they must
// live somewhere, or everything the user does is lost.
std::string SettingsPath(HMODULE module) {
    char* registered = FindPluginFolder();
    const std::string folder = registered ? registered : ModuleFolder(module);
    std::free(registered);
    return folder + kSettingsFileName;
}

int ScopeFromSetting(const char* value) {
    static const char* const kValues[] = {"1", "2", "3", "4"};
    for (int i = 0; i < 4; ++i) {
        if (value && std::strcmp(value, kValues[i]) == 0)
            return 1001 + i;
    }
    return 1001;
}

template <typename Function>
bool Bind(HMODULE library, const char* name, Function& slot) {
    const FARPROC address = GetProcAddress(library, name);
    // Through the generic function type, which the compiler accepts quietly.
    slot = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    if (!address && g_session.missingHostFunction.empty())
        g_session.missingHostFunction = name;
    return address != nullptr;
}

void BindHostLibrary() {
    char* folder = static_cast<char*>(ReadRegistryString(kMailClientFolderPath, nullptr));
    if (!folder) {
        g_session.hostProblem = HostProblem::FolderNotRegistered;
        return;
    }
    // The registered folder ends with its separator.
    g_session.hostLibraryPath = std::string(folder) + kHostLibraryName;
    std::free(folder);
    g_session.hostLibrary = LoadLibraryA(g_session.hostLibraryPath.c_str());
    if (!g_session.hostLibrary) {
        g_session.hostProblem = HostProblem::LibraryNotLoaded;
        return;
    }
    const HMODULE library = g_session.hostLibrary;
    HostApi& host = g_session.host;
    bool bound = Bind(library, "StartDoGrep", host.StartDoGrep);
    bound &= Bind(library, "SetFindPack", host.SetFindPack);
    bound &= Bind(library, "CurrentFolder", host.CurrentFolder);
    bound &= Bind(library, "YenEncode", host.YenEncode);
    bound &= Bind(library, "ExecAtMain", host.ExecAtMain);
    bound &= Bind(library, "IsVelmoroMail", host.IsVelmoroMail);
    bound &= Bind(library, "IsVelmoroMailMain", host.IsVelmoroMailMain);
    bound &= Bind(library, "IsVelmoroMailGrep", host.IsVelmoroMailGrep);
    bound &= Bind(library, "MainWnd", host.MainWnd);
    bound &= Bind(library, "PushFindPack", host.PushFindPack);
    if (!bound)
        g_session.hostProblem = HostProblem::FunctionMissing;
}

} // namespace

std::string ModuleFolder(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return ".";
    std::string folder(path, length);
    const std::string::size_type slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? "." : folder.substr(0, slash);
}

void AttachProcess(HMODULE module) {
    g_session.settings = new (std::nothrow) SettingsFile(SettingsPath(module).c_str());
    if (const SettingsFile* settings = g_session.settings) {
        LoadQueryHistory(g_session.history, *settings);

        char* scope = settings->ReadValue(kConfigSection, kScopeKey);
        g_session.scope = ScopeFromSetting(scope);
        std::free(scope);

        char* includeAll = settings->ReadValue(kConfigSection, kIncludeAllKey);
        g_session.includeAll = includeAll && std::strcmp(includeAll, "TRUE") == 0;
        std::free(includeAll);
    }
    BindHostLibrary();
}

void DetachProcess() {
    delete g_session.settings;
    g_session.settings = nullptr;
}
