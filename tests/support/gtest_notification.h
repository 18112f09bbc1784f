// GoogleTest's Notification, for a C++ library without std::mutex (the
// toolchain's win32 thread variant): a manual-reset event. GoogleTest takes
// it in place of its own when GTEST_HAS_NOTIFICATION_ is set.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

} // namespace internal
} // namespace testing
