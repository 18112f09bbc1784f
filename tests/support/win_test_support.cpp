#include "win_test_support.h"

#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

void SetOrDelete(HKEY root, const char* key, const char* name, const char* folder) {
    if (folder)
        SetRegistryValue(root, key, name, std::string(folder) + '\0');
    else
        DeleteRegistryValue(root, key, name);
}

} // namespace

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                                             static_cast<int>(wide.size()))));
    return wide;
}

std::string MakeScratchFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    const std::string folder = std::string(temp) + "velmoro-" + name + "-" + std::to_string(GetCurrentProcessId()) +
                               "-" + std::to_string(++counter);
    // Folder names repeat across runs (process ids do): empty it first.
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                const std::string file = folder + "\\" + found.cFileName;
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return folder;
}

std::string MakeDeepFolder(const std::string& base, std::size_t length) {
    std::string folder = base;
    while (folder.size() + 1 < length) {
        std::size_t part = std::min<std::size_t>(40, length - folder.size() - 1);
        if (length - folder.size() - 1 - part == 1)
            --part; // no room would be left for a folder of one character
        folder += "\\" + std::string(part, 'd');
        if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            ADD_FAILURE() << "cannot make " << folder;
    }
    EXPECT_EQ(folder.size(), length);
    return folder;
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::string content;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, got);
    const bool complete = !std::ferror(file);
    std::fclose(file);
    return complete ? std::optional<std::string>(content) : std::nullopt;
}

std::string ExistingFileText(const std::string& path) {
    const std::optional<std::string> content = ReadWholeFile(path);
    if (!content)
        ADD_FAILURE() << "no file " << path;
    return content.value_or(std::string());
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
    }
}

void SetRegistryValue(HKEY root, const char* key, const char* name, const std::string& data, DWORD kind) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(opened, name, 0, kind, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    RegCloseKey(opened);
}

void DeleteRegistryValue(HKEY root, const char* key, const char* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(opened, name);
    RegCloseKey(opened);
}

void SetEditorInstallLocation(const char* folder) {
    SetOrDelete(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmoro",
                "InstallLocation", folder);
}

void SetEditorMacroPath(const char* folder) {
    SetOrDelete(HKEY_CURRENT_USER, "Software\\Ostravik\\Velmoro\\Env", "MacroPath", folder);
}

void SetMailClientFolder(const char* folder) {
    SetOrDelete(HKEY_CURRENT_USER, "Software\\Ostravik\\Pellarin\\Config", "PellarinDir", folder);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (condition())
            return true;
        Sleep(10);
    }
    return condition();
}

INT_PTR DriveDialog(const std::function<INT_PTR()>& show, const std::function<void(HWND window)>& script) {
    const DialogRun run = RunDialog(show, script);
    EXPECT_EQ(run.leftOpen, 0) << "the script left a window open; it was closed after a while";
    return run.result;
}
