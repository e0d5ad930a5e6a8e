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

UINT ExpectedDpi()
{
    const char* dpi = std::getenv("DRAVIX_EXPECTED_DPI");
    return dpi == nullptr ? 96 : static_cast<UINT>(std::atoi(dpi));
}

// A length at 96 dots per inch, at the test's DPI.
double AtDpi(int pixels)
{
    return pixels * ExpectedDpi() / 96.0;
}

void SendKey(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void Press(WORD key, WORD modifier = 0)
{
    if (modifier != 0)
        SendKey(modifier, false);
    SendKey(key, false);
    SendKey(key, true);
    if (modifier != 0)
        SendKey(modifier, true);
}

// A character no key of the keyboard layout types, as an input method gives it.
void TypeUnit(wchar_t unit)
{
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = unit;
        input.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof inputs[0]);
}

void ClickOn(HWND control)
{
    RECT place;
    GetWindowRect(control, &place);
    // Absolute positions run from 0 to 65535 across the screen.
    const auto normalised = [](LONG from, LONG to, int metric) {
        return (from + to) / 2 * 65536 / GetSystemMetrics(metric);
    };
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = normalised(place.left, place.right, SM_CXSCREEN);
        input.mi.dy = normalised(place.top, place.bottom, SM_CYSCREEN);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, inputs, sizeof inputs[0]);
}

std::vector<HWND> VisibleChildren(HWND window, const wchar_t* className)
{
    std::pair<std::vector<HWND>, const wchar_t*> found = {{}, className};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) {
            auto& [children, name] = *reinterpret_cast<decltype(found)*>(data);
            wchar_t childClass[32] = {};
            GetClassNameW(child, childClass, 32);
            if (IsWindowVisible(child) && _wcsicmp(childClass, name) == 0)
                children.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.first;
}

std::string TextOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

const design::Control& Named(const std::string& name)
{
    return **std::find_if(design::kControls.begin(), design::kControls.end(),
                          [&name](const design::Control* c) { return c->name == name; });
}

// The rows of a window's DC that hold a pixel of the colour.
int InkRows(HDC dc, COLORREF colour)
{
    RECT area;
    GetClipBox(dc, &area);
    int rows = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        int x = area.left;
        while (x < area.right && GetPixel(dc, x, y) != colour)
            ++x;
        rows += x < area.right ? 1 : 0;
    }
    return rows;
}

// The rows of ink of a label's text drawn in its font in black on white, with room to spare.
int UnclippedInkRows(HWND label)
{
    const HDC screen = GetDC(nullptr);
    const HDC canvas = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 200);
    const HGDIOBJ previousBitmap = SelectObject(canvas, bitmap);
    const HGDIOBJ previousFont =
        SelectObject(canvas, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT area = {0, 0, 400, 200};
    FillRect(canvas, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const std::wstring text = Utf16(TextOf(label));
    TextOutW(canvas, 10, 50, text.c_str(), static_cast<int>(text.size()));
    const int rows = InkRows(canvas, RGB(0, 0, 0));
    SelectObject(canvas, previousFont);
    SelectObject(canvas, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(canvas);
    ReleaseDC(nullptr, screen);
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

    void Keys(const std::string& keys)
    {
        const std::pair<char, std::pair<WORD, WORD>> special[] = {
            {'\t', {VK_TAB, 0}},      {'\r', {VK_RETURN, 0}},      {'\b', {VK_BACK, 0}},
            {'\x1b', {VK_ESCAPE, 0}}, {'\x16', {'V', VK_CONTROL}}, {'\x1a', {'Z', VK_CONTROL}},
            {' ', {VK_SPACE, 0}}};
        for (const wchar_t unit : Utf16(keys)) {
            const auto* named = std::find_if(std::begin(special), std::end(special),
                                             [unit](const auto& k) { return k.first == unit; });
            const SHORT key = unit < 0x80 ? VkKeyScanW(unit) : -1;
            if (named != std::end(special))
                Press(named->second.first, named->second.second);
            else if (key != -1)
                Press(LOBYTE(key), (HIBYTE(key) & 1) != 0 ? VK_SHIFT : 0);
            else
                TypeUnit(unit);
            Settle();
        }
    }
    void Click(const std::string& name)
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
        const HWND focus = GetFocus();
        for (const design::Control* control : design::kControls) {
            if (form.Control(*control) == focus)
                return std::string(control->name);
        }
        return "";
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
    // Runs inside a message box's own loop: writes the box down, then closes it as the row
    // says; one that stays open is ended, so that the test fails instead of hanging.
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
        window.boxes_.push_back(Describe(box));
        const HWND ok = VisibleChildren(box, L"Button").front();
        switch (window.closer_) {
        case scenarios::Closer::Enter:
            Press(VK_RETURN);
            break;
        case scenarios::Closer::Space:
            Press(VK_SPACE);
            break;
        case scenarios::Closer::Escape:
            Press(VK_ESCAPE);
            break;
        case scenarios::Closer::Click:
            ClickOn(ok);
            break;
        }
    }

    // "caption|text|icon|buttons", as the scenario table writes it.
    static std::string Describe(HWND box)
    {
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
        return TextOf(box) + '|' + text + '|' + icon + '|' + std::to_string(buttons.size()) + ' ' +
               TextOf(buttons.front());
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
        const HWND control = w.form.Control(Named(place.name));
        GetWindowRect(control, &rect);
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
    const HDC screen = GetDC(nullptr);
    for (const auto& [name, face, points, weight] : fonts) {
        const auto font =
            reinterpret_cast<HFONT>(SendMessageW(w.form.Control(Named(name)), WM_GETFONT, 0, 0));
        LOGFONTW logFont = {};
        ASSERT_TRUE(GetObjectW(font, sizeof logFont, &logFont)) << name;
        EXPECT_STREQ(logFont.lfFaceName, face) << name;
        EXPECT_EQ(logFont.lfCharSet, GB2312_CHARSET) << name;
        EXPECT_NEAR(-logFont.lfHeight, AtDpi(points * 96 / 72), 0.5) << name;
        EXPECT_EQ(logFont.lfWeight, weight) << name;
        const HGDIOBJ previous = SelectObject(screen, font);
        EXPECT_EQ(GetTextCharset(screen), GB2312_CHARSET) << name;
        SelectObject(screen, previous);
    }
    ReleaseDC(nullptr, screen);

    // The prompt is pure red, and shows as many rows of ink as the same text drawn with room to
    // spare: none is cut off.
    const HWND label = w.form.Control(design::kLabel1);
    RedrawWindow(label, nullptr, nullptr, RDW_UPDATENOW);
    const HDC shown = GetDC(label);
    EXPECT_EQ(InkRows(shown, RGB(255, 0, 0)), UnclippedInkRows(label)) << "rows of the prompt";
    ReleaseDC(label, shown);

    // The program's own icon, three white balls on red, in both sizes the window shows.
    for (const int index : {GCLP_HICON, GCLP_HICONSM}) {
        const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(w.form.Window(), index));
        ASSERT_NE(icon, nullptr);
        const HDC memory = CreateCompatibleDC(nullptr);
        const HBITMAP canvas = CreateBitmap(32, 32, 1, 32, nullptr);
        const HGDIOBJ previous = SelectObject(memory, canvas);
        DrawIconEx(memory, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        EXPECT_EQ(GetPixel(memory, 16, 5), RGB(255, 0, 0));
        SelectObject(memory, previous);
        DeleteObject(canvas);
        DeleteDC(memory);
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
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
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
