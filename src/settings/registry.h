// Reading registry values named by one text path, and finding the folder that
// holds the plug-in's settings file. The registry is only ever read.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The registry values the plug-in reads.
extern const char kEditorInstallLocationPath[];
extern const char kEditorMacroPathPath[];
extern const char kMailClientFolderPath[];

// Longest path accepted, without its terminating zero.
const size_t kMaxRegistryPathLength = 263;

// Reads the value named by `path` ("ROOT\key\...\value"; the root by its full
// name or the alias USR or SYS, in any case). Returns its data as a text: up
// to its first zero byte, which a string value stored without one lacks. On
// failure, nothing, with the thread's last-error code set; memory running
// out throws. `type`, when given, receives the value's registry type.
std::optional<std::string> ReadRegistryString(const char* path, DWORD* type = nullptr);

// The plug-in's folder: the editor's macro folder, else its installation
// folder, else (only when the editor is not installed) the mail client's
// folder; nothing when none of them is registered.
std::optional<std::string> FindPluginFolder();
