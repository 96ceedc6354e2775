// Panels and timers.
#pragma once

#include "platform/framework/Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
extern const TEnumInfo BevelCutInfo;
enum TBorderStyle { bsNoneBorder = 0, bsSingleBorder = 1 };

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
protected:
    void ApplyText() override;
private:
    friend class PanelWidget;
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
private:
    void Apply();
    bool FEnabled = true;
    unsigned FInterval = 1000;
    class QTimer* FTimer;
};
