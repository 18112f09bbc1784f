// Process attach and detach of the plug-in DLL.
#pragma once

#include <windows.h>

#include <string>

// The folder that holds `module`, without a trailing backslash; "." when it
// cannot be told.
std::string ModuleFolder(HMODULE module);

// Finds the settings file, restores the history, the scope and the check box,
// and binds the host functions. Never refuses the load.
void AttachProcess(HMODULE module);

// Destroys the settings file object.
void DetachProcess();
