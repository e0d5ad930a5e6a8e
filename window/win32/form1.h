#pragma once

#include "form_design.h"

#include <windows.h>

#include <array>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

// The calculator's one window, made of the system's own controls: three boxes for the drawn
// numbers, Calculate and Clear, and the box that shows the report line. Typing in a number box
// moves the focus on to the next one.
class Form1 {
public:
    explicit Form1(HINSTANCE instance);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Null when the window could not be made, or once it is closed.
    HWND Window() const { return hwnd_; }
    HWND Control(design::Id id) const { return controls_[design::IndexOf(id)]; }

    // One turn of the message loop: Tab, Shift+Tab, Enter, Escape and Space as in a dialog.
    void Dispatch(MSG& message);

private:
    struct FontDeleter {
        void operator()(HFONT font) const { DeleteObject(font); }
    };
    using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCreate();
    void OnCommand(int id, int notification);
    LRESULT OnControlColourStatic(HDC dc, HWND control);
    void OnActivate(int state);
    void OnSetFocus();
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void LayOut(UINT dpi);

    void Command1_Click();
    void Command2_Click();
    void Text1_Change();
    void Text3_Change();
    void Text4_Change();

    void ShowMessage(std::string_view text, UINT icon) const;
    void ReportError(const std::exception_ptr& error) const noexcept;

    HWND hwnd_ = nullptr;
    std::array<HWND, design::kControlCount> controls_{};
    std::array<FontHandle, design::kFontRoles> fonts_;
    HWND lastFocus_ = nullptr; // given back when the window is active again
};

// A function of a system DLL that the oldest Windows lacks, looked up when needed rather than
// imported, so that the program starts there too; null where this Windows lacks it. A DLL not yet
// loaded is loaded from the system's folder, and stays.
FARPROC SystemFunction(const wchar_t* module, const char* name);
using FunctionFinder = FARPROC (*)(const wchar_t* module, const char* name);

// A function pointer from what a lookup gives, through void (*)(), which every function pointer
// type converts to and from.
template <typename Function> Function As(FARPROC function)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(function));
}

// The DPI a window is laid out at: its own, where Windows tells it (10 1607 and later); else its
// monitor's (8.1 and later, which can give each monitor a scale of its own); else the system's.
// The functions are found by find.
UINT DpiOf(HWND window, FunctionFinder find = SystemFunction);

// Registers the window class, shows Form1 and runs the message loop; returns the exit code.
int RunForm1(HINSTANCE instance, int show);

// A window's text, as WM_GETTEXT gives it.
std::wstring WindowText(HWND window);

// UTF-8 -> UTF-16, and back, where an unpaired surrogate becomes U+FFFD on every Windows.
std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);
