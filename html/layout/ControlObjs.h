#pragma once
// Inline objects that show a window control: the base of panels, progress
// bars and meters, and the inline frame shown by a nested viewer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/SizeableObjs.h"

class ThtFrameViewer;
class TWinControl;

class TControlObj : public TSizeableObj {
public:
    using TSizeableObj::TSizeableObj;
    ~TControlObj() override;

    // The colour of the printed placeholder.
    virtual TColor GetBackgroundColor();
    // The window control shown.
    virtual TWinControl* GetControl() = 0;

    void DrawLogicInline(TCanvas* Canvas, TFontObj* FO, int32_t AvailableWidth, int32_t AvailableHeight) override;
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override;

    int32_t SetWidth = 0, SetHeight = 0;  // the control's natural size
    bool ShowIt = false;

protected:
    TControlObj(TCellBasic* Parent, const TControlObj& Source);
};

class TFrameObj : public TControlObj {
public:
    TFrameObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TFrameObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    // The nested viewer made through the document's viewer.
    void CreateFrame();
    // Loads FUrl with the document's parse state saved and restored.
    void LoadFrame();
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override;
    TColor GetBackgroundColor() override;
    TWinControl* GetControl() override;

    // Frames inside frames load this many levels deep at most.
    static constexpr size_t MaxFrameNesting = 4;

    std::unique_ptr<ThtFrameViewer> FViewer;
    std::u16string FSource;  // the SRC value
    std::u16string FUrl;     // the expanded address
    int32_t frMarginWidth = 0, frMarginHeight = 0;
    bool NoScroll = false;  // SCROLLING is "no"

protected:
    TFrameObj(TCellBasic* Parent, const TFrameObj& Source);
};
