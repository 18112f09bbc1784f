// One search run: the export `search` and what it does.
#pragma once

#include <string>

// The command line that opens the help file, from the registered folders.
std::string BuildHelpCommandLine();

// One search run, as the export `search` makes it: checks the host, shows the
// dialog, applies what the user chose and hands the expression over. Null
// counts as an empty text. Nothing escapes: a run that runs out of memory
// says so and hands nothing over.
int RunSearch(const char* initialText) noexcept;
