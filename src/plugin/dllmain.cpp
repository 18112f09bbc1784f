// The DLL's entry routine and its one export.
#include "plugin/attach.h"
#include "plugin/exception_storage.h"
#include "plugin/search_run.h"
#include "plugin/session.h"

#include <windows.h>

// Attach and detach let nothing escape into the loader; a failed attach
// leaves the host marked unusable or the settings absent, which the run
// copes with.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    g_session.module = instance;
    if (reason == DLL_PROCESS_ATTACH)
        AttachProcess(instance);
    else if (reason == DLL_PROCESS_DETACH)
        DetachProcess();
    else if (reason == DLL_THREAD_DETACH)
        ReleaseThreadExceptionRecord();
    return TRUE;
}

// Called by the mail client's macro engine with the text to start from.
// Always 0, and nothing escapes into the macro engine.
extern "C" __declspec(dllexport) int __cdecl search(const char* initialText) {
    return RunSearch(initialText);
}
