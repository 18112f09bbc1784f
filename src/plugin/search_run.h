// One search run: what the export `search` does.
#pragma once

// One search run, as the export `search` makes it: checks the host, shows the
// dialog, applies what the user chose and hands the expression over. Null
// counts as an empty text. Nothing escapes: a run that runs out of memory
// says so and hands nothing over.
int RunSearch(const char* initialText) noexcept;
