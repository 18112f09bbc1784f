#include "plugin/help_file.h"

#include "plugin/attach.h"
#include "settings/registry.h"

namespace {

const char kHelpFileName[] = "\\VelmoroMailSearch.txt";

} // namespace

std::string BuildHelpCommandLine(HMODULE module) {
    const std::string installFolder = ReadRegistryString(kEditorInstallLocationPath).value_or(std::string());
    const std::string helpFile = PluginFolder(module) + kHelpFileName;
    if (!installFolder.empty())
        return "\"" + installFolder + "\\Velmoro.exe\" \"/j70 " + helpFile + "\"";
    return "notepad.exe \"" + helpFile + "\"";
}

void StartProgram(const std::string& commandLine) {
    std::string writable = commandLine; // CreateProcessA may write to it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
