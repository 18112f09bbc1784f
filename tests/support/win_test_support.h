// Helpers for the tests that run under Wine: scratch folders, whole files,
// registry values.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// A new empty folder under the temporary folder; its path has no trailing
// backslash.
std::string MakeScratchFolder(const char* name);

// A folder below `base`, made folder by folder, whose path is `length`
// characters long.
std::string MakeDeepFolder(const std::string& base, std::size_t length);

// The folder of the running test program, without a trailing backslash.
std::string ProgramFolder();

// The file's bytes; nothing when it does not exist or cannot be read (an
// absent file is not an empty one).
std::optional<std::string> ReadWholeFile(const std::string& path);
// The bytes of a file that must exist: its absence fails the test.
std::string ExistingFileText(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);

// Sets a value under a root key, creating the key; kind REG_SZ unless given.
void SetRegistryValue(HKEY root, const char* key, const char* name, const std::string& data,
                      DWORD kind = REG_SZ);
void DeleteRegistryValue(HKEY root, const char* key, const char* name);

// The three values the plug-in reads, set to a folder or removed (null).
void SetEditorInstallLocation(const char* folder);
void SetEditorMacroPath(const char* folder);
void SetMailClientFolder(const char* folder);

// A Shift_JIS text (a message's, say) as UTF-16, to compare with a text as
// written here.
std::wstring Wide(const std::string& text);

// A module's export, by name, as the function it is; null when it has none.
template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Whether `condition` came true within `timeoutMs`, asked every 10 ms: for
// what another thread does with the messages posted to it.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 3000);

// Shows a dialog with `show` and drives it with `script` (see RunDialog);
// a window the script leaves open fails the test. What `show` returned.
INT_PTR DriveDialog(const std::function<INT_PTR()>& show, const std::function<void(HWND window)>& script);
