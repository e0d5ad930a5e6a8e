#include "form1.h"

#include "draw_analysis.h"
#include "screen_reader.h"

#include <commctrl.h>

#include <optional>
#include <utility>

namespace {

// The installer and uninstaller find a running Dravix by this class and the caption.
constexpr wchar_t kClassName[] = L"Form1";
// Fixed size, with minimise and close.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Clear of IDOK and IDCANCEL, which IsDialogMessage sends for Enter and Escape.
constexpr int kFirstControlId = 100;
// The program's icon group in the resources.
constexpr WORD kIconId = 1;
// Sent by Windows 8.1 and later, whose declarations the headers for the oldest target leave out.
constexpr UINT kDpiChanged = 0x02E0;

struct ScreenDcRelease {
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct HookRelease {
    void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};

// Windows Vista and later turn on data execution prevention for the program from the flag in its
// header; a 32-bit Windows XP SP3 does so only when the program asks. A 64-bit program always has
// it.
void AskForDataExecutionPrevention()
{
    if constexpr (sizeof(void*) == 4) {
        using SetPolicyFunction = BOOL(WINAPI*)(DWORD);
        constexpr DWORD kEnable = 1; // PROCESS_DEP_ENABLE, from XP SP3's headers
        if (const auto setPolicy =
                As<SetPolicyFunction>(SystemFunction(L"kernel32.dll", "SetProcessDEPPolicy")))
            setPolicy(kEnable);
    }
}

int Scale(int twips, UINT dpi)
{
    return MulDiv(twips, static_cast<int>(dpi), design::kTwipsPerInch);
}

SIZE WindowSize(UINT dpi)
{
    RECT rect = {0, 0, Scale(design::kClientArea.width, dpi),
                 Scale(design::kClientArea.height, dpi)};
    using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    if (const auto adjust =
            As<AdjustFunction>(SystemFunction(L"user32.dll", "AdjustWindowRectExForDpi")))
        adjust(&rect, kStyle, FALSE, 0, dpi);
    else
        AdjustWindowRectEx(&rect, kStyle, FALSE, 0);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// By the face's Windows name and the GB2312 character set, so that where the face is missing
// Windows' font mapper picks another with Simplified Chinese glyphs.
HFONT MakeFont(const design::Font& font, UINT dpi)
{
    LOGFONTW logFont{};
    logFont.lfHeight = -MulDiv(font.points, static_cast<int>(dpi), 72);
    logFont.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    logFont.lfCharSet = GB2312_CHARSET;
    Utf16(font.face == design::Face::Song ? design::kSongFace : design::kHeiFace)
        .copy(logFont.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&logFont);
}

// An EDIT reports every WM_SETTEXT as a change, even to the text it holds; here, as in the Qt
// window, only a new text is one. Either way the box's undo buffer is emptied, so Ctrl+Z cannot
// bring back what was assigned over.
void Assign(HWND box, const std::wstring& text)
{
    if (WindowText(box) != text)
        SetWindowTextW(box, text.c_str());
    SendMessageW(box, EM_EMPTYUNDOBUFFER, 0, 0);
}

// A message box names its button in the language of Windows' own interface; this names it "确定"
// as the box opens, whatever that language is.
LRESULT CALLBACK NameOkButton(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        const auto box = reinterpret_cast<HWND>(wParam);
        wchar_t className[8] = {};
        const HWND ok = GetDlgItem(box, IDOK);
        if (ok != nullptr && GetClassNameW(box, className, 8) > 0 &&
            std::wstring_view(className) == L"#32770") {
            wchar_t caption[8] = {};
            MultiByteToWideChar(CP_UTF8, 0, design::kOk.data(),
                                static_cast<int>(design::kOk.size()), caption, 7);
            SetWindowTextW(ok, caption);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct LocalRelease {
    void operator()(wchar_t* text) const { LocalFree(text); }
};

// As Windows' own small programs do, the system's words for why the window could not be made,
// where it gives a reason; the error is the window's making's, read before anything else runs.
void ReportNoWindow(DWORD error)
{
    std::wstring text = Utf16("无法打开 Dravix 的窗口。");
    wchar_t* reason = nullptr;
    if (error != ERROR_SUCCESS &&
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr) > 0)
        text += L"\n" + std::wstring(reason);
    const std::unique_ptr<wchar_t, LocalRelease> owned(reason);
    // The system's text ends its line itself.
    text.erase(text.find_last_not_of(L"\r\n") + 1);
    MessageBoxW(nullptr, text.c_str(), Utf16(design::kTitle).c_str(), MB_OK | MB_ICONERROR);
}

} // namespace

FARPROC SystemFunction(const wchar_t* module, const char* name)
{
    HMODULE loaded = GetModuleHandleW(module);
    if (loaded == nullptr) {
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            loaded = LoadLibraryW((std::wstring(folder, length) + L"\\" + module).c_str());
    }
    return loaded == nullptr ? nullptr : GetProcAddress(loaded, name);
}

UINT DpiOf(HWND window, FunctionFinder find)
{
    using ForWindow = UINT(WINAPI*)(HWND);
    if (const auto forWindow = As<ForWindow>(find(L"user32.dll", "GetDpiForWindow")))
        return forWindow(window);
    // MDT_EFFECTIVE_DPI: the DPI that the monitor's scale asks for.
    using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    UINT x = 0, y = 0;
    if (const auto forMonitor = As<ForMonitor>(find(L"shcore.dll", "GetDpiForMonitor"));
        forMonitor != nullptr &&
        SUCCEEDED(forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0, &x, &y)))
        return y;
    const std::unique_ptr<HDC__, ScreenDcRelease> screen(GetDC(nullptr));
    return static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSY));
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring Utf16(std::string_view utf8)
{
    const int size = static_cast<int>(utf8.size());
    std::wstring text(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), static_cast<int>(text.size()));
    return text;
}

