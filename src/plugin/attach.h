// Process attach and detach of the plug-in DLL.
#pragma once

#include <windows.h>

#include <string>

// A drive and its root ("C:\"), or a network share ("\\server"). Anything
// else is relative: to the Windows folder for the profile functions, to the
// current folder (which any program may have chosen) for the loader and for
// starting programs.
bool IsFullPath(const std::string& path);

// The folder that holds the plug-in's settings file and help file: the one
// the editor's or the mail client's registry values name, when that makes a
// full path, else the folder of `module` itself; empty when neither can be
// told. Never with a trailing backslash added.
std::string PluginFolder(HMODULE module);

// Finds the settings file, restores the history, the scope and the check box,
// and binds the host functions. Never refuses the load, and nothing escapes:
// what memory running out left undone, CompleteAttach does.
void AttachProcess(HMODULE module) noexcept;

// Does what attach could not do for lack of memory: restores the settings,
// binds the host. Memory running out again throws, and leaves it undone.
void CompleteAttach(HMODULE module);

// Destroys the settings file object.
void DetachProcess() noexcept;
