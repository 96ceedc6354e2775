// The scroll box: child controls on an area that scrolls when they reach
// past the box's client area.
#pragma once

#include "platform/framework/Controls.h"

class TScrollBox : public TWinControl {
    DECLARE_CLASS(TScrollBox)
    explicit TScrollBox(TComponent* AOwner);
    ~TScrollBox() override;

    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool v);
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool v) { FDoubleBuffered = v; }
    bool BorderSingle() const { return FBorderSingle; }
    void SetBorderSingle(bool v);

    // The visible area, without the frame and the scroll bars shown.
    int ClientWidth() const override;
    int ClientHeight() const override;
    QWidget* ClientWidget() const override;

    // The extent of the children (their bottom and right edges).
    int VertScrollRange() const;
    int HorzScrollRange() const;
    bool VertScrollBarVisible() const;
    // The thickness of a scroll bar.
    int ScrollBarExtent() const { return barExtent(); }
    bool HorzScrollBarVisible() const;
    int VertScrollPosition() const;
    void SetVertScrollPosition(int v);
    // Recomputes the scrolled area after children moved.
    void UpdateScrollRange();
    void ScrollInView(TControl* c);

    void AlignControls() override;

protected:
    void Resize() override;

private:
    struct Impl;
    Impl* FImpl;
    int frame() const;
    int barExtent() const;
    bool FAutoScroll = true;
    bool FDoubleBuffered = false;
    bool FBorderSingle = true;
    bool FUpdating = false;
};
