// Stands in for the text editor and Notepad: appends where it was started
// from and the command line it was started with ("program|command line"),
// and a line break, to the file named by VELMORO_COMMAND_LINE_LOG.
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
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::fprintf(file, "%s|%s\n", program, GetCommandLineA());
    std::fclose(file);
    return 0;
}
