#include "plugin/help_file.h"

#include "plugin/attach.h"
#include "settings/registry.h"

namespace {

const char kHelpFileName[] = "\\VelmoroMailSearch.txt";

// The system folder's Notepad. Started by its bare name, Notepad would be
// looked for in the host's folder and the current folder first, where any
// program (or a saved attachment) may have put one.
std::string SystemNotepad() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return "";
    return std::string(folder, length) + "\\notepad.exe";
}

} // namespace

HelpLaunch BuildHelpLaunch(HMODULE module) {
    std::string installFolder = ReadRegistryString(kEditorInstallLocationPath).value_or(std::string());
    if (!IsFullPath(installFolder + "\\"))
        installFolder.clear();
    const std::string helpFile = PluginFolder(module) + kHelpFileName;
    if (!installFolder.empty()) {
        const std::string editor = installFolder + "\\Velmoro.exe";
        return {editor, "\"" + editor + "\" \"/j70 " + helpFile + "\""};
    }
    return {SystemNotepad(), "notepad.exe \"" + helpFile + "\""};
}

void StartProgram(const HelpLaunch& launch) {
    if (launch.program.empty())
        return;
    std::string commandLine = launch.commandLine; // CreateProcessA may write to it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(launch.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}
