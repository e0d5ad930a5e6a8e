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

// Presses a key, with the modifier held down around it where one is given.
void Press(WORD key, WORD modifier = 0)
{
    const std::pair<WORD, DWORD> strokes[] = {
        {modifier, 0}, {key, 0}, {key, KEYEVENTF_KEYUP}, {modifier, KEYEVENTF_KEYUP}};
    std::vector<INPUT> inputs;
    for (const auto& [code, flags] : strokes) {
        if (code != 0) {
            INPUT& input = inputs.emplace_back();
            input.type = INPUT_KEYBOARD;
            input.ki = {code, 0, flags, 0, 0};
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void ClickOn(HWND control)
{
    RECT place;
    GetWindowRect(control, &place);
    // Absolute positions run from 0 to 65535 across the screen.
    const LONG x = (place.left + place.right) / 2 * 65536 / GetSystemMetrics(SM_CXSCREEN);
    const LONG y = (place.top + place.bottom) / 2 * 65536 / GetSystemMetrics(SM_CYSCREEN);
    const DWORD steps[] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    INPUT inputs[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi = {x, y, 0, steps[i] | MOUSEEVENTF_ABSOLUTE, 0, 0};
    }
    SendInput(3, inputs, sizeof(INPUT));
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

const design::Control& Named(const std::string& name)
{
    return **std::find_if(design::kControls.begin(), design::kControls.end(),
                          [&name](const design::Control* c) { return c->name == name; });
}

scenarios::Rgb RgbOf(COLORREF colour)
{
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

// A 32-bit picture in memory to draw into.
struct Canvas {
    Canvas() { previous = SelectObject(dc, bitmap); }
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateBitmap(400, 100, 1, 32, nullptr);
    HGDIOBJ previous = nullptr;
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

// Polls until the condition holds, for ten seconds at the most.
template <typename Condition> bool Eventually(Condition condition)
{
    for (int tries = 0; tries < 200; ++tries, Sleep(50)) {
        if (condition())
            return true;
    }
    return false;
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

    void Keys(const std::string& keys) const
    {
        const std::pair<char, std::pair<WORD, WORD>> special[] = {
            {'\t', {VK_TAB, 0}},      {'\r', {VK_RETURN, 0}},      {'\b', {VK_BACK, 0}},
            {'\x1b', {VK_ESCAPE, 0}}, {'\x16', {'V', VK_CONTROL}}, {'\x1a', {'Z', VK_CONTROL}}};
        for (const char c : keys) {
            const auto* named = std::find_if(std::begin(special), std::end(special),
                                             [c](const auto& k) { return k.first == c; });
            const SHORT key = VkKeyScanW(static_cast<wchar_t>(c));
            if (named != std::end(special))
                Press(named->second.first, named->second.second);
            else
                Press(LOBYTE(key), (HIBYTE(key) & 1) != 0 ? VK_SHIFT : 0);
            Settle();
        }
    }
    void Click(const std::string& name) const
    {
        ClickOn(form.Control(Named(name)));
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
    std::string Text(const std::string& name) const { return TextOf(form.Control(Named(name))); }
    int FirstShown(const std::string& name) const
    {
        return static_cast<int>(
            SendMessageW(form.Control(Named(name)), EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    std::vector<std::string> Boxes() const { return boxes_; }

    std::array<int, 4> Place(const std::string& name) const
    {
        RECT place;
        if (name == "Form1") {
            GetClientRect(form.Window(), &place);
        } else {
            GetWindowRect(form.Control(Named(name)), &place);
            MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&place), 2);
        }
        return {place.left, place.top, place.right - place.left, place.bottom - place.top};
    }
    // The face that Windows' font mapper chose for the font asked for, and that font's size.
    scenarios::Font FontOf(const std::string& name) const
    {
        const auto font =
            reinterpret_cast<HFONT>(SendMessageW(form.Control(Named(name)), WM_GETFONT, 0, 0));
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
        const HWND label = form.Control(design::kLabel1);
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
        for (const HWND label : VisibleChildren(box, L"Static")) {
            const auto shown = reinterpret_cast<HICON>(SendMessageW(label, STM_GETICON, 0, 0));
            if ((GetWindowLongW(label, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
                text = TextOf(label);
            else if (shown != nullptr)
                icon = shown == LoadIconW(nullptr, IDI_ERROR) ? "error" : "other";
        }
        const std::vector<HWND> buttons = VisibleChildren(box, L"Button");
        window.boxes_.push_back(TextOf(box) + '|' + text + '|' + icon + '|' +
                                std::to_string(buttons.size()) + ' ' + TextOf(buttons.front()));
        const WORD keys[] = {VK_RETURN, VK_SPACE, VK_ESCAPE};
        if (window.closer_ == scenarios::Closer::Click)
            ClickOn(buttons.front());
        else
            Press(keys[static_cast<int>(window.closer_)]);
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

// The program itself, as Windows starts it: its own message loop takes the digits and Enter to
// the box or button with the focus, and closing the window ends it with exit code 0.
TEST(Win32Window, RunsAsAProgram)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program = {};
    ASSERT_TRUE(CreateProcessW(Utf16(std::getenv("DRAVIX_EXE")).c_str(), nullptr, nullptr, nullptr,
                               FALSE, 0, nullptr, nullptr, &startup, &program));
    HWND form = nullptr;
    EXPECT_TRUE(Eventually([&form] { return (form = FindWindowW(L"Form1", L"Dravix")); }));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    const auto focus = [&] {
        return GetGUIThreadInfo(program.dwThreadId, &gui) ? gui.hwndFocus : nullptr;
    };
    // Each key to the box or button with the focus, once the focus has moved on from the last;
    // '\r' is VK_RETURN.
    HWND box = nullptr;
    for (const char key : {'1', '2', '3', '\r'}) {
        const HWND last = box;
        EXPECT_TRUE(Eventually([&] { return (box = focus()) != last && IsChild(form, box); }));
        PostMessageW(box, key == '\r' ? WM_KEYDOWN : WM_CHAR, static_cast<WPARAM>(key), 0);
    }
    const HWND text2 =
        FindWindowExW(form, FindWindowExW(form, nullptr, L"Edit", nullptr), L"Edit", nullptr);
    // Another program's box answers WM_GETTEXT; GetWindowText would give its caption.
    wchar_t line[100] = {};
    EXPECT_TRUE(Eventually([&] {
        SendMessageW(text2, WM_GETTEXT, std::size(line), reinterpret_cast<LPARAM>(line));
        return Utf8(line) == scenarios::kLine123;
    }));
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
