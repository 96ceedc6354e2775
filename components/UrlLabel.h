#pragma once
// A static text that behaves like a hyperlink: a click opens ServicePrefix +
// caption with the desktop's program for it; optionally it changes style and
// colour while hovered, pressed and after it was visited.
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/StdCtrls.h"

class TUrlLabel;

class TUrlAnimateStyle : public TPersistent {
    DECLARE_CLASS(TUrlAnimateStyle)
    explicit TUrlAnimateStyle(TUrlLabel* owner = nullptr);

    TFontStyles NormalStyle() const { return FNormalStyle; }
    void SetNormalStyle(TFontStyles v);
    TFontStyles MouseMoveStyle() const { return FMouseMoveStyle; }
    void SetMouseMoveStyle(TFontStyles v) { FMouseMoveStyle = v; }
    TFontStyles VisitedStyle() const { return FVisitedStyle; }
    void SetVisitedStyle(TFontStyles v) { FVisitedStyle = v; }
    TFontStyles VisitedMouseMoveStyle() const { return FVisitedMouseMoveStyle; }
    void SetVisitedMouseMoveStyle(TFontStyles v) { FVisitedMouseMoveStyle = v; }
    TColor NormalColor() const { return FNormalColor; }
    void SetNormalColor(TColor v);
    TColor MouseMoveColor() const { return FMouseMoveColor; }
    void SetMouseMoveColor(TColor v) { FMouseMoveColor = v; }
    TColor VisitedColor() const { return FVisitedColor; }
    void SetVisitedColor(TColor v) { FVisitedColor = v; }
    TColor VisitedMouseMoveColor() const { return FVisitedMouseMoveColor; }
    void SetVisitedMouseMoveColor(TColor v) { FVisitedMouseMoveColor = v; }
    TColor ClickColor() const { return FClickColor; }
    void SetClickColor(TColor v) { FClickColor = v; }

    // By the label's visited flag.
    TFontStyles GetFontStyle() const;
    TColor GetColor() const;
    TFontStyles GetMoveStyle() const;
    TColor GetMoveColor() const;

private:
    bool visited() const;
    TUrlLabel* FLabel;
    TFontStyles FNormalStyle = 0, FMouseMoveStyle = 0, FVisitedStyle = 0, FVisitedMouseMoveStyle = 0;
    TColor FNormalColor = clNavy, FMouseMoveColor = clBlue, FVisitedColor = clPurple,
           FVisitedMouseMoveColor = clFuchsia, FClickColor = clRed;
};

class TUrlLabel : public TStaticText {
    DECLARE_CLASS(TUrlLabel)
    explicit TUrlLabel(TComponent* AOwner);
    ~TUrlLabel() override;

    String GetPrefix() const { return FServicePrefix; }
    void SetPrefix(const String& v) { FServicePrefix = v; }
    bool Animate() const { return FAnimate; }
    void SetAnimate(bool v);
    TUrlAnimateStyle* Animation() const { return FAnimation; }
    void SetAnimation(TUrlAnimateStyle* v);
    bool Visited() const { return FVisited; }
    void SetVisited(bool v);
    bool ContainMouse() const { return FContainMouse; }
    void SetContainMouse(bool v);
    TTimer* HoverTimer() const { return FTimer; }

    // The address a click opens: ServicePrefix followed by the caption.
    String linkText() const;
    // Only web and mail addresses are handed to the shell; anything else is
    // refused and logged. False when refused or the opener failed.
    static bool isOpenableLink(const String& link);

    void dblClick(TObject* Sender);
    void urlMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void urlMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void urlTimer(TObject* Sender);
    void delTimer();

private:
    void applyFont(TFontStyles style, TColor color);
    String FServicePrefix;
    bool FAnimate = false;
    bool FVisited = false;
    bool FContainMouse = false;
    TUrlAnimateStyle* FAnimation = nullptr;
    TTimer* FTimer = nullptr;
};