// By hand: WideCharToMultiByte writes U+FFFD for an unpaired surrogate only from Windows Vista on,
// and other bytes before.
std::string Utf8(std::wstring_view utf16)
{
    std::string text;
    text.reserve(utf16.size());
    for (std::size_t at = 0; at < utf16.size(); ++at) {
        char32_t code = utf16[at];
        if (code >= 0xD800 && code <= 0xDFFF) {
            const bool paired = code <= 0xDBFF && at + 1 < utf16.size() &&
                                utf16[at + 1] >= 0xDC00 && utf16[at + 1] <= 0xDFFF;
            code = paired ? 0x10000 + ((code - 0xD800) << 10) + (utf16[++at] - 0xDC00) : 0xFFFD;
        }
        const auto byte = [&text](char32_t value) { text += static_cast<char>(value); };
        if (code < 0x80) {
            byte(code);
        } else if (code < 0x800) {
            byte(0xC0 | (code >> 6));
            byte(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            byte(0xE0 | (code >> 12));
            byte(0x80 | ((code >> 6) & 0x3F));
            byte(0x80 | (code & 0x3F));
        } else {
            byte(0xF0 | (code >> 18));
            byte(0x80 | ((code >> 12) & 0x3F));
            byte(0x80 | ((code >> 6) & 0x3F));
            byte(0x80 | (code & 0x3F));
        }
    }
    return text;
}

Form1::Form1(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    // A second Form1 finds the class registered already.
    RegisterClassExW(&windowClass);
    CreateWindowExW(0, kClassName, Utf16(design::kTitle).c_str(), kStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
}

Form1::~Form1()
{
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
}

void Form1::Dispatch(MSG& message)
{
    // Ctrl+Z with nothing to undo changes nothing, yet Wine's EDIT reports it as a change.
    constexpr WPARAM kCtrlZ = 0x1A;
    if (message.message == WM_CHAR && message.wParam == kCtrlZ && IsChild(hwnd_, message.hwnd) &&
        SendMessageW(message.hwnd, EM_CANUNDO, 0, 0) == 0)
        return;
    if (hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

LRESULT CALLBACK Form1::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* const form =
            static_cast<Form1*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* const form = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    // No exception may cross into the system's code, so this is where a handler's failure is
    // caught and reported; the window then goes on as it was.
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        form->ReportError(std::current_exception());
        return 0;
    }
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnControlColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam));
        break;
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case kDpiChanged:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        return DefWindowProcW(std::exchange(hwnd_, nullptr), message, wParam, lParam);
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// The controls in the design's order, which is also the tab order.
bool Form1::OnCreate()
{
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    for (std::size_t index = 0; index < design::kControls.size(); ++index) {
        const design::Control& control = design::kControls[index];
        const wchar_t* className = L"STATIC";
        DWORD style = SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE;
        DWORD extendedStyle = 0;
        if (control.kind == design::Kind::TextBox) {
            className = L"EDIT";
            style = WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
            extendedStyle = WS_EX_CLIENTEDGE;
        } else if (control.kind == design::Kind::Button) {
            className = L"BUTTON";
            style = WS_TABSTOP | BS_PUSHBUTTON;
        }
        const HWND child = CreateWindowExW(
            extendedStyle, className, Utf16(control.caption).c_str(), WS_CHILD | WS_VISIBLE | style,
            0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(INT_PTR{kFirstControlId} + index), instance,
            nullptr);
        if (child == nullptr)
            return false;
        controls_[index] = child;
        // An EDIT takes 30 000 characters unless told otherwise; 0 lifts the limit, so that a
        // pasted text is kept whole.
        if (control.kind == design::Kind::TextBox) {
            SendMessageW(child, EM_SETLIMITTEXT, 0, 0);
            NameForScreenReaders(child, control);
        }
        if (control.id == design::Id::Text2)
            MakeLiveRegion(child);
    }
    const UINT dpi = DpiOf(hwnd_);
    LayOut(dpi);
    const SIZE size = WindowSize(dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

// Places and fonts from the design's points and twips at the window's DPI: drawn at its size,
// never stretched.
void Form1::LayOut(UINT dpi)
{
    std::array<FontHandle, design::kFontRoles> fonts;
    for (std::size_t role = 0; role < fonts.size(); ++role)
        fonts[role].reset(MakeFont(design::kFonts[role], dpi));
    for (const design::Control& control : design::kControls) {
        const design::Twips& place = control.place;
        const HWND child = Control(control.id);
        MoveWindow(child, Scale(place.left, dpi), Scale(place.top, dpi), Scale(place.width, dpi),
                   Scale(place.height, dpi), TRUE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[control.font].get()), TRUE);
    }
    // The fonts of the last layout go only now that no control uses them.
    fonts_ = std::move(fonts);
}

void Form1::OnCommand(int id, int notification)
{
    // Enter reaches the window as IDOK unless the focused button is styled as the default one;
    // either way it presses the focused button, and nothing else does.
    if (id == IDOK) {
        const HWND focus = GetFocus();
        if (focus != Control(design::Id::Command1) && focus != Control(design::Id::Command2))
            return;
        id = GetDlgCtrlID(focus);
        notification = BN_CLICKED;
    }
    const HWND sender = GetDlgItem(hwnd_, id);
    if (notification == BN_CLICKED && sender == Control(design::Id::Command1))
        Command1_Click();
    else if (notification == BN_CLICKED && sender == Control(design::Id::Command2))
        Command2_Click();
    else if (notification == EN_CHANGE && sender == Control(design::Id::Text1))
        Text1_Change();
    else if (notification == EN_CHANGE && sender == Control(design::Id::Text3))
        Text3_Change();
    else if (notification == EN_CHANGE && sender == Control(design::Id::Text4))
        Text4_Change();
}

LRESULT Form1::OnControlColourStatic(HDC dc, HWND control)
{
    const LRESULT background = DefWindowProcW(
        hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    if (control == Control(design::Id::Label1)) {
        const design::Rgb colour = design::kPromptColour;
        SetTextColor(dc, RGB(colour.red, colour.green, colour.blue));
    }
    return background;
}

// A window that is not a dialog keeps its focus itself across a message box or a switch to
// another program.
void Form1::OnActivate(int state)
{
    if (state == WA_INACTIVE)
        lastFocus_ = GetFocus();
}

void Form1::OnSetFocus()
{
    const bool ours = lastFocus_ != nullptr && IsChild(hwnd_, lastFocus_);
    SetFocus(ours ? lastFocus_ : Control(design::Id::Text1));
}

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested)
{
    const SIZE size = WindowSize(dpi);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut(dpi);
}

void Form1::Command1_Click()
{
    const std::optional<std::string> line = draw::AnalyseDraw(
        Utf8(WindowText(Control(design::Id::Text1))), Utf8(WindowText(Control(design::Id::Text3))),
        Utf8(WindowText(Control(design::Id::Text4))));
    if (!line) {
        ShowMessage(design::kNotice, 0);
        SetFocus(Control(design::Id::Text1));
        return;
    }
    const std::wstring report = Utf16(*line);
    Assign(Control(design::Id::Text2), report);
    // A screen reader follows the focus, which stays on Command1; the line is handed to it too,
    // the same line again as well.
    AnnounceChange(Control(design::Id::Text2), report);
}

// Each assignment that changes a box runs its change handler at once, in this order.
void Form1::Command2_Click()
{
    Assign(Control(design::Id::Text1), {});
    Assign(Control(design::Id::Text2), {});
    Assign(Control(design::Id::Text3), {});
    Assign(Control(design::Id::Text4), {});
}

void Form1::Text1_Change()
{
    SetFocus(Control(design::Id::Text3));
}

void Form1::Text3_Change()
{
    SetFocus(Control(design::Id::Text4));
}

void Form1::Text4_Change()
{
    SetFocus(Control(design::Id::Command1));
}

void Form1::ShowMessage(std::string_view text, UINT icon) const
{
    const std::unique_ptr<HHOOK__, HookRelease> hook(
        SetWindowsHookExW(WH_CBT, NameOkButton, nullptr, GetCurrentThreadId()));
    MessageBoxW(hwnd_, Utf16(text).c_str(), Utf16(design::kTitle).c_str(), MB_OK | icon);
}

void Form1::ReportError(const std::exception_ptr& error) const noexcept
{
    try {
        ShowMessage(design::ErrorReport(error), MB_ICONERROR);
    } catch (...) {
        // Nothing is left to report with when even the report fails.
    }
}

int RunForm1(HINSTANCE instance, int show)
{
    AskForDataExecutionPrevention();
    const ComApartment com;
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Form1 form(instance);
    if (form.Window() == nullptr) {
        ReportNoWindow(GetLastError());
        return 1;
    }
    ShowWindow(form.Window(), show);
    MSG message;
    BOOL got = FALSE;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0)
        form.Dispatch(message);
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}
