// Opening the help file, VelmoroMailSearch.txt, in the text editor or in
// Notepad.
#pragma once

#include <windows.h>

#include <string>

// The program that opens the help file, by its full path, the command line
// it is started with, and the help file's full path (empty: no folder is
// known for it).
struct HelpLaunch {
    std::string program;
    std::string commandLine;
    std::string helpFile;
};

// Whether the help file is where the launch names it, as a file.
bool HelpFileIsThere(const HelpLaunch& launch);

// The editor's, when it is installed in a folder given by its full path;
// else Notepad from the system folder. The help file lies beside the
// settings of `module`, wherever they are.
HelpLaunch BuildHelpLaunch(HMODULE module);

// Starts the program and does not wait; one that cannot be started is not
// reported.
void StartProgram(const HelpLaunch& launch);
