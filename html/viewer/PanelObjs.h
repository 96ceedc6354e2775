#pragma once
// Inline objects of a document that carry a window control of their own: a
// panel the host application fills (OBJECT and PANEL tags), a progress bar
// and a meter. Each places its window control where the layout puts it; a
// print copy paints a picture instead.
#include <cfloat>
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/ControlObjs.h"
#include "html/layout/Document.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"

class ThvPanel : public TPanel {
    DECLARE_CLASS(ThvPanel)
    explicit ThvPanel(TComponent* AOwner);
    // The host's wish, apart from the framework's visibility (which the
    // document switches while scrolling): the panel shows where the layout
    // draws it only while this is true. A change shows or hides it at once.
    bool HostVisible() const { return FVisible; }
    void SetHostVisible(bool Value);
    bool FVisible = true;
};

// A progress bar that shows a measurement: its bar is the low colour below
// Low, blue between Low and High, the high colour above High.
class ThvMeter : public TProgressBar {
    DECLARE_CLASS(ThvMeter)
    explicit ThvMeter(TComponent* AOwner);

    int GetPosition() const { return Position(); }
    void SetPosition(int Value);
    double Low() const { return FLow; }
    double High() const { return FHigh; }
    double Optimum() const { return FOptimum; }
    TColor LowColor() const { return FLowColor; }
    TColor HighColor() const { return FHighColor; }
    // Low and High are taken only within the range and in order with each other.
    virtual void SetLow(double Value);
    virtual void SetHigh(double Value);
    virtual void SetOptimum(double Value);
    virtual void SetLowColor(TColor Value);
    virtual void SetHighColor(TColor Value);
    void UpdateBarColor();

    double FLow = DBL_MIN, FHigh = DBL_MAX, FOptimum = 50;
    TColor FLowColor = TColor(0x0000FF), FHighColor = TColor(0x00FFFF);
};

class TPanelObj : public TControlObj {
public:
    TPanelObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop, bool ObjectTag);
    ~TPanelObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetControl() override { return Panel; }
    TColor GetBackgroundColor() override;
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override;

    ThvPanel* Panel = nullptr;         // owned
    ThvPanel* OPanel = nullptr;        // print copy: the live document's panel
    TObject* OSender = nullptr;        // print copy: the live document's viewer
    TPanelPrintEvent PanelPrintEvent;  // print copy: the live document's event
    TObject* FUserData = nullptr;      // the host's, not used here
    TPanelObj* FMyPanelObj = nullptr;
    std::u16string FName, FSource, FType;

protected:
    TPanelObj(TCellBasic* Parent, const TPanelObj& Source);
};

class TProgressObj : public TControlObj {
public:
    TProgressObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TProgressObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetControl() override { return Progress; }
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override;

    TProgressBar* Progress = nullptr;  // owned

protected:
    TProgressObj(TCellBasic* Parent, const TProgressObj& Source);
};

class TMeterObj : public TControlObj {
public:
    TMeterObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TMeterObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetControl() override { return Meter; }
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override;

    ThvMeter* Meter = nullptr;  // owned

protected:
    TMeterObj(TCellBasic* Parent, const TMeterObj& Source);
};
