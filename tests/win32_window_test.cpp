// The native window under Wine: both tables of the window, fed in as real keyboard and mouse input
// through the window's own dispatch, and what only the Windows window has to show for itself.
#include "form1.h"
#include "screen_reader.h"
#include "window_scenarios.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <utility>
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

design::Id Named(const std::string& name)
{
    return std::find_if(design::kControls.begin(), design::kControls.end(),
                        [&name](const design::Control& c) { return c.name == name; })
        ->id;
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

    HWND Get(const std::string& name) const { return form.Control(Named(name)); }
    // Control characters are typed as VkKeyScan reads them: "\x16" is Ctrl+V.
    void Keys(const std::string& keys)
    {
        for (const char c : keys) {
            const SHORT key = VkKeyScanW(static_cast<wchar_t>(c));
            Press(LOBYTE(key), HIBYTE(key));
            Settle();
        }
    }
    void Click(const std::string& name)
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
            [this](const design::Control& c) { return form.Control(c.id) == GetFocus(); });
        return focus == design::kControls.end() ? "" : std::string(focus->name);
    }
    std::string Text(const std::string& name) const { return Utf8(WindowText(Get(name))); }
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
    // Lets the window work through its input, in its own dispatch, until none comes for a while.
    void Settle()
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

    Form1 form{GetModuleHandleW(nullptr)};

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
                text = Utf8(WindowText(label));
            else
                icon = shown == LoadIconW(nullptr, IDI_ERROR) ? "error" : "other";
        }
        const std::vector<HWND> buttons = VisibleChildren(box, L"Button");
        window.boxes_.push_back(Utf8(WindowText(box)) + '|' + text + '|' + icon + '|' +
                                std::to_string(buttons.size()) + ' ' +
                                Utf8(WindowText(buttons.front())));
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

using Hearing = std::tuple<std::string, LONG, std::string>;
using Getter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);

// One text that a screen reader hears of an object, and its name, role and description; the
// object is then let go.
std::string Said(IAccessible* object, Getter get)
{
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR said = nullptr;
    (object->*get)(self, &said);
    const std::string text = said == nullptr ? "" : Utf8(said);
    SysFreeString(said);
    return text;
}
Hearing Heard(IAccessible* object)
{
    if (object == nullptr)
        return {"no object", 0, ""};
    VARIANT self = {}, role = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    object->get_accRole(self, &role);
    const Hearing heard = {Said(object, &IAccessible::get_accName), role.lVal,
                           Said(object, &IAccessible::get_accDescription)};
    object->Release();
    return heard;
}

constexpr DWORD kLiveRegionChanged = 0x8019;
// The window whose client area last told of a live region's change; a WinEvent callback has no data
// of its own.
HWND liveRegionChanged = nullptr;
void CALLBACK SeeLiveRegionChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                                  DWORD)
{
    if (object == OBJID_CLIENT && child == CHILDID_SELF)
        liveRegionChanged = window;
}

// What a screen reader in another process hears of the program's window, asked of each part's
// window as a reader asks.
class Reader {
public:
    explicit Reader(HWND form) : form_(form) {}
    Hearing Spoken(const std::string& name) const
    {
        return Heard(Ask(AccessibleObjectFromWindow, name));
    }
    // Windows gives each of its controls a role, and Dravix leaves them so: a part's role is that
    // of the standard object for its window.
    LONG Role(const scenarios::Part& part) const
    {
        return std::get<1>(Heard(Ask(CreateStdAccessibleObject, part.name)));
    }
    std::string Value(const std::string& name) const
    {
        IAccessible* object = Ask(AccessibleObjectFromWindow, name);
        const std::string value = Said(object, &IAccessible::get_accValue);
        object->Release();
        return value;
    }
    // The controls stand in the design's order, the tab order, from the top.
    HWND Part(const std::string& name) const
    {
        HWND part = name == "Form1" ? form_ : GetWindow(form_, GW_CHILD);
        for (std::size_t at = name == "Form1" ? 0 : design::IndexOf(Named(name)); at > 0; --at)
            part = GetWindow(part, GW_HWNDNEXT);
        return part;
    }

private:
    template <typename Source> IAccessible* Ask(Source source, const std::string& name) const
    {
        IAccessible* object = nullptr;
        source(Part(name), OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object));
        return object;
    }

    const HWND form_;
};

// Windows refuses to make Form1, and the report that follows is read and closed.
LRESULT CALLBACK RefuseForm1(int code, WPARAM wParam, LPARAM lParam)
{
    wchar_t name[8] = {};
    if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), name, 8) > 0 &&
        std::wstring_view(name) == L"Form1")
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
std::string noWindowReport;
void CALLBACK ReadAndCloseReport(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (const HWND box = FindWindowW(L"#32770", L"Dravix")) {
        noWindowReport = Utf8(WindowText(VisibleChildren(box, L"Static").back()));
        KillTimer(nullptr, timer);
        EndDialog(box, IDOK);
    }
}

// What DpiOf asks a Windows for, and what one that has N of the two DPI functions answers.
std::vector<std::string> askedFor;
UINT WINAPI WindowDpi(HWND)
{
    return 120;
}
HRESULT WINAPI MonitorDpi(HMONITOR, int, UINT* x, UINT* y)
{
    *x = *y = 144;
    return S_OK;
}
template <int N> FARPROC Windows(const wchar_t*, const char* name)
{
    askedFor.emplace_back(name);
    const auto found = [](auto function) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
    };
    if (askedFor.back() == "GetDpiForWindow")
        return N >= 2 ? found(WindowDpi) : nullptr;
    return askedFor.back() == "GetDpiForMonitor" && N >= 1 ? found(MonitorDpi) : nullptr;
}

