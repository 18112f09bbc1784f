#include "dialog_driver.h"

#include <thread>

namespace {

const int kWaitForDialogMs = 10000;
const int kWaitForCloseMs = 5000;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(DWORD threadId) {
    for (int waited = 0; waited < kWaitForDialogMs; waited += 10) {
        HWND found = nullptr;
        EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&found));
        if (found)
            return found;
        Sleep(10);
    }
    return nullptr;
}

} // namespace

INT_PTR RunDialog(const std::function<INT_PTR()>& show, const std::function<void(HWND dialog)>& script) {
    const DWORD threadId = GetCurrentThreadId();
    std::thread driver([&] {
        const HWND dialog = WaitForDialog(threadId);
        if (!dialog)
            return;
        script(dialog);
        for (int waited = 0; IsWindow(dialog) && waited < kWaitForCloseMs; waited += 10)
            Sleep(10);
        if (IsWindow(dialog))
            PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    const INT_PTR result = show();
    driver.join();
    return result;
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

std::vector<std::string> ListItems(HWND dialog) {
    const HWND box = GetDlgItem(dialog, 1000);
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(box, CB_GETLBTEXTLEN, i, 0);
        std::string item(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
        item.resize(static_cast<size_t>(length));
        items.push_back(item);
    }
    return items;
}
