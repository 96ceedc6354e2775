// A control shown as a pop-up: a bordered top-level window that stays
// on top and never takes the keyboard focus (the control that opened it
// keeps the focus and passes keys on). While it is shown, a mouse press
// outside it is reported and then goes on to the control under the pointer,
// so one click both closes the pop-up and acts where it lands.
#pragma once

#include <functional>

#include "platform/framework/Controls.h"

class PopupWindowFilter;

class TPopupWindow {
public:
    // `control` has no visual parent; its widget becomes the pop-up window.
    explicit TPopupWindow(TControl* control);
    ~TPopupWindow();
    TPopupWindow(const TPopupWindow&) = delete;
    TPopupWindow& operator=(const TPopupWindow&) = delete;
    // Shows the control with its top-left corner at the screen point, at its size.
    void Show(TPoint screen);
    void Hide();
    bool Shown() const;
    // A press outside, with the framework control under the pointer (or null).
    std::function<void(TControl* target)> OnPressOutside;
    // A button released outside the pop-up's client area, over `target`.
    std::function<void(TControl* target)> OnReleaseOutside;
    std::function<void()> OnDeactivate;

private:
    friend class PopupWindowFilter;
    TControl* FControl;
    PopupWindowFilter* FFilter;
};
