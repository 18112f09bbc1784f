// A companion library that lacks all but one of the functions: the plug-in
// must notice and refuse to search rather than call a null function.
#include <windows.h>

extern "C" __declspec(dllexport) int __cdecl IsVelmoroMail(void) {
    return 1;
}
