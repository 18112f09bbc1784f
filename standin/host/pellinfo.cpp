// A stand-in for the mail client's companion library: the ten functions the
// plug-in calls, recording every call, with answers that tests can set, and
// as unkind as a real host may be when asked.
#include "pellinfo.h"

#include "stand_in_encoder.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A text the host hands out, which may be null.
struct Answer {
    bool null = false;
    std::string text;
};

struct StandInHost {
    bool isMail = true;
    bool mainWndMissing = false;
    HWND mainWnd = nullptr;
    std::string window = "main";
    Answer account{false, "user@example.jp"};
    Answer folder{false, "\x8e\xf3\x90\x4d"}; // 受信, in Shift_JIS
    bool sharedStrings = false;
    std::string yen; // "", "null" or "long"
    std::string calls;
    std::string logPath;
};

StandInHost g_host;

// With shared strings, the one buffer every answer is written into. Big
// enough for the long encodings, so that it never moves.
std::vector<char>& SharedBuffer() {
    static std::vector<char> buffer(4 * kStandInLongPadding);
    return buffer;
}

// Every call leaves its mark in the shared buffer, as a host that reuses one
// static buffer for all its answers would.
void Overwrite(const char* function) {
    if (g_host.sharedStrings)
        std::snprintf(SharedBuffer().data(), SharedBuffer().size(), "(overwritten by %s)", function);
}

// An answer as the host hands it out: its own copy, or the shared buffer.
const char* HandOut(const char* function, const Answer& answer) {
    if (answer.null)
        return nullptr;
    if (!g_host.sharedStrings)
        return answer.text.c_str();
    std::vector<char>& buffer = SharedBuffer();
    if (answer.text.size() >= buffer.size()) {
        Overwrite(function);
        return "(answer too long for the shared buffer)";
    }
    std::memcpy(buffer.data(), answer.text.c_str(), answer.text.size() + 1);
    return buffer.data();
}

void Configure(const char* name, const char* value) {
    const std::string key = name;
    const std::string text = value ? value : "";
    if (key == "mail") g_host.isMail = text != "0";
    else if (key == "mainwnd") g_host.mainWndMissing = text == "none";
    else if (key == "window") g_host.window = text;
    else if (key == "account") g_host.account = {value == nullptr, text};
    else if (key == "folder") g_host.folder = {value == nullptr, text};
    else if (key == "strings") g_host.sharedStrings = text == "shared";
    else if (key == "yen") g_host.yen = text;
}

void ConfigureFromEnvironment() {
    static const char* const kNames[] = {"mail", "mainwnd", "window", "account", "folder", "strings", "yen"};
    for (const char* name : kNames) {
        std::string variable = "VELMORO_STANDIN_";
        for (const char* at = name; *at; ++at)
            variable += static_cast<char>(*at - 'a' + 'A');
        if (const char* value = std::getenv(variable.c_str()))
            Configure(name, value);
    }
    if (const char* log = std::getenv("VELMORO_STANDIN_LOG"))
        g_host.logPath = log;
}

void Record(const char* function, int count = 0, const char* first = nullptr, const char* second = nullptr) {
    std::string line = function;
    const char* arguments[] = {first, second};
    for (int i = 0; i < count; ++i) {
        line += '|';
        line += arguments[i] ? arguments[i] : "(null)";
    }
    line += '\n';
    g_host.calls += line;
    if (!g_host.logPath.empty()) {
        if (FILE* log = std::fopen(g_host.logPath.c_str(), "ab")) {
            std::fwrite(line.data(), 1, line.size(), log);
            std::fclose(log);
        }
    }
}

// A hidden top-level window standing in for the mail client's main window.
HWND StandInMainWindow() {
    if (!g_host.mainWnd)
        g_host.mainWnd = CreateWindowExA(0, "STATIC", "Velmoro", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                         nullptr, GetModuleHandleA(nullptr), nullptr);
    return g_host.mainWnd;
}

Answer Encoded(const char* text) {
    if (g_host.yen == "null")
        return {true, ""};
    Answer encoded{false, StandInEncode(text)};
    if (g_host.yen == "long")
        encoded.text.append(kStandInLongPadding, '~');
    return encoded;
}

} // namespace

