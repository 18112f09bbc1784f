// Opening the help file, VelmoroMailSearch.txt, in the text editor or in
// Notepad.
#pragma once

#include <windows.h>

#include <string>

// The command line that opens the help file, from the registered folders:
// the editor's, when it is installed, else Notepad's. The help file lies
// beside the settings of `module`, wherever they are.
std::string BuildHelpCommandLine(HMODULE module);

// Starts the command line and does not wait; a program that cannot be
// started is not reported.
void StartProgram(const std::string& commandLine);
