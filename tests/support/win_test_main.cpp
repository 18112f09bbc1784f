// The main of every test program that runs under Wine.
//
// A crash ends the program at once, naming the test it happened in: no
// debugger is started and no dialog waits for a click. The registry roots
// the tests touch are redirected to a scratch key of this process, so that
// test programs running side by side never see each other's values, and the
// suite never changes a person's real settings.
#include <windows.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

const char* CurrentTestName() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    static std::string name;
    if (!test)
        return "(outside any test)";
    name = std::string(test->test_suite_name()) + "." + test->name();
    return name.c_str();
}

[[noreturn]] void EndAfterCrash(const char* what) {
    std::fflush(stdout);
    std::fprintf(stderr, "\nCRASH in %s: %s\n", CurrentTestName(), what);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    std::_Exit(3);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
    char what[96];
    std::snprintf(what, sizeof what, "exception 0x%08lx at %p",
                  static_cast<unsigned long>(pointers->ExceptionRecord->ExceptionCode),
                  pointers->ExceptionRecord->ExceptionAddress);
    EndAfterCrash(what);
}

void OnAbort(int) {
    EndAfterCrash("abort");
}

void OnTerminate() {
    EndAfterCrash("std::terminate (an exception nobody caught)");
}

// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process, redirected to
// HKEY_CURRENT_USER\Software\VelmoroTests\<process id>\<root>.
class ScratchRegistry {
public:
    ScratchRegistry() {
        scratch_ = "Software\\VelmoroTests\\" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str()); // left by an earlier process of this id
        Redirect(HKEY_CURRENT_USER, "HKCU");
        Redirect(HKEY_LOCAL_MACHINE, "HKLM");
    }
    ~ScratchRegistry() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VelmoroTests"); // only once no other process uses it
    }
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

private:
    void Redirect(HKEY root, const char* name) {
        HKEY key = nullptr;
        const std::string path = scratch_ + "\\" + name;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS ||
            RegOverridePredefKey(root, key) != ERROR_SUCCESS) {
            std::fprintf(stderr, "cannot redirect the registry root %s to %s\n", name, path.c_str());
            std::exit(2);
        }
        RegCloseKey(key);
    }
    std::string scratch_;
};

// A desktop of this process's own for its windows: test programs running
// side by side never take the activation, or the focus, from each other.
// Threads the tests start take it too (StartThread).
class DesktopOfItsOwn {
public:
    DesktopOfItsOwn() {
        const std::string name = "VelmoroTests" + std::to_string(GetCurrentProcessId());
        desktop_ = CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        if (!desktop_ || !SetThreadDesktop(desktop_)) {
            std::fprintf(stderr, "cannot make a desktop of the test program's own (error %lu)\n", GetLastError());
            std::exit(2);
        }
    }
    ~DesktopOfItsOwn() { CloseDesktop(desktop_); }
    DesktopOfItsOwn(const DesktopOfItsOwn&) = delete;
    DesktopOfItsOwn& operator=(const DesktopOfItsOwn&) = delete;

private:
    HDESK desktop_ = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::signal(SIGABRT, OnAbort);
    std::set_terminate(OnTerminate);
    ::testing::InitGoogleTest(&argc, argv);
    const ScratchRegistry registry;
    const DesktopOfItsOwn desktop;
    return RUN_ALL_TESTS();
}
