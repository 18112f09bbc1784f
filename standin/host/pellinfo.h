// Controls of the stand-in PellInfo.dll, for tests and the stand-in macro
// engine. The library starts from the environment:
//   VELMORO_STANDIN_MAIL=0        IsVelmoroMail returns 0
//   VELMORO_STANDIN_MAINWND=none  MainWnd returns null
//   VELMORO_STANDIN_WINDOW=main|grep|other   where the macro runs
//   VELMORO_STANDIN_ACCOUNT, VELMORO_STANDIN_FOLDER
//   VELMORO_STANDIN_STRINGS=shared   as hostile as a real host may be: every
//                                 string returned lives in one buffer that
//                                 the next call, of any function, overwrites
//   VELMORO_STANDIN_YEN=null|long YenEncode returns null, or its text followed
//                                 by kStandInLongPadding bytes of '~'
//   VELMORO_STANDIN_LOG=path      every call is also appended to that file
#pragma once

#include <windows.h>

#include <cstddef>

const std::size_t kStandInLongPadding = 1 << 20;

extern "C" {
// Back to the start values (the environment's).
__declspec(dllexport) void StandInReset(void);
// Names: "mail", "mainwnd", "window", "account", "folder", "strings", "yen"
// as above; a null value makes CurrentAccount or CurrentFolder return null.
__declspec(dllexport) void StandInConfigure(const char* name, const char* value);
__declspec(dllexport) void StandInShowMainWindow(void);
__declspec(dllexport) void StandInSetMainWnd(HWND window);
// Every call so far, one line each: the function, then its arguments, all
// separated by '|'; a null string shows as "(null)".
__declspec(dllexport) const char* StandInCallLog(void);
}
