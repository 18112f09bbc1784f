#include "plugin/attach.h"

#include "plugin/session.h"
#include "settings/registry.h"
#include "settings/schema.h"
#include "settings/settings_file.h"

#include <cctype>
#include <memory>
#include <vector>

namespace {

const char kSettingsFileName[] = "\\VelmoroMailSearch.ini";
const char kHostLibraryName[] = "PellInfo.dll";

// The folder of a module, without a trailing backslash; empty when it cannot
// be told.
std::string ModuleFolder(HMODULE module) {
    // Long enough for any path the system allows.
    std::vector<char> path(32768);
    const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return "";
    const std::string file(path.data(), length);
    const std::string::size_type slash = file.find_last_of("\\/");
    return slash == std::string::npos ? "" : file.substr(0, slash);
}

template <typename Function>
bool Bind(HMODULE library, const char* name, Function& slot, const char*& missing) {
    const FARPROC address = GetProcAddress(library, name);
    // Through the generic function type, which the compiler accepts quietly.
    slot = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
    if (!address && !missing)
        missing = name;
    return address != nullptr;
}

// What binding found is put in place only once it is all known: memory
// running out on the way leaves the host unbound, to be bound by a run.
void BindHostLibrary() {
    const std::optional<std::string> folder = ReadRegistryString(kMailClientFolderPath);
    if (!folder) {
        g_session.hostProblem = HostProblem::FolderNotRegistered;
        return;
    }
    // The registered folder ends with its separator. A path that is not a
    // full one would be looked for along the search path, the current
    // folder included, where anyone could have put a PellInfo.dll.
    std::string path = *folder + kHostLibraryName;
    const HMODULE library = IsFullPath(path) ? LoadLibraryA(path.c_str()) : nullptr;
    HostApi host{};
    const char* missing = nullptr;
    bool bound = library != nullptr;
    if (library) {
#define VELMORO_BIND(name, result, parameters) bound &= Bind(library, #name, host.name, missing);
        VELMORO_HOST_FUNCTIONS(VELMORO_BIND)
#undef VELMORO_BIND
    }
    std::string missingName = missing ? missing : "";
    g_session.hostLibraryPath.swap(path);
    g_session.missingHostFunction.swap(missingName);
    g_session.hostLibrary = library;
    g_session.host = host;
    g_session.hostProblem = !library ? HostProblem::LibraryNotLoaded
                            : bound  ? HostProblem::None
                                     : HostProblem::FunctionMissing;
}

// Likewise the settings: put in place whole, or not at all.
void RestoreSettings(HMODULE module) {
    const std::string folder = PluginFolder(module);
    // With no folder, nothing is written anywhere: a relative path would put
    // the file in the Windows folder.
    const std::string path = folder.empty() ? "" : folder + kSettingsFileName;
    std::unique_ptr<SettingsFile> settings = std::make_unique<SettingsFile>(path.c_str());
    SavedState saved = LoadSavedState(*settings);
    KeepFirstOfEach(saved.history);
    g_session.settingsInMemoryOnly = folder.empty();
    g_session.history.swap(saved.history);
    g_session.scope = saved.scope;
    g_session.includeAll = saved.includeAll;
    g_session.settings = settings.release();
}

} // namespace

bool IsFullPath(const std::string& path) {
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
                       (path[2] == '\\' || path[2] == '/');
    return drive || path.compare(0, 2, "\\\\") == 0;
}

std::string PluginFolder(HMODULE module) {
    const std::string folder = FindPluginFolder().value_or(std::string());
    if (IsFullPath(folder + "\\"))
        return folder;
    return ModuleFolder(module);
}

// Each part on its own: memory running out while the settings are read
// must not keep the host functions from being bound, and neither may let an
// exception into the loader. A part left undone is done by the first run.
void AttachProcess(HMODULE module) noexcept {
    try {
        RestoreSettings(module);
    } catch (...) {
    }
    try {
        BindHostLibrary();
    } catch (...) {
        g_session.hostProblem = HostProblem::NotBound;
    }
}

void CompleteAttach(HMODULE module) {
    if (!g_session.settings)
        RestoreSettings(module);
    if (g_session.hostProblem == HostProblem::NotBound)
        BindHostLibrary();
}

void DetachProcess() noexcept {
    delete g_session.settings;
    g_session.settings = nullptr;
}
