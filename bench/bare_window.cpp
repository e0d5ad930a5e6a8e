// The least Chinese window of themed controls: one text box in a top-level window, showing its
// text in the Song face at 12 points, built as Dravix is. Any window that shows Chinese loads such
// a face at start, which under Wine costs more than the rest of a small window: this is the floor
// that Dravix's start-up on Windows is measured against.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};

LRESULT CALLBACK BareWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

int RunBareWindow(HINSTANCE instance, int show)
{
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = BareWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BareWindow";
    RegisterClassW(&windowClass);
    const HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 400, 240, nullptr, nullptr, instance, nullptr);
    const HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"宋体", WS_CHILD | WS_VISIBLE, 8,
                                     8, 100, 25, window, nullptr, instance, nullptr);
    LOGFONTW song = {};
    const HDC screen = GetDC(nullptr);
    song.lfHeight = -MulDiv(12, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    song.lfCharSet = GB2312_CHARSET;
    lstrcpynW(song.lfFaceName, L"宋体", LF_FACESIZE);
    const std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter> font(
        CreateFontIndirectW(&song));
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
