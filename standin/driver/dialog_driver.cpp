#include "dialog_driver.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <utility>

namespace {

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindThreadDialog(DWORD threadId) {
    HWND found = nullptr;
    EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct Work {
    std::function<void()> run;
    HDESK desktop; // the starting thread's
};

DWORD WINAPI RunWork(void* work) {
    const std::unique_ptr<Work> owned(static_cast<Work*>(work));
    SetThreadDesktop(owned->desktop);
    owned->run();
    return 0;
}

} // namespace

HANDLE StartThread(std::function<void()> work) {
    auto* owned = new Work{std::move(work), GetThreadDesktop(GetCurrentThreadId())};
    const HANDLE thread = CreateThread(nullptr, 0, RunWork, owned, 0, nullptr);
    if (!thread)
        delete owned;
    return thread;
}

void JoinThread(HANDLE thread) {
    if (!thread)
        return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

HWND WaitForDialog(DWORD threadId, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        if (const HWND dialog = FindThreadDialog(threadId))
            return dialog;
        Sleep(10);
    }
    return nullptr;
}

DialogRun RunDialog(const std::function<INT_PTR()>& show, const std::function<void(HWND dialog)>& script,
                    int closeAfterMs) {
    const DWORD threadId = GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::atomic<int> leftOpen{0};
    // Every window the run shows in turn (the dialog, then perhaps a message
    // box) is handed to the script once.
    const HANDLE driver = StartThread([&] {
        HWND handled = nullptr;
        int idleMs = 0;
        while (!done) {
            const HWND dialog = FindThreadDialog(threadId);
            if (dialog && dialog != handled) {
                handled = dialog;
                idleMs = 0;
                script(dialog);
            } else if (dialog && (idleMs += 10) > closeAfterMs) {
                PostMessageA(dialog, WM_CLOSE, 0, 0);
                ++leftOpen;
                idleMs = 0;
            }
            Sleep(10);
        }
    });
    DialogRun run;
    run.result = show();
    done = true;
    JoinThread(driver);
    run.leftOpen = leftOpen;
    return run;
}

HWND WaitForQueryFocus(HWND dialog, int timeoutMs) {
    HWND focus = nullptr;
    for (int waited = 0; waited < timeoutMs && IsWindow(dialog); waited += 10) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        focus = info.hwndFocus;
        if (focus && GetParent(focus) == GetDlgItem(dialog, 1000))
            break;
        Sleep(10);
    }
    return focus;
}

HWND QueryEdit(HWND dialog) {
    return GetWindow(GetDlgItem(dialog, 1000), GW_CHILD);
}

