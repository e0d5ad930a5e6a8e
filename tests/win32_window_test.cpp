// The native window under Wine: the scenario table fed in as real keyboard and mouse input through
// the program's own message loop, and what only the Windows window has to show for itself.
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

// A length at 96 dots per inch, at the DPI the test runs at.
double AtDpi(int pixels)
{
    const char* dpi = std::getenv("DRAVIX_EXPECTED_DPI");
    return pixels * (dpi == nullptr ? 96 : std::atoi(dpi)) / 96.0;
}

INPUT Key(WORD key, DWORD flags, wchar_t unit = 0)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki = {key, unit, flags, 0, 0};
    return input;
}

void Press(WORD key, WORD modifier = 0)
{
    std::vector<INPUT> inputs = {Key(key, 0), Key(key, KEYEVENTF_KEYUP)};
    if (modifier != 0) {
        inputs.insert(inputs.begin(), Key(modifier, 0));
        inputs.push_back(Key(modifier, KEYEVENTF_KEYUP));
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
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void Keys(const std::string& keys) const
    {
        const std::pair<char, std::pair<WORD, WORD>> special[] = {
            {'\t', {VK_TAB, 0}},      {'\r', {VK_RETURN, 0}},      {'\b', {VK_BACK, 0}},
            {'\x1b', {VK_ESCAPE, 0}}, {'\x16', {'V', VK_CONTROL}}, {'\x1a', {'Z', VK_CONTROL}},
            {' ', {VK_SPACE, 0}}};
        for (const wchar_t unit : Utf16(keys)) {
            const auto* named = std::find_if(std::begin(special), std::end(special),
                                             [unit](const auto& k) { return k.first == unit; });
            const SHORT key = unit < 0x80 ? VkKeyScanW(unit) : -1;
            if (named != std::end(special)) {
                Press(named->second.first, named->second.second);
            } else if (key != -1) {
                Press(LOBYTE(key), (HIBYTE(key) & 1) != 0 ? VK_SHIFT : 0);
            } else {
                // As an input method gives a character that no key of the layout types.
                INPUT typed[] = {Key(0, KEYEVENTF_UNICODE, unit),
                                 Key(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, unit)};
                SendInput(2, typed, sizeof(INPUT));
            }
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

    // Lets the window work through its input, in its own message loop, until none comes for a
    // while.
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

// Places, size and fonts at the display's DPI, the red prompt drawn whole, the icon, themed
// controls, the version block of the program, and a lone surrogate read as U+FFFD.
TEST(Win32Window, LooksAsDesigned)
{
    const Window w;
    RECT client;
    GetClientRect(w.form.Window(), &client);
    EXPECT_NEAR(client.right, AtDpi(385), 0.5);
    EXPECT_NEAR(client.bottom, AtDpi(199), 0.5);
    for (const scenarios::Place& place : scenarios::kPlaces) {
        RECT rect;
        GetWindowRect(w.form.Control(Named(place.name)), &rect);
        MapWindowPoints(nullptr, w.form.Window(), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_NEAR(rect.left, AtDpi(place.left), 0.5) << place.name;
        EXPECT_NEAR(rect.top, AtDpi(place.top), 0.5) << place.name;
        EXPECT_NEAR(rect.right - rect.left, AtDpi(place.width), 1) << place.name;
        EXPECT_NEAR(rect.bottom - rect.top, AtDpi(place.height), 1) << place.name;
    }

    // The face asked for, its size in points at this DPI, and a Simplified Chinese face found.
    const std::tuple<const char*, const wchar_t*, int, LONG> fonts[] = {
        {"Label1", L"黑体", 12, FW_BOLD},   {"Text1", L"宋体", 12, FW_NORMAL},
        {"Text3", L"宋体", 12, FW_NORMAL},  {"Text4", L"宋体", 12, FW_NORMAL},
        {"Text2", L"宋体", 9, FW_NORMAL},   {"Command1", L"宋体", 9, FW_NORMAL},
        {"Command2", L"宋体", 9, FW_NORMAL}};
    const Canvas canvas;
    for (const auto& [name, face, points, weight] : fonts) {
        const auto font =
            reinterpret_cast<HFONT>(SendMessageW(w.form.Control(Named(name)), WM_GETFONT, 0, 0));
        LOGFONTW logFont = {};
        ASSERT_TRUE(GetObjectW(font, sizeof logFont, &logFont)) << name;
        EXPECT_STREQ(logFont.lfFaceName, face) << name;
        EXPECT_NEAR(-logFont.lfHeight, AtDpi(points * 96 / 72), 0.5) << name;
        EXPECT_EQ(logFont.lfWeight, weight) << name;
        SelectObject(canvas.dc, font);
        EXPECT_EQ(GetTextCharset(canvas.dc), GB2312_CHARSET) << name;
    }

    // The prompt is pure red, and shows as many rows of ink as its text drawn in black with room
    // to spare: none is cut off.
    const HWND label = w.form.Control(design::kLabel1);
    RedrawWindow(label, nullptr, nullptr, RDW_UPDATENOW);
    RECT area;
    GetClientRect(label, &area);
    const HDC shown = GetDC(label);
    const int rows = InkRows(shown, area, RGB(255, 0, 0));
    ReleaseDC(label, shown);
    const RECT room = {0, 0, 400, 100};
    FillRect(canvas.dc, &room, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(canvas.dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring prompt = WindowText(label);
    TextOutW(canvas.dc, 10, 30, prompt.c_str(), static_cast<int>(prompt.size()));
    EXPECT_EQ(rows, InkRows(canvas.dc, room, RGB(0, 0, 0))) << "rows of the prompt";

    // The program's own icon, three white balls on red, in both sizes the window shows.
    for (const int index : {GCLP_HICON, GCLP_HICONSM}) {
        const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(w.form.Window(), index));
        ASSERT_NE(icon, nullptr);
        DrawIconEx(canvas.dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        EXPECT_EQ(GetPixel(canvas.dc, 16, 5), RGB(255, 0, 0));
    }

    // The manifest is in force: the common controls are version 6's, the themed ones.
    ACTCTX_SECTION_KEYED_DATA redirection = {};
    redirection.cbSize = sizeof redirection;
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         L"comctl32.dll", &redirection));

    // The program's version block: 1.00, Chinese (PRC), Unicode.
    const std::wstring program = Utf16(std::getenv("DRAVIX_EXE"));
    std::vector<char> block(GetFileVersionInfoSizeW(program.c_str(), nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(
        GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &size));
    EXPECT_EQ(static_cast<const VS_FIXEDFILEINFO*>(value)->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(static_cast<const VS_FIXEDFILEINFO*>(value)->dwProductVersionMS, 0x00010000u);
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &size));
    EXPECT_EQ(*static_cast<const DWORD*>(value), MAKELONG(0x0804, 1200));
    for (const auto& [name, expected] : {std::pair{L"FileVersion", L"1.00"},
                                         {L"ProductVersion", L"1.00"},
                                         {L"ProductName", L"Dravix"},
                                         {L"OriginalFilename", L"dravix.exe"}}) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\080404B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), &value, &size));
        EXPECT_STREQ(static_cast<const wchar_t*>(value), expected);
    }

    EXPECT_EQ(Utf8(L"1\xD800"), "1\uFFFD");
    EXPECT_EQ(Utf8(L"\xDC00"
                   L"2"),
              "\uFFFD2");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
