// GoogleTest's settings for the Windows builds, found before its own (empty) ones. GCC 12's win32
// thread model (see mingw-w64.cmake) has no std::mutex, on which GoogleTest 1.12 builds the
// Notification of its own thread tests: this one waits on an event of Windows' instead.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    const HANDLE event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

} // namespace testing::internal