void TypeQuery(HWND dialog, const std::string& text) {
    SendMessageA(QueryEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string QueryText(HWND dialog) {
    const HWND edit = QueryEdit(dialog);
    const LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, WPARAM key) {
    PostMessageA(QueryEdit(dialog), WM_KEYDOWN, key, 0);
    PostMessageA(QueryEdit(dialog), WM_KEYUP, key, 0xC0000000);
}

bool IsChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void PutText(HWND dialog, const std::string& text) {
    SendMessageA(QueryEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(QueryEdit(dialog), EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
}

void TypeKeys(HWND dialog, const std::string& text) {
    for (const char byte : text)
        PostMessageA(QueryEdit(dialog), WM_CHAR, static_cast<unsigned char>(byte), 1);
}

namespace {

struct ListSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindSuggestionList(HWND window, LPARAM search) {
    auto& s = *reinterpret_cast<ListSearch*>(search);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (GetWindow(window, GW_OWNER) == s.owner && IsWindowVisible(window) && lstrcmpiA(name, "ListBox") == 0)
        s.found = window;
    return s.found ? FALSE : TRUE;
}

} // namespace

HWND SuggestionListOf(HWND dialog) {
    ListSearch search{dialog, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), FindSuggestionList, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

// The texts of a list's or a combo box's items, through the control's own
// count, length and text messages. An item removed meanwhile (the dialog's
// thread is not ours) has no length.
std::vector<std::string> ItemTexts(HWND control, UINT count, UINT length, UINT text) {
    std::vector<std::string> items;
    const LRESULT itemCount = control ? SendMessageA(control, count, 0, 0) : 0;
    for (LRESULT i = 0; i < itemCount; ++i) {
        const LRESULT size = SendMessageA(control, length, i, 0);
        if (size < 0)
            break;
        std::string item(static_cast<size_t>(size) + 1, '\0');
        SendMessageA(control, text, i, reinterpret_cast<LPARAM>(&item[0]));
        item.resize(static_cast<size_t>(size));
        items.push_back(item);
    }
    return items;
}

} // namespace

std::vector<std::string> SuggestionRows(HWND dialog) {
    std::vector<std::string> rows = ItemTexts(SuggestionListOf(dialog), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
    for (std::string& row : rows)
        row.erase(std::min(row.find('\t'), row.size()));
    return rows;
}

std::vector<std::string> ListItems(HWND dialog) {
    return ItemTexts(GetDlgItem(dialog, 1000), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

HWND ReadingLineOf(HWND dialog) {
    return GetDlgItem(dialog, 1006);
}

std::string ReadingLine(HWND dialog) {
    char misreading[8192] = {}, text[8192] = {};
    // The misreading's Static is made only once something is misread, and
    // Wine's GetWindowTextA gives two bytes even for no window at all; the
    // lengths, not the buffers, say what was read.
    const HWND misreadingStatic = GetDlgItem(dialog, 1007);
    const int misread =
        misreadingStatic ? std::max(GetWindowTextA(misreadingStatic, misreading, sizeof misreading), 0) : 0;
    const int read = std::max(GetWindowTextA(ReadingLineOf(dialog), text, sizeof text), 0);
    // As one line: what is misread, a full-width space, the reading.
    return misread ? std::string(misreading, misread) + "\x81\x40" + std::string(text, read) : std::string(text, read);
}

bool IsMessageBox(HWND dialog) {
    return GetDlgItem(dialog, 1000) == nullptr;
}

std::string MessageBoxText(HWND box) {
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

namespace {

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (_stricmp(className, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

} // namespace

MessageBoxLook LookOf(HWND box) {
    MessageBoxLook look;
    char caption[256] = {};
    GetWindowTextA(box, caption, sizeof caption);
    look.caption = caption;
    look.owner = GetWindow(box, GW_OWNER);
    HICON icon = nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
    const std::pair<LPCSTR, const char*> kinds[] = {
        {IDI_INFORMATION, "information"}, {IDI_WARNING, "warning"}, {IDI_ERROR, "error"}};
    for (const auto& [id, name] : kinds) {
        if (icon && icon == LoadIconA(nullptr, id))
            look.icon = name;
    }
    if (icon && look.icon.empty())
        look.icon = "another icon";
    look.question = GetDlgItem(box, IDYES) != nullptr;
    for (const int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        const HWND button = GetDlgItem(box, id);
        if (button && (SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
            look.defaultButton = id;
    }
    return look;
}

void AnswerSearchRun(HWND window, const DialogAnswer& answer, std::vector<std::string>& messages) {
    if (IsMessageBox(window)) {
        messages.push_back(MessageBoxText(window));
        if (!LookOf(window).question) {
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        } else if (answer.replace) {
            PostMessageA(window, WM_COMMAND, IDYES, 0);
        } else {
            // Enter, to the button that has the focus, as the keyboard sends it.
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
            const HWND focused = info.hwndFocus ? info.hwndFocus : window;
            PostMessageA(focused, WM_KEYDOWN, VK_RETURN, 0);
            PostMessageA(focused, WM_KEYUP, VK_RETURN, 0xC0000000);
        }
        return;
    }
    if (answer.cancel) {
        PressKey(window, VK_ESCAPE);
        return;
    }
    if (answer.scope)
        Click(window, answer.scope);
    if (IsEnabled(window, 1005) && IsChecked(window, 1005) != answer.includeAll)
        Click(window, 1005);
    if (!answer.keepShownText)
        TypeQuery(window, answer.query);
    Click(window, IDOK);
}
