// Stands in for the mail client's macro engine: loads the plug-in as the mail
// client does and calls its export `search`, then prints what the mail client
// received through PellInfo.dll.
//
//   velmoro-macro [--query TEXT] [--scope 1001..1004] [--include-all]
//                 [--cancel] [--drop-list] [--type TEXT] [--put UTF-8 TEXT]
//                 [--keep-message] [INITIAL TEXT]
//
// With --query (or --cancel) the dialog is answered from a second thread, so
// no person and no display are needed; without, it waits for a person.
// --drop-list opens the history list as the dialog appears and highlights
// its first entry, --type types TEXT into the query field key by key (the
// suggestion list shows), --put puts a UTF-8 text into the field whole, in
// Unicode, as an input method does (any character), --keep-message
// leaves a message box of the run open for a minute (both for pictures).
// A text given as @PATH is read from that file, byte for byte: the way to
// pass Shift_JIS text whatever the command line's encoding.
#include "dialog_driver.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using SearchFunction = int(__cdecl*)(const char*);
using CallLogFunction = const char*(__cdecl*)();

struct Options {
    std::string initialText;
    DialogAnswer answer;
    bool headless = false; // the dialog is answered from here
    bool dropList = false;
    std::string typed; // typed key by key as the dialog appears
    std::wstring put;  // put in whole as the dialog appears
    bool keepMessage = false;
};

int Usage() {
    std::fprintf(stderr, "usage: velmoro-macro [--query TEXT] [--scope 1001..1004] [--include-all] [--cancel] "
                         "[--drop-list] [--type TEXT] [--put TEXT] [--keep-message] [INITIAL TEXT]\n");
    return 2;
}

std::string Text(const char* argument) {
    if (argument[0] != '@')
        return argument;
    std::string text;
    if (FILE* file = std::fopen(argument + 1, "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

bool Parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--query" && i + 1 < argc) {
            options.answer.query = Text(argv[++i]);
            options.headless = true;
        } else if (argument == "--scope" && i + 1 < argc) {
            options.answer.scope = std::atoi(argv[++i]);
            if (options.answer.scope < 1001 || options.answer.scope > 1004)
                return false;
        } else if (argument == "--include-all") {
            options.answer.includeAll = true;
        } else if (argument == "--cancel") {
            options.answer.cancel = options.headless = true;
        } else if (argument == "--drop-list") {
            options.dropList = true;
        } else if (argument == "--type" && i + 1 < argc) {
            options.typed = Text(argv[++i]);
        } else if (argument == "--put" && i + 1 < argc) {
            const std::string utf8 = Text(argv[++i]);
            options.put.assign(utf8.size(), L'\0');
            options.put.resize(static_cast<std::size_t>(MultiByteToWideChar(
                CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &options.put[0], static_cast<int>(utf8.size()))));
        } else if (argument == "--keep-message") {
            options.keepMessage = true;
        } else if (argument.compare(0, 2, "--") == 0) {
            return false;
        } else {
            options.initialText = Text(argv[i]);
        }
    }
    return true;
}

// The dialog keeps the activation when a list shows under its query box,
// but Wine on a display with no window manager may then draw its caption as
// an inactive one: for a picture, it is drawn again as the active window it
// is.
void DrawnAsActive(HWND dialog) {
    Sleep(300);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndActive == dialog)
        SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\'));
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options))
        return Usage();
    const std::string pluginPath = ProgramFolder() + "\\VelmoroMailSearch.dll";
    const HMODULE plugin = LoadLibraryA(pluginPath.c_str());
    if (!plugin) {
        std::fprintf(stderr, "velmoro-macro: cannot load %s\n", pluginPath.c_str());
        return 1;
    }
    const auto search = reinterpret_cast<SearchFunction>(reinterpret_cast<void (*)()>(GetProcAddress(plugin, "search")));
    if (!search) {
        std::fprintf(stderr, "velmoro-macro: %s has no export 'search'\n", pluginPath.c_str());
        return 1;
    }
    // The mail client's main window is shown, as it always is.
    const HMODULE standIn = LoadLibraryA((ProgramFolder() + "\\PellInfo.dll").c_str());
    if (const auto show = standIn ? reinterpret_cast<void(__cdecl*)()>(reinterpret_cast<void (*)()>(
                                        GetProcAddress(standIn, "StandInShowMainWindow")))
                                  : nullptr)
        show();
    int result = 0;
    std::vector<std::string> messages;
    if (options.dropList) {
        const DWORD thread = GetCurrentThreadId();
        CloseHandle(StartThread([thread] {
            if (const HWND dialog = WaitForDialog(thread, 60000)) {
                // The first entry highlighted, as ↓ leaves it: the field
                // shows it. A dropped list highlights the row under the
                // pointer as it appears (Wine's pointer starts in the
                // screen's middle), so the entry is chosen after that.
                SendMessageA(GetDlgItem(dialog, 1000), CB_SHOWDROPDOWN, TRUE, 0);
                Sleep(500);
                SendMessageA(GetDlgItem(dialog, 1000), CB_SETCURSEL, 0, 0);
                DrawnAsActive(dialog);
            }
        }));
    }
    if (!options.typed.empty()) {
        const DWORD thread = GetCurrentThreadId();
        CloseHandle(StartThread([thread, typed = options.typed] {
            if (const HWND dialog = WaitForDialog(thread, 60000)) {
                // Typed as a person types.
                WaitForQueryFocus(dialog);
                TypeKeys(dialog, typed);
                DrawnAsActive(dialog);
            }
        }));
    }
    if (!options.put.empty()) {
        const DWORD thread = GetCurrentThreadId();
        CloseHandle(StartThread([thread, put = options.put] {
            if (const HWND dialog = WaitForDialog(thread, 60000)) {
                WaitForQueryFocus(dialog);
                SendMessageW(QueryEdit(dialog), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(put.c_str()));
                DrawnAsActive(dialog);
            }
        }));
    }
    if (options.headless) {
        const DialogRun run = RunDialog(
            [&] { return static_cast<INT_PTR>(result = search(options.initialText.c_str())); },
            [&](HWND window) {
                if (!(options.keepMessage && IsMessageBox(window)))
                    AnswerSearchRun(window, options.answer, messages);
            },
            options.keepMessage ? 60000 : 5000);
        if (run.leftOpen)
            std::printf("velmoro-macro: a window was left open and closed after a while\n");
    } else
        result = search(options.initialText.c_str());
    for (const std::string& message : messages)
        std::printf("message box: %s\n", message.c_str());
    std::printf("search returned %d\n", result);

    const HMODULE host = GetModuleHandleA("PellInfo.dll");
    const auto callLog = host ? reinterpret_cast<CallLogFunction>(
                                    reinterpret_cast<void (*)()>(GetProcAddress(host, "StandInCallLog")))
                              : nullptr;
    if (callLog)
        std::printf("calls the mail client received:\n%s", callLog());
    FreeLibrary(plugin);
    return 0;
}
