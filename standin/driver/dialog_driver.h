// Drives the modal search dialog from a second thread, as a user would: the
// test's own thread shows the dialog and runs its message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Runs `work` on a new thread of the process, on the calling thread's
// desktop; its handle, for JoinThread. Win32 threads: the toolchain's C++
// library has none of its own.
HANDLE StartThread(std::function<void()> work);

// Waits for the thread to end and closes its handle.
void JoinThread(HANDLE thread);

// How a scripted dialog went.
struct DialogRun {
    INT_PTR result = 0; // what `show` returned
    int leftOpen = 0;   // windows the script left open, closed after a while
};

// Shows the dialog with `show` on this thread and runs `script` on another
// for each window the run shows (the dialog, a message box) once it is up.
// A window the script leaves open is closed after `closeAfterMs`, so that a
// run never hangs, and counted.
DialogRun RunDialog(const std::function<INT_PTR()>& show, const std::function<void(HWND dialog)>& script,
                    int closeAfterMs = 5000);

// The first visible dialog window of a thread, once there is one; null after
// `timeoutMs`.
HWND WaitForDialog(DWORD threadId, int timeoutMs);

// Waits, up to `timeoutMs` and while the dialog is there, for the keyboard
// focus to settle in the query field: a dialog may still be being activated
// when it shows. The focused window, whatever it is by then.
HWND WaitForQueryFocus(HWND dialog, int timeoutMs = 2000);

// The edit field inside the query box.
HWND QueryEdit(HWND dialog);
void TypeQuery(HWND dialog, const std::string& text);
std::string QueryText(HWND dialog);
void Click(HWND dialog, int id);
// A key press as the dialog's message loop sees it, to the focused control.
void PressKey(HWND dialog, WPARAM key);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
std::vector<std::string> ListItems(HWND dialog);

// Characters typed into the query field, a WM_CHAR each, as the keyboard
// sends them.
void TypeKeys(HWND dialog, const std::string& text);
// A text put into the field whole, the caret after it, as an input method
// hands over what was composed (Japanese is never typed a byte at a time).
void PutText(HWND dialog, const std::string& text);
// The suggestion list the dialog shows under its query field: a visible
// "ListBox" popup it owns; null when none is shown.
HWND SuggestionListOf(HWND dialog);
// Its rows, each up to its tab (what taking it puts in the field); none when
// no list is shown.
std::vector<std::string> SuggestionRows(HWND dialog);

// The line under the query field that reads the query back.
HWND ReadingLineOf(HWND dialog);
std::string ReadingLine(HWND dialog);

// A message box is a dialog too, without the query box.
bool IsMessageBox(HWND dialog);
std::string MessageBoxText(HWND box);

// How a message box looks besides its text.
struct MessageBoxLook {
    std::string caption;
    HWND owner = nullptr;
    std::string icon; // "information", "warning", "error", or empty for none
    bool question = false; // Yes and No, rather than OK
    int defaultButton = 0; // the button Enter presses: IDOK, IDYES, IDNO
};
MessageBoxLook LookOf(HWND box);

// What a person does in the search dialog.
struct DialogAnswer {
    std::string query;
    int scope = 0; // the scope button to click; 0: leave it
    bool includeAll = false;
    bool cancel = false; // press Escape instead
    bool keepShownText = false; // confirm the text the dialog opened with
    bool replace = false; // a question (to replace a favourite) answered Yes, else with Enter
};

// Answers whatever the search run shows: a message box is read into
// `messages` and confirmed (a question as `answer` says); the search dialog
// gets `answer`: the scope clicked, the check box set (where it can be), the
// query typed, OK clicked.
void AnswerSearchRun(HWND window, const DialogAnswer& answer, std::vector<std::string>& messages);
