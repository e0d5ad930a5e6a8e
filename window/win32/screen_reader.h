// What a screen reader hears of the window's text boxes: the standard control's object, named by
// the design. A reader asks the box itself (WM_GETOBJECT), mostly from another process. Windows'
// Dynamic Annotation (IAccPropServices::SetHwndPropStr) would name a box in fewer lines, but Wine
// does not implement it, so it could not be tested here; answering the request works on every
// Windows since 2000 and under Wine alike.
#pragma once

#include "form_design.h"

#include <windows.h>

// Names and describes the box for a screen reader by the control's accessibleName and
// accessibleDescription; its role, value, state, place and focus stay the standard EDIT's.
void NameForScreenReaders(HWND box, const design::Control& control);

// Makes the box a polite live region: a screen reader says its new text when told of the change,
// after what it is saying, though the focus is elsewhere.
void MakeLiveRegion(HWND box);

// Tells a screen reader that the live region's text is new, as a live region's change and, on
// Windows 10 1709 and later, as a UI Automation notification of the text.
void AnnounceChange(HWND box, const std::wstring& text);

// COM on this thread for as long as it lives: the thread that owns the window answers a reader in
// another process through it.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    const bool initialised_;
};
