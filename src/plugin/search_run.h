// One search run: the export `search` and what it does.
#pragma once

#include <string>

// Whether a favourite's name can be a key of the settings file and read back
// as itself.
bool IsStorableFavoriteName(const std::string& name);

// The command line that opens the help file, from the registered folders.
std::string BuildHelpCommandLine();

// One search run, as the export `search` makes it: checks the host, shows the
// dialog and hands the expression over. Exceptions are the caller's to stop.
int RunSearch(const char* initialText);
