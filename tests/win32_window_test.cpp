// The native window under Wine: both tables of the window, fed in as real keyboard and mouse input
// through the window's own dispatch, and what only the Windows window has to show for itself.
#include "form1.h"
#include "window_scenarios.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Presses a key, with Shift or Ctrl held around it where VkKeyScan's shift state (1 or 2) says.
void Press(BYTE key, BYTE shiftState = 0)
{
    const BYTE held = (shiftState & 1) != 0 ? VK_SHIFT : (shiftState & 2) != 0 ? VK_CONTROL : 0;
    const std::pair<BYTE, DWORD> strokes[] = {
        {held, 0}, {key, 0}, {key, KEYEVENTF_KEYUP}, {held, KEYEVENTF_KEYUP}};
    for (const auto& [code, flags] : strokes) {
        if (code != 0)
            keybd_event(code, 0, flags, 0);
    }
}

void ClickOn(HWND control)
{
    RECT place;
    GetWindowRect(control, &place);
    SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

std::vector<HWND> VisibleChildren(HWND window, const wchar_t* className)
{
    std::vector<HWND> children;
    for (HWND child = nullptr; (child = FindWindowExW(window, child, className, nullptr));) {
        if (IsWindowVisible(child))
            children.push_back(child);
    }
    return children;
}

std::string TextOf(HWND window)
{
    return Utf8(WindowText(window));
}

scenarios::Rgb RgbOf(COLORREF colour)
{
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

// A 32-bit picture in memory to draw into.
struct Canvas {
    Canvas() { SelectObject(dc, bitmap); }
    ~Canvas()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateBitmap(400, 100, 1, 32, nullptr);
};

// The rows of the area that hold a pixel of the colour.
int InkRows(HDC dc, RECT area, COLORREF colour)
{
    int rows = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        int x = area.left;
        while (x < area.right && GetPixel(dc, x, y) != colour)
            ++x;
        rows += x < area.right ? 1 : 0;
    }
    return rows;
}

class Window {
public:
    explicit Window(scenarios::Closer closer = scenarios::Closer::Enter) : closer_(closer)
    {
        ShowWindow(form.Window(), SW_SHOW);
        SetForegroundWindow(form.Window());
        Settle();
        SetTimer(form.Window(), reinterpret_cast<UINT_PTR>(this), 20, PollBoxes);
    }
    ~Window() { KillTimer(form.Window(), reinterpret_cast<UINT_PTR>(this)); }

    HWND Get(const std::string& name) const
    {
        return form.Control(**std::find_if(design::kControls.begin(), design::kControls.end(),
                                           [&name](auto* c) { return c->name == name; }));
    }
    // Control characters are typed as VkKeyScan reads them: "\x16" is Ctrl+V.
    void Keys(const std::string& keys) const
    {
        for (const char c : keys) {
            const SHORT key = VkKeyScanW(static_cast<wchar_t>(c));
            Press(LOBYTE(key), HIBYTE(key));
            Settle();
        }
    }
    void Click(const std::string& name) const
    {
        ClickOn(Get(name));
        Settle();
    }
    void Copy(const std::string& text) const
    {
        const std::wstring wide = Utf16(text);
        const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
        GlobalUnlock(memory);
        ASSERT_TRUE(OpenClipboard(form.Window()));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    }
    std::string Focus() const
    {
        const auto* focus = std::find_if(
            design::kControls.begin(), design::kControls.end(),
            [this](const design::Control* c) { return form.Control(*c) == GetFocus(); });
        return focus == design::kControls.end() ? "" : std::string((*focus)->name);
    }
    std::string Text(const std::string& name) const { return TextOf(Get(name)); }
    int FirstShown(const std::string& name) const
    {
        return static_cast<int>(SendMessageW(Get(name), EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    std::vector<std::string> Boxes() const { return boxes_; }

    std::array<int, 4> Place(const std::string& name) const
    {
        RECT place;
        if (name == "Form1") {
            GetClientRect(form.Window(), &place);
        } else {
            GetWindowRect(Get(name), &place);
            MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&place), 2);
        }
        return {place.left, place.top, place.right - place.left, place.bottom - place.top};
    }
    // The face that Windows' font mapper chose for the font asked for, and that font's size.
    scenarios::Font FontOf(const std::string& name) const
    {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(Get(name), WM_GETFONT, 0, 0));
        LOGFONTW logFont = {};
        GetObjectW(font, sizeof logFont, &logFont);
        const Canvas canvas;
        SelectObject(canvas.dc, font);
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(canvas.dc, LF_FACESIZE, face);
        return {Utf8(face), MulDiv(-logFont.lfHeight, 72, GetDeviceCaps(canvas.dc, LOGPIXELSY)),
                logFont.lfWeight == FW_BOLD, GetTextCharset(canvas.dc) == GB2312_CHARSET};
    }
    // The prompt as shown, and its text drawn in black with room to spare.
    std::pair<int, int> PromptInk() const
    {
        const HWND label = Get("Label1");
        RedrawWindow(label, nullptr, nullptr, RDW_UPDATENOW);
        RECT area;
        GetClientRect(label, &area);
        const HDC shown = GetDC(label);
        const int rows = InkRows(shown, area, RGB(255, 0, 0));
        ReleaseDC(label, shown);
        const Canvas canvas;
        const RECT room = {0, 0, 400, 100};
        FillRect(canvas.dc, &room, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SelectObject(canvas.dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        const std::wstring prompt = WindowText(label);
        TextOutW(canvas.dc, 10, 30, prompt.c_str(), static_cast<int>(prompt.size()));
        return {rows, InkRows(canvas.dc, room, RGB(0, 0, 0))};
    }
    // The window's small icon at 16 pixels, its large one at 32.
    scenarios::Rgb IconColour(int size, int x, int y) const
    {
        const auto icon = reinterpret_cast<HICON>(
            GetClassLongPtrW(form.Window(), size == 16 ? GCLP_HICONSM : GCLP_HICON));
        const Canvas canvas;
        DrawIconEx(canvas.dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        return RgbOf(GetPixel(canvas.dc, x, y));
    }
    scenarios::Rgb Colour(int x, int y) const
    {
        RedrawWindow(form.Window(), nullptr, nullptr, RDW_UPDATENOW);
        const HDC dc = GetDC(form.Window());
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(form.Window(), dc);
        return RgbOf(colour);
    }
    scenarios::Rgb DialogColour() const { return RgbOf(GetSysColor(COLOR_BTNFACE)); }

    // Lets the window work through its input, in its own dispatch, until none comes for a while.
    void Settle() const
    {
        do {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message != WM_QUIT)
                    form.Dispatch(message);
            }
        } while (MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT & ~QS_TIMER) !=
                 WAIT_TIMEOUT);
    }

    const Form1 form{GetModuleHandleW(nullptr)};

private:
    // Runs inside a message box's own loop: writes the box down as "caption|text|icon|buttons",
    // then closes it as the row says; one that stays open is ended, so that the test fails
    // instead of hanging.
    static void CALLBACK PollBoxes(HWND, UINT, UINT_PTR self, DWORD)
    {
        auto& window = *reinterpret_cast<Window*>(self);
        const HWND box = GetActiveWindow();
        if (box == nullptr || box == window.form.Window())
            return;
        if (box == window.lastBox_) {
            if (++window.polls_ > 100)
                EndDialog(box, IDOK);
            return;
        }
        window.lastBox_ = box;
        window.polls_ = 0;
        std::string text;
        std::string icon = "none";
        // The text is a label without an icon.
        for (const HWND label : VisibleChildren(box, L"Static")) {
            const auto shown = reinterpret_cast<HICON>(SendMessageW(label, STM_GETICON, 0, 0));
            if (shown == nullptr)
                text = TextOf(label);
            else
                icon = shown == LoadIconW(nullptr, IDI_ERROR) ? "error" : "other";
        }
        const std::vector<HWND> buttons = VisibleChildren(box, L"Button");
        window.boxes_.push_back(TextOf(box) + '|' + text + '|' + icon + '|' +
                                std::to_string(buttons.size()) + ' ' + TextOf(buttons.front()));
        // The virtual keys of Enter, Space and Escape are their ASCII codes.
        if (window.closer_ == scenarios::Closer::Click)
            ClickOn(buttons.front());
        else
            Press("\r \x1b"[static_cast<int>(window.closer_)]);
    }

    scenarios::Closer closer_;
    std::vector<std::string> boxes_;
    HWND lastBox_ = nullptr;
    int polls_ = 0;
};

TEST(Win32Window, BehavesAsAPersonExpects)
{
    scenarios::RunAll<Window>();
}

// The look at the display's DPI, themed controls, and a lone surrogate read as U+FFFD.
TEST(Win32Window, LooksAsDesigned)
{
    Window w;
    const char* dpi = std::getenv("DRAVIX_EXPECTED_DPI");
    scenarios::CheckLook(w, (dpi == nullptr ? 96 : std::atoi(dpi)) / 96.0);

    // The manifest is in force: the common controls are version 6's, the themed ones.
    ACTCTX_SECTION_KEYED_DATA redirection = {};
    redirection.cbSize = sizeof redirection;
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         L"comctl32.dll", &redirection));

    EXPECT_EQ(Utf8(L"1\xD800"), "1\uFFFD");
    EXPECT_EQ(Utf8(L"\xDC00"
                   L"2"),
              "\uFFFD2");
}

// A Form1 takes its window with it; the program itself, as Windows starts it, shows its window and
// runs its own message loop until the window is closed, then ends with exit code 0.
TEST(Win32Window, RunsAsAProgram)
{
    const HWND gone = Form1(GetModuleHandleW(nullptr)).Window();
    EXPECT_FALSE(IsWindow(gone));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program = {};
    ASSERT_TRUE(CreateProcessW(Utf16(std::getenv("DRAVIX_EXE")).c_str(), nullptr, nullptr, nullptr,
                               FALSE, 0, nullptr, nullptr, &startup, &program));
    EXPECT_EQ(WaitForInputIdle(program.hProcess, 10000), 0u);
    const HWND form = FindWindowW(L"Form1", L"Dravix");
    EXPECT_TRUE(IsWindowVisible(form));
    PostMessageW(form, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    if (WaitForSingleObject(program.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(program.hProcess, 1);
    GetExitCodeProcess(program.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
