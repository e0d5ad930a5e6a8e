// What a screen reader hears of the window's text boxes: the standard control's object, named by
// the design. A reader asks the box itself (WM_GETOBJECT), mostly from another process. Windows'
// Dynamic Annotation (IAccPropServices::SetHwndPropStr) would name a box in fewer lines, but Wine
// does not implement it, so it could not be tested here; answering the request works on every
// Windows since 2000 and under Wine alike.
#pragma once

#include "form_design.h"

#include <windows.h>

// Names the box for a screen reader by the control's accessibleName; its role, value, state, place
// and focus stay the standard EDIT's.
void NameForScreenReaders(HWND box, const design::Control& control);

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