TEST(Win32Window, BehavesAsAPersonExpects)
{
    scenarios::RunAll<Window>();
}

// The places at the display's DPI, themed controls, and a lone surrogate read as U+FFFD.
TEST(Win32Window, LooksAsDesigned)
{
    Window w;
    const char* expected = std::getenv("DRAVIX_EXPECTED_DPI");
    const UINT dpi = expected == nullptr ? 96 : std::atoi(expected);
    scenarios::CheckPlaces(w, dpi / 96.0);

    // Wine has one DPI: the window's own, its monitor's and the system's are asked for in that
    // order of a Windows that has the first two, only the second, or neither.
    const std::pair<FunctionFinder, std::pair<UINT, std::vector<std::string>>> ages[] = {
        {Windows<2>, {120, {"GetDpiForWindow"}}},
        {Windows<1>, {144, {"GetDpiForWindow", "GetDpiForMonitor"}}},
        {Windows<0>, {dpi, {"GetDpiForWindow", "GetDpiForMonitor"}}}};
    for (const auto& [windows, answer] : ages) {
        askedFor.clear();
        EXPECT_EQ(DpiOf(w.form.Window(), windows), answer.first);
        EXPECT_EQ(askedFor, answer.second);
    }

    // The manifest is in force: the common controls are version 6's, the themed ones.
    ACTCTX_SECTION_KEYED_DATA redirection = {};
    redirection.cbSize = sizeof redirection;
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         L"comctl32.dll", &redirection));

    EXPECT_EQ(Utf8(L"1\xD800"), "1\uFFFD");
    EXPECT_EQ(Utf8(L"\xDC00"
                   L"2"),
              "\uFFFD2");
    EXPECT_EQ(Utf8(L"\xD800\u00E9\uFF11\xD83D\xDE00"), "\uFFFD\u00E9\uFF11\U0001F600");
}

// Where Windows makes no window, the program says so in a message box, with the system's reason,
// and ends with exit code 1.
TEST(Win32Window, SaysWhyItHasNoWindow)
{
    // An earlier Form1 left its quit message, which would end the report's message box at once.
    for (MSG quit; PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) {
    }
    const HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseForm1, nullptr, GetCurrentThreadId());
    SetTimer(nullptr, 0, 50, ReadAndCloseReport);
    EXPECT_EQ(RunForm1(GetModuleHandleW(nullptr), SW_SHOW), 1);
    UnhookWindowsHookEx(hook);
    const std::string said = "无法打开 Dravix 的窗口。\n";
    EXPECT_EQ(noWindowReport.substr(0, said.size()), said);
    EXPECT_GT(noWindowReport.size(), said.size()) << "the system's reason";
}

// A Form1 takes its window with it, and a box's object that a screen reader still holds then
// answers as the standard object; the program itself, as Windows starts it, shows its window, names
// its parts to a screen reader in another process, and runs its own message loop until the window
// is closed, then ends with exit code 0.
TEST(Win32Window, RunsAsAProgram)
{
    IAccessible* held = nullptr;
    HWND gone = nullptr;
    {
        Form1 form(GetModuleHandleW(nullptr));
        gone = form.Window();
        AccessibleObjectFromWindow(form.Control(design::Id::Text1), OBJID_CLIENT, IID_IAccessible,
                                   reinterpret_cast<void**>(&held));
    }
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(Heard(held), (Hearing{"", ROLE_SYSTEM_TEXT, ""}));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program = {};
    ASSERT_TRUE(CreateProcessW(Utf16(DRAVIX_EXE).c_str(), nullptr, nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &program));
    // Under qemu a 32-bit program takes a minute or more to start.
    constexpr DWORD kPatience = 300'000; // milliseconds
    EXPECT_EQ(WaitForInputIdle(program.hProcess, kPatience), 0u);
    const HWND form = FindWindowW(L"Form1", L"Dravix");
    EXPECT_TRUE(IsWindowVisible(form));
    Reader reader(form);
    scenarios::CheckSpoken(reader);

    // After Calculate, a screen reader hears of the change of the report box, a live region, and
    // reads the whole new line from it.
    const HWINEVENTHOOK hook =
        SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, SeeLiveRegionChange,
                        program.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    for (const auto& [box, digit] : {std::pair{"Text1", L"1"}, {"Text3", L"2"}, {"Text4", L"3"}})
        SendMessageW(reader.Part(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(digit));
    const HWND calculate = reader.Part("Command1");
    PostMessageW(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(calculate), BN_CLICKED),
                 reinterpret_cast<LPARAM>(calculate));
    for (const DWORD start = GetTickCount();
         liveRegionChanged == nullptr && GetTickCount() - start < kPatience;
         MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    UnhookWinEvent(hook);
    EXPECT_EQ(liveRegionChanged, reader.Part("Text2"));
    EXPECT_EQ(reader.Value("Text2"), scenarios::kLine123);
    PostMessageW(form, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    if (WaitForSingleObject(program.hProcess, kPatience) != WAIT_OBJECT_0)
        TerminateProcess(program.hProcess, 1);
    GetExitCodeProcess(program.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const ComApartment com;
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
