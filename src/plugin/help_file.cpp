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
    const std::string folder = PluginFolder(module);
    const std::string helpFile = folder + kHelpFileName;
    HelpLaunch launch;
    if (!installFolder.empty()) {
        launch.program = installFolder + "\\Velmoro.exe";
        launch.commandLine = "\"" + launch.program + "\" \"/j70 " + helpFile + "\"";
    } else {
        launch.program = SystemNotepad();
        launch.commandLine = "notepad.exe \"" + helpFile + "\"";
    }
    if (!folder.empty())
        launch.helpFile = helpFile;
    return launch;
}

bool HelpFileIsThere(const HelpLaunch& launch) {
    if (launch.helpFile.empty())
        return false;
    const DWORD attributes = GetFileAttributesA(launch.helpFile.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
