// Stands in for the text editor and Notepad: appends the command line it was
// started with, and a line break, to the file named by
// VELMORO_COMMAND_LINE_LOG.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
    const char* log = std::getenv("VELMORO_COMMAND_LINE_LOG");
    if (!log)
        return 1;
    FILE* file = std::fopen(log, "ab");
    if (!file)
        return 1;
    std::fprintf(file, "%s\n", GetCommandLineA());
    std::fclose(file);
    return 0;
}
