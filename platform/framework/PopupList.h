// A list box that shows itself as a pop-up: a bordered top-level tool window
// that stays on top and never takes the keyboard focus, so the control that
// opened it keeps the focus and passes keys on. It has no visual parent.
#pragma once

#include "platform/framework/PopupWindow.h"
#include "platform/framework/StdCtrls.h"

class PopupRowFilter;

class TPopupListBox : public TListBox {
    DECLARE_CLASS(TPopupListBox)
    explicit TPopupListBox(TComponent* AOwner);
    ~TPopupListBox() override;
    // Shows the list with its top-left corner at the screen point, keeping
    // its size; while shown, mouse presses anywhere are watched.
    void PopupAt(TPoint screen);
    void ClosePopup();
    bool PopupShown() const;
    // The row under a point of the list's client area, or -1.
    int ItemAtPos(TPoint client) const;
    // Height of one row: the font's height of "Йу" plus 6 pixels.
    int RowHeight() const;

protected:
    // Called while the list is shown (defaults do nothing).
    virtual void PopupMouseRow(int /*row*/, bool /*released*/) {}
    // A mouse press outside the list, on `target` (null: no framework control).
    virtual void PopupPressOutside(TControl* /*target*/) {}
    virtual void PopupDeactivated() {}

private:
    friend class PopupRowFilter;
    TPopupWindow* FPopup;
    PopupRowFilter* FRows;
};
