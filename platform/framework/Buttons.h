// Buttons with a picture.
#pragma once

#include "platform/framework/StdCtrls.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
extern const TEnumInfo BitBtnKindInfo;
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
extern const TEnumInfo ButtonLayoutInfo;

class TBitBtn : public TButton {
    DECLARE_CLASS(TBitBtn)
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;
    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TBitmap* b) { FGlyph->Assign(b); }
    // A standard kind sets the caption and modal result (and Default / Cancel) as the framework does.
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind v);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout v) { FLayout = v; }

private:
    void GlyphChanged();
    TBitmap* FGlyph;
    TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
};
