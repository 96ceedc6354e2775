// Panels and timers.
#pragma once

#include <vector>

#include "platform/framework/Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
extern const TEnumInfo BevelCutInfo;

class TPanel : public TWinControl {
    DECLARE_CLASS(TPanel)
    explicit TPanel(TComponent* AOwner);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    bool ParentBackground() const { return FParentBackground; }
    void SetParentBackground(bool v) { FParentBackground = v; }
    // bsSingle draws a sunken edge of BorderEdge pixels inside the bounds;
    // the client area (and what aligns in it) lies within the edge.
    static constexpr int BorderEdge = 2;
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    int ClientWidth() const override;
    int ClientHeight() const override;

protected:
    TRect AlignArea() const override;
    void ApplyText() override;

private:
    friend class PanelWidget;
    int BorderWidth() const { return FBorderStyle == bsSingle ? BorderEdge : 0; }
    TBorderStyle FBorderStyle = bsNone;
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    int FBevelWidth = 1;
    TAlignment FAlignment = taCenter;
    bool FParentBackground = true;
};

class TTimer : public TComponent {
    DECLARE_CLASS(TTimer)
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned v);
    TNotifyEvent OnTimer;
    // For tests: runs OnTimer as if the interval had passed.
    void Fire();

protected:
    // One tick: raises OnTimer (derived timers add their own work).
    virtual void Timer();

private:
    void Apply();
    bool FEnabled = true;
    unsigned FInterval = 1000;
    class QTimer* FTimer;
};

// A control that lets its OnPaint handler draw on its canvas.
class TPaintBox : public TGraphicControl {
    DECLARE_CLASS(TPaintBox)
    explicit TPaintBox(TComponent* AOwner);
    TNotifyEvent OnPaint;

protected:
    void Paint() override { fire(OnPaint, this); }
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
extern const TEnumInfo BevelShapeInfo;
enum TBevelStyle { bsLowered, bsRaised };
extern const TEnumInfo BevelStyleInfo;

class TBevel : public TGraphicControl {
    DECLARE_CLASS(TBevel)
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape v) {
        FShape = v;
        Invalidate();
    }
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle v) {
        FStyle = v;
        Invalidate();
    }

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

// A group box of radio buttons made from Items; ItemIndex is the checked one.
class TRadioGroup : public TWinControl {
    DECLARE_CLASS(TRadioGroup)
    explicit TRadioGroup(TComponent* AOwner);
    ~TRadioGroup() override;
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* s) { FItems->Assign(s); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int v);
    int Columns() const { return FColumns; }
    void SetColumns(int v);
    // The radio button widgets (platform code and tests).
    int ButtonCount() const { return int(FButtons.size()); }
    class QRadioButton* Button(int i) const {
        return FButtons.at(size_t(i));
    }

protected:
    void ApplyText() override;
    void Resize() override;

private:
    void Rebuild();
    void Arrange();
    TStringList* FItems;
    std::vector<class QRadioButton*> FButtons;
    int FItemIndex = -1;
    int FColumns = 1;
    bool FSetting = false;
};

// Shows a picture; an animated picture (GIF) plays while Animate is on.
class TImage : public TGraphicControl {
    DECLARE_CLASS(TImage)
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    TPicture* Picture() const { return FPicture; }
    void SetPicture(TPicture* p) { FPicture->Assign(p); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v) {
        FStretch = v;
        Invalidate();
    }
    bool Center() const { return FCenter; }
    void SetCenter(bool v) {
        FCenter = v;
        Invalidate();
    }
    bool Proportional() const { return FProportional; }
    void SetProportional(bool v) {
        FProportional = v;
        Invalidate();
    }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) {
        FTransparent = v;
        Invalidate();
    }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool Animate() const { return FAnimate; }
    void SetAnimate(bool v);
    bool Animating() const;  // a multi-frame picture is playing
protected:
    void Paint() override;

private:
    void PictureChanged();
    TPicture* FPicture;
    bool FStretch = false, FCenter = false, FProportional = false, FTransparent = false, FAutoSize = false;
    bool FAnimate = false;
    class QMovie* FMovie = nullptr;
};
