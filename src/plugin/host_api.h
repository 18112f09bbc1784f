// The functions of the mail client's companion library, PellInfo.dll, that
// the plug-in calls: listed here once, in the order attach binds them, as
// X(name, result, parameters). Each is a plain C function (__cdecl).
#pragma once

#include <windows.h>

#define VELMORO_HOST_FUNCTIONS(X)                                                                                      \
    X(StartDoGrep, int, (const char* account, const char* folder))                                                     \
    X(SetFindPack, int, (const char* expression))                                                                      \
    X(CurrentFolder, const char*, ())                                                                                  \
    X(YenEncode, const char*, (const char* text))                                                                      \
    X(ExecAtMain, INT_PTR, (const char* function, ...))                                                                \
    X(IsVelmoroMail, int, ())                                                                                          \
    X(IsVelmoroMailMain, int, ())                                                                                      \
    X(IsVelmoroMailGrep, int, ())                                                                                      \
    X(MainWnd, HWND, ())                                                                                               \
    X(PushFindPack, int, ())

// The functions as bound at attach; null where the library lacks one.
struct HostApi {
#define VELMORO_HOST_SLOT(name, result, parameters) result(__cdecl* name) parameters = nullptr;
    VELMORO_HOST_FUNCTIONS(VELMORO_HOST_SLOT)
#undef VELMORO_HOST_SLOT
};