extern "C" {

__declspec(dllexport) int __cdecl IsVelmoroMail(void) {
    Record("IsVelmoroMail");
    Overwrite("IsVelmoroMail");
    return g_host.isMail ? 1 : 0;
}

__declspec(dllexport) HWND __cdecl MainWnd(void) {
    Record("MainWnd");
    Overwrite("MainWnd");
    return g_host.mainWndMissing ? nullptr : StandInMainWindow();
}

__declspec(dllexport) const char* __cdecl YenEncode(const char* text) {
    Record("YenEncode", 1, text);
    static Answer encoded; // the host's own copy lives until the next call
    encoded = Encoded(text);
    return HandOut("YenEncode", encoded);
}

__declspec(dllexport) int __cdecl IsVelmoroMailMain(void) {
    Record("IsVelmoroMailMain");
    Overwrite("IsVelmoroMailMain");
    return g_host.window == "main" ? 1 : 0;
}

__declspec(dllexport) int __cdecl IsVelmoroMailGrep(void) {
    Record("IsVelmoroMailGrep");
    Overwrite("IsVelmoroMailGrep");
    return g_host.window == "grep" ? 1 : 0;
}

__declspec(dllexport) const char* __cdecl CurrentFolder(void) {
    Record("CurrentFolder");
    return HandOut("CurrentFolder", g_host.folder);
}

__declspec(dllexport) int __cdecl SetFindPack(const char* expression) {
    Record("SetFindPack", 1, expression);
    Overwrite("SetFindPack");
    return 1;
}

__declspec(dllexport) int __cdecl StartDoGrep(const char* account, const char* folder) {
    Record("StartDoGrep", 2, account, folder);
    Overwrite("StartDoGrep");
    return 1;
}

__declspec(dllexport) int __cdecl PushFindPack(void) {
    Record("PushFindPack");
    Overwrite("PushFindPack");
    return 1;
}

__declspec(dllexport) INT_PTR __cdecl ExecAtMain(const char* function, ...) {
    const std::string name = function ? function : "";
    va_list arguments;
    va_start(arguments, function);
    INT_PTR result = 0;
    if (name == "CurrentAccount") {
        Record("ExecAtMain", 1, function);
        result = reinterpret_cast<INT_PTR>(HandOut("ExecAtMain", g_host.account));
    } else if (name == "CurrentFolder") {
        Record("ExecAtMain", 1, function);
        result = reinterpret_cast<INT_PTR>(HandOut("ExecAtMain", g_host.folder));
    } else if (name == "SetFindPack") {
        const char* expression = va_arg(arguments, const char*);
        Record("ExecAtMain", 2, function, expression);
        Overwrite("ExecAtMain");
        result = 1;
    } else if (name == "StartDoGrep") {
        const char* account = va_arg(arguments, const char*);
        const char* folder = va_arg(arguments, const char*);
        Record(("ExecAtMain|" + name).c_str(), 2, account, folder);
        Overwrite("ExecAtMain");
        result = 1;
    } else {
        Record("ExecAtMain", 1, function);
        Overwrite("ExecAtMain");
    }
    va_end(arguments);
    return result;
}

__declspec(dllexport) void StandInReset(void) {
    const HWND window = g_host.mainWnd;
    g_host = StandInHost();
    g_host.mainWnd = window;
    ConfigureFromEnvironment();
}

__declspec(dllexport) void StandInConfigure(const char* name, const char* value) {
    Configure(name, value);
}

// Shows the main window, as a mail client's always is: only then does the
// system activate the windows it owns (the dialog, its messages).
__declspec(dllexport) void StandInShowMainWindow(void) {
    ShowWindow(StandInMainWindow(), SW_SHOW);
}

__declspec(dllexport) void StandInSetMainWnd(HWND window) {
    g_host.mainWnd = window;
}

__declspec(dllexport) const char* StandInCallLog(void) {
    return g_host.calls.c_str();
}

} // extern "C"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        ConfigureFromEnvironment();
    return TRUE;
}
