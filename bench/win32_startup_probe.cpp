// Runs a window's program (DRAVIX_PROBED names its run function) and, once everything that its
// start showed is painted, prints "painted working_set_kib=<n>" and ends it.
#include <windows.h>

#include <psapi.h>

#include <cstdio>

int DRAVIX_PROBED(HINSTANCE instance, int show);

namespace {

constexpr UINT kPaintsDone = WM_APP + 1;

// Watches the messages the program's loop takes: a posted message is taken before any WM_PAINT,
// so the one posted here arrives when the paint just taken, and any before it, is done.
LRESULT CALLBACK WatchPaints(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& message = *reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (message.message == WM_PAINT)
            PostThreadMessageW(GetCurrentThreadId(), kPaintsDone, 0, 0);
        else if (message.message == kPaintsDone && message.hwnd == nullptr &&
                 (GetQueueStatus(QS_PAINT) & QS_PAINT) == 0) {
            PROCESS_MEMORY_COUNTERS memory = {};
            memory.cb = sizeof memory;
            GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
            std::printf("painted working_set_kib=%llu\n",
                        static_cast<unsigned long long>(memory.WorkingSetSize / 1024));
            std::fflush(stdout);
            ExitProcess(0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    SetWindowsHookExW(WH_GETMESSAGE, WatchPaints, nullptr, GetCurrentThreadId());
    return DRAVIX_PROBED(instance, show);
}
