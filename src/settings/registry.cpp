#include "settings/registry.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

const char kEditorInstallLocationPath[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmoro\\InstallLocation";
const char kEditorMacroPathPath[] = "HKEY_CURRENT_USER\\Software\\Ostravik\\Velmoro\\Env\\MacroPath";
const char kMailClientFolderPath[] = "HKEY_CURRENT_USER\\Software\\Ostravik\\Pellarin\\Config\\PellarinDir";

namespace {

struct RootKeyRow {
    const char* name;
    const char* alias;
    HKEY key;
};

const RootKeyRow RootKeyTable[] = {
    {"HKEY_CLASSES_ROOT\\", nullptr, HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER\\", "USR\\", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE\\", "SYS\\", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS\\", nullptr, HKEY_USERS},
    {"HKEY_PERFORMANCE_DATA\\", nullptr, HKEY_PERFORMANCE_DATA},
    {"HKEY_CURRENT_CONFIG\\", nullptr, HKEY_CURRENT_CONFIG},
    {"HKEY_DYN_DATA\\", nullptr, HKEY_DYN_DATA},
    {"HKEY_PERFORMANCE_TEXT\\", nullptr, HKEY_PERFORMANCE_TEXT},
    {"HKEY_PERFORMANCE_NLSTEXT\\", nullptr, HKEY_PERFORMANCE_NLSTEXT},
};

bool IsPredefinedRootKey(HKEY key) {
    for (const RootKeyRow& row : RootKeyTable) {
        if (row.key == key)
            return true;
    }
    return false;
}

HKEY LookupRootKey(const std::string& rootName) {
    std::string name = rootName;
    for (char& byte : name) {
        if (byte >= 'a' && byte <= 'z')
            byte = static_cast<char>(byte - 'a' + 'A');
    }
    if (name.empty() || name.back() != '\\')
        name += '\\';
    for (const RootKeyRow& row : RootKeyTable) {
        if (name == row.name || (row.alias && name == row.alias))
            return row.key;
    }
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
}

// Opens the key of `path` and hands back the value's name, its last
// component. Empty components (doubled or outer backslashes) are skipped.
HKEY OpenRegistryPath(const char* path, REGSAM access, std::string& valueName) {
    const size_t length = std::strlen(path);
    if (length > kMaxRegistryPathLength) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return nullptr;
    }
    std::vector<std::pair<size_t, size_t>> components; // offset, length
    for (size_t at = 0; at < length;) {
        const size_t end = std::min(length, std::strcspn(path + at, "\\") + at);
        if (end > at)
            components.emplace_back(at, end - at);
        at = end + 1;
    }
    // A root and a value name at the least.
    if (components.size() < 2) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    const HKEY root = LookupRootKey(std::string(path + components.front().first, components.front().second));
    if (!root)
        return nullptr;
    std::string keyPath;
    for (size_t i = 1; i + 1 < components.size(); ++i) {
        if (!keyPath.empty())
            keyPath += '\\';
        keyPath.append(path + components[i].first, components[i].second);
    }
    valueName.assign(path + components.back().first, components.back().second);

    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(root, keyPath.c_str(), 0, access, &key);
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return nullptr;
    }
    return key;
}

std::optional<std::string> QueryRegistryValue(HKEY key, const char* valueName, DWORD* type) {
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // Memory running out throws: a value that is there must never pass for
    // one that is not (the settings would be looked for in another folder).
    std::string data(size, '\0');
    const LONG status =
        RegQueryValueExA(key, valueName, nullptr, type, reinterpret_cast<BYTE*>(&data[0]), &size);
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return std::nullopt;
    }
    data.resize(std::min<std::size_t>(size, data.size()));
    data.resize(std::strlen(data.c_str()));
    return data;
}

} // namespace

std::optional<std::string> ReadRegistryString(const char* path, DWORD* type) {
    std::string valueName;
    const HKEY key = OpenRegistryPath(path, KEY_QUERY_VALUE, valueName);
    if (!key)
        return std::nullopt;
    std::optional<std::string> data = QueryRegistryValue(key, valueName.c_str(), type);
    if (!IsPredefinedRootKey(key))
        RegCloseKey(key);
    return data;
}

std::optional<std::string> FindPluginFolder() {
    const std::optional<std::string> installLocation = ReadRegistryString(kEditorInstallLocationPath);
    if (!installLocation)
        return ReadRegistryString(kMailClientFolderPath);
    if (std::optional<std::string> macroPath = ReadRegistryString(kEditorMacroPathPath))
        return macroPath;
    return installLocation;
}
