// Common controls: progress bar and up-down buttons. (List and tree views,
// page controls and the like join this family as the windows need them.)
#pragma once

#include "platform/framework/Controls.h"

enum TProgressBarOrientation { pbHorizontal, pbVertical };
extern const TEnumInfo ProgressBarOrientationInfo;

class TProgressBar : public TWinControl {
    DECLARE_CLASS(TProgressBar)
    explicit TProgressBar(TComponent* AOwner);
    int Min() const { return FMin; }
    void SetMin(int v);
    int Max() const { return FMax; }
    void SetMax(int v);
    int Position() const { return FPosition; }
    void SetPosition(int v);  // kept within Min..Max
    int Step() const { return FStep; }
    void SetStep(int v) { FStep = v; }
    void StepIt() { SetPosition(FPosition + FStep); }
    void StepBy(int delta) { SetPosition(FPosition + delta); }
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool v) { FSmooth = v; }
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation v);
private:
    void Apply();
    int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
    bool FSmooth = false;
    TProgressBarOrientation FOrientation = pbHorizontal;
};

enum TUDAlignButton { udLeft, udRight };
extern const TEnumInfo UDAlignButtonInfo;
enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;

// Up and down arrows that step a number, shown in an associated edit.
class TUpDown : public TWinControl {
    DECLARE_CLASS(TUpDown)
    explicit TUpDown(TComponent* AOwner);
    int Min() const { return FMin; }
    void SetMin(int v) { FMin = v; SetPosition(FPosition); }
    int Max() const { return FMax; }
    void SetMax(int v) { FMax = v; SetPosition(FPosition); }
    int Position() const;
    void SetPosition(int v);
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v; }
    bool Wrap() const { return FWrap; }
    void SetWrap(bool v) { FWrap = v; }
    bool Thousands() const { return FThousands; }
    void SetThousands(bool v) { FThousands = v; }
    // The edit that shows the position; the up-down sits beside it.
    TWinControl* Associate() const { return FAssociate; }
    void SetAssociate(TWinControl* c);
    TUDAlignButton AlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton v) { FAlignButton = v; Place(); }
    // One step as a click on an arrow does.
    void ClickButton(TUDBtnType b);
    TUDClickEvent OnClick;
    TNotifyEvent OnChanging;
protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
private:
    void Place();
    void ShowPosition();
    int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
    bool FWrap = false, FThousands = true;
    TWinControl* FAssociate = nullptr;
    TUDAlignButton FAlignButton = udRight;
};
