// The table model: cells and their content, rows, the table's attributes,
// the rectangular grid and the print copies. Widths, layout and drawing are
// in TableWidths.cpp, TableLayout.cpp and TableDraw.cpp.
#include "html/layout/Tables.h"

#include <algorithm>

#include "html/layout/AttributeList.h"
#include "html/layout/Blocks.h"
#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlColors.h"
#include "html/text/HtmlStrings.h"
#include "html/text/Properties.h"

namespace {

constexpr TColor QuirksCellBorderColor = 0xC0C0C0;  // silver

bool findAttr(TAttributeList* Attr, TAttrSymb Sy, TAttribute*& T) {
    T = nullptr;
    return Attr && Attr->Find(Sy, T) && T;
}

bool parseColor(const TAttribute* T, TColor& Color) { return TryTextToColor(T->Name, false, Color); }

bool quirksOf(const TProperties* Prop, const ThtDocument* Doc) {
    return Doc ? Doc->UseQuirksMode() : Prop && Prop->UseQuirksMode();
}

// The element's em and ex sizes (its font is made now when nothing asked for it yet).
void fontSizes(TProperties* Prop, int32_t& Em, int32_t& Ex) {
    if (Prop->EmSize() == 0) (void)Prop->GetFont();
    Em = Prop->EmSize();
    Ex = Prop->ExSize();
}

TTableFrame frameOf(std::u16string_view S, TTableFrame Old) {
    static const char16_t* const names[] = {u"VOID", u"ABOVE",  u"BELOW", u"HSIDES", u"LHS",
                                            u"RHS",  u"VSIDES", u"BOX",   u"BORDER"};
    const std::u16string up = UpperCaseString(S);
    for (int i = 0; i < 9; ++i)
        if (up == names[i]) return TTableFrame(i);
    return Old;
}

TTableRules rulesOf(std::u16string_view S, TTableRules Old) {
    static const char16_t* const names[] = {u"NONE", u"GROUPS", u"ROWS", u"COLS", u"ALL"};
    const std::u16string up = UpperCaseString(S);
    for (int i = 0; i < 5; ++i)
        if (up == names[i]) return TTableRules(i);
    return Old;
}

}  // namespace

TSpecWidth MakeSpecFromText(int32_t Value, std::u16string_view Text) {
    TSpecWidth spec;
    if (Text.find(u'%') != std::u16string_view::npos) {
        spec.VType = wtPercent;
        spec.Value = std::clamp(Value, 0, 100) * 10;
    } else if (Text.find(u'*') != std::u16string_view::npos) {
        spec.VType = wtRelative;
        spec.Value = std::clamp(Value, 0, MaxSpecExtent);
    } else {
        spec.VType = wtAbsolute;
        spec.Value = std::clamp(Value, 0, MaxSpecExtent);
    }
    return spec;
}

void SetupCell(TCellObj& Cell, int32_t CellPadding, std::u16string_view BkImage, const PtPositionRec& APRec,
               bool Border) {
    TRect& pad = Cell.FPad;
    for (int* side : {&pad.Left, &pad.Top, &pad.Right, &pad.Bottom})
        if (*side < 0) *side = CellPadding;
    TRect& brd = Cell.FBrd;
    if (Border && !Cell.FHasBorderStyle)
        for (int* side : {&brd.Left, &brd.Top, &brd.Right, &brd.Bottom}) *side = std::max(*side, 1);
    Cell.FHzSpace = pad.Left + brd.Left + brd.Right + pad.Right;
    Cell.FVrSpace = pad.Top + brd.Top + brd.Bottom + pad.Bottom;
    if (!Cell.BGImage && !BkImage.empty()) {
        Cell.BGImage = std::make_unique<TImageObj>(Cell.FCell.get(), BkImage);
        Cell.FPRec = APRec;
    }
}

// ---- slots

void TCellObjBase::AssignTo(TCellObjBase& Destin) const {
    Destin.FColSpan = FColSpan;
    Destin.FRowSpan = FRowSpan;
    Destin.FHzSpace = FHzSpace;
    Destin.FVrSpace = FVrSpace;
    Destin.FSpecWd = FSpecWd;
    Destin.FSpecHt = FSpecHt;
}

TDummyCellObj::TDummyCellObj(int32_t RSpan) {
    FColSpan = 0;
    FRowSpan = RSpan;
}

std::unique_ptr<TCellObjBase> TDummyCellObj::Clone(TBlock*) const {
    auto copy = std::make_unique<TDummyCellObj>(FRowSpan);
    AssignTo(*copy);
    return copy;
}

TCellObj::TCellObj(TBlock* Parent, ThtAlignmentStyle AVAlign, TAttributeList* Attr, TProperties* Prop)
    : FVAlign(AVAlign), FCell(std::make_unique<TCellObjCell>(Parent)) {
    FPad = Rect(-1, -1, -1, -1);  // not given: the table's cell padding
    if (Prop) FCell->Title = Prop->PropTitle;

    std::u16string image;
    for (int i = 0; Attr && i < Attr->Count(); ++i) {
        const TAttribute* T = Attr->GetAttribute(i);
        switch (T->Which) {
        case BackgroundSy: image = T->Name; break;
        case BGColorSy: {
            TColor c = clNone;
            if (parseColor(T, c)) {
                FCell->BkColor = c;
                FCell->BkGnd = true;
            }
            break;
        }
        case ColSpanSy:
            if (T->Value > 1) FColSpan = std::min(T->Value, MaxColSpan);
            break;
        case RowSpanSy:
            if (T->Value > 1) FRowSpan = std::min(T->Value, MaxRowSpan);
            break;
        case HeightSy:
            if (T->Value >= 0) FSpecHt = MakeSpecFromText(T->Value, T->Name);
            break;
        case WidthSy:
            if (T->Value >= 0) FSpecWd = MakeSpecFromText(T->Value, T->Name);
            break;
        case HrefSy: FCell->Url = T->Name; break;
        case TargetSy: FCell->Target = T->Name; break;
        default: break;
        }
    }
    if (!Prop) return;

    ThtAlignmentStyle va = aNone;
    if (Prop->GetVertAlign(va) && (va == aTop || va == aMiddle || va == aBottom)) FVAlign = va;
    if (quirksOf(Prop, FCell->Document())) Prop->GetVMarginArrayDefBorder(MargArrayO, int64_t(QuirksCellBorderColor));
    else Prop->GetVMarginArray(MargArrayO);
    fontSizes(Prop, FEmSize, FExSize);
    ConvertMargins(MargArrayO, 100, 0, FEmSize, FExSize, 3, MargArray);

    if (VarIsStr(MargArrayO[piWidth]) && MargArray[piWidth] >= 0)
        FSpecWd = MakeSpecFromText(MargArray[piWidth], VarStr(MargArrayO[piWidth]));
    if (VarIsStr(MargArrayO[piHeight]) && MargArray[piHeight] >= 0)
        FSpecHt = MakeSpecFromText(MargArray[piHeight], VarStr(MargArrayO[piHeight]));

    if (const TColor bg = Prop->GetBackgroundColor(); bg != clNone) {
        FCell->BkColor = bg;
        FCell->BkGnd = true;
    }
    std::u16string cssImage;
    if (Prop->GetBackgroundImage(cssImage) && !cssImage.empty()) image = cssImage;
    if (!image.empty()) {
        BGImage = std::make_unique<TImageObj>(FCell.get(), image);
        Prop->GetBackgroundPos(FEmSize, FExSize, FPRec);
    }

    ThtMarginArray pads = MargArray;
    ConvertCellPaddings(MargArrayO, FEmSize, FExSize, pads);
    FPad = Rect(pads[PaddingLeft], pads[PaddingTop], pads[PaddingRight], pads[PaddingBottom]);

    const std::pair<ThtPropertyIndex, int*> sides[] = {{BorderLeftStyle, &FBrd.Left},
                                                       {BorderTopStyle, &FBrd.Top},
                                                       {BorderRightStyle, &FBrd.Right},
                                                       {BorderBottomStyle, &FBrd.Bottom}};
    for (const auto& [style, width] : sides)
        if (MargArray[style] != bssNone) {
            FHasBorderStyle = true;
            // The width index lies 8 below its style's.
            *width = std::max(0, MargArray[style - 8]);
        }
    Prop->GetPageBreaks(BreakBefore, BreakAfter, KeepIntact);
    FShowEmptyCells = Prop->ShowEmptyCells();
    FHideOverflow = Prop->IsOverflowHidden();
}

TCellObj::TCellObj(TBlock* Parent, const TCellObj& T) : FCell(std::make_unique<TCellObjCell>(Parent, *T.FCell)) {
    T.AssignTo(*this);
}

TCellObj::~TCellObj() {
    // The background image lives in the content cell's document: it goes first.
    BGImage.reset();
    FCell.reset();
}

std::unique_ptr<TCellObjBase> TCellObj::Clone(TBlock* Parent) const {
    return std::unique_ptr<TCellObjBase>(new TCellObj(Parent, *this));
}

void TCellObj::AssignTo(TCellObjBase& Destin) const {
    TCellObjBase::AssignTo(Destin);
    auto* d = dynamic_cast<TCellObj*>(&Destin);
    if (!d || d == this) return;
    d->FWd = FWd;
    d->FHt = FHt;
    d->FVSize = FVSize;
    d->FYIndent = FYIndent;
    d->FVAlign = FVAlign;
    d->FEmSize = FEmSize;
    d->FExSize = FExSize;
    d->FPRec = FPRec;
    d->FPad = FPad;
    d->FBrd = FBrd;
    d->FHideOverflow = FHideOverflow;
    d->FHasBorderStyle = FHasBorderStyle;
    d->FShowEmptyCells = FShowEmptyCells;
    d->BreakBefore = BreakBefore;
    d->BreakAfter = BreakAfter;
    d->KeepIntact = KeepIntact;
    const ThtDocument* doc = d->FCell ? d->FCell->Document() : nullptr;
    if (d->FCell && doc && doc->PrintTableBackground) {
        d->FCell->BkGnd = FCell && FCell->BkGnd;
        d->FCell->BkColor = FCell ? FCell->BkColor : clNone;
        d->BGImage.reset();
        if (BGImage) {
            std::unique_ptr<TSectionBase> copy = BGImage->CreateCopy(d->FCell.get());
            if (auto* image = dynamic_cast<TImageObj*>(copy.get())) {
                copy.release();
                d->BGImage.reset(image);
            }
        }
    } else {
        if (d->FCell) d->FCell->BkGnd = false;
        d->BGImage.reset();
    }
    d->MargArrayO = MargArrayO;
    d->MargArray = MargArray;
}

// ---- rows

TCellList::TCellList(TAttributeList* Attr, TProperties* Prop) : TFreeList<TCellObjBase>(true) {
    for (int i = 0; Attr && i < Attr->Count(); ++i) {
        const TAttribute* T = Attr->GetAttribute(i);
        switch (T->Which) {
        case BackgroundSy: BkImage = T->Name; break;
        case BGColorSy: BkGnd = parseColor(T, BkColor); break;
        case HeightSy: SpecRowHeight = MakeSpecFromText(std::clamp(T->Value, 0, 100), T->Name); break;
        default: break;
        }
    }
    if (!Prop) return;
    if (const TColor bg = Prop->GetBackgroundColor(); bg != clNone) {
        BkColor = bg;
        BkGnd = true;
    }
    std::u16string image;
    if (Prop->GetBackgroundImage(image) && !image.empty()) {
        BkImage = image;
        int32_t em = 0, ex = 0;
        fontSizes(Prop, em, ex);
        Prop->GetBackgroundPos(em, ex, APRec);
    }
    Prop->GetPageBreaks(BreakBefore, BreakAfter, KeepIntact);
}

TCellList::TCellList(TBlock* Parent, const TCellList& T)
    : TFreeList<TCellObjBase>(true), BreakBefore(T.BreakBefore), BreakAfter(T.BreakAfter), KeepIntact(T.KeepIntact),
      RowType(T.RowType) {
    for (int i = 0; i < T.Count(); ++i) {
        const TCellObjBase* slot = T.Items(i);
        TFreeList::Add(slot ? slot->Clone(Parent).release() : nullptr);
    }
}

void TCellList::Add(TCellObjBase* CellObj) {
    if (auto* cell = dynamic_cast<TCellObj*>(CellObj)) {
        BreakBefore = BreakBefore || cell->BreakBefore;
        BreakAfter = BreakAfter || cell->BreakAfter;
        KeepIntact = KeepIntact || cell->KeepIntact;
        // The row's declared height merged into the cell's, by the two kinds.
        const TSpecWidth& R = SpecRowHeight;
        TSpecWidth& C = cell->FSpecHt;
        switch (R.VType) {
        case wtAbsolute:
            if (C.VType == wtAbsolute) C.Value = std::max(C.Value, R.Value);
            else C = R;
            break;
        case wtPercent:
            if (C.VType == wtNone || C.VType == wtRelative) C = R;
            else if (C.VType == wtPercent) C.Value = std::max(C.Value, R.Value);
            break;
        case wtRelative:
            if (C.VType == wtNone) C = R;
            else if (C.VType == wtRelative) C.Value = std::max(C.Value, R.Value);
            break;
        case wtNone: break;
        }
    }
    TFreeList::Add(CellObj);
}

void TCellList::Initialize() {
    if (!BkGnd) return;
    for (int i = 0; i < Count(); ++i)
        if (auto* cell = dynamic_cast<TCellObj*>(Items(i)); cell && cell->FCell && !cell->FCell->BkGnd) {
            cell->FCell->BkGnd = true;
            cell->FCell->BkColor = BkColor;
        }
}

// ---- tables

THtmlTable::THtmlTable(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop) : TSectionBase(Parent, Attr, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdTable;
    TAttribute* T = nullptr;
    if (findAttr(Attr, BorderSy, T)) {
        HasBorderWidthAttr = true;
        BorderWidth = T->Name.empty() ? 1 : std::clamp(T->Value, 0, 100);
        brdWidthAttr = BorderWidth;
        Frame = BorderWidth != 0 ? tfBorder : tfVoid;
        Rules = BorderWidth != 0 ? trAll : trNone;
    }
    for (int i = 0; Attr && i < Attr->Count(); ++i) {
        T = Attr->GetAttribute(i);
        TColor c = clNone;
        switch (T->Which) {
        case BorderColorSy:
            if (parseColor(T, c)) BorderColor = c;
            break;
        case BorderColorDarkSy:
            if (parseColor(T, c)) BorderColorDark = c;
            break;
        case BorderColorLightSy:
            if (parseColor(T, c)) BorderColorLight = c;
            break;
        case CellPaddingSy: CellPadding = std::clamp(T->Value, 0, 50); break;
        case CellSpacingSy: CellSpacingHorz = CellSpacingVert = std::clamp(T->Value, -1, 40); break;
        case FrameAttrSy: Frame = frameOf(T->Name, Frame); break;
        case RulesSy: Rules = rulesOf(T->Name, Rules); break;
        default: break;
        }
    }
    if (!Prop) return;
    if (Prop->HasBorderSpacing()) {
        // A style sheet's spacing is not limited by the attribute's range,
        // but kept to what a page can show.
        CellSpacingHorz = std::clamp(Prop->GetBorderSpacingHorz(), -1, MaxSpecExtent);
        CellSpacingVert = std::clamp(Prop->GetBorderSpacingVert(), -1, MaxSpecExtent);
    } else if (Prop->Collapse()) {
        CellSpacingHorz = CellSpacingVert = -1;
    }
}

THtmlTable::THtmlTable(TCellBasic* Parent, const THtmlTable& Source)
    : TSectionBase(Parent, Source), Initialized(Source.Initialized), BorderWidth(Source.BorderWidth),
      brdWidthAttr(Source.brdWidthAttr), HasBorderWidthAttr(Source.HasBorderWidthAttr), Frame(Source.Frame),
      Rules(Source.Rules), Float(Source.Float), NumCols(Source.NumCols), TableWidth(Source.TableWidth),
      tblWidthAttr(Source.tblWidthAttr), CellPadding(Source.CellPadding), CellSpacingHorz(Source.CellSpacingHorz),
      CellSpacingVert(Source.CellSpacingVert), HSpace(Source.HSpace), VSpace(Source.VSpace),
      BorderColor(Source.BorderColor), BorderColorLight(Source.BorderColorLight),
      BorderColorDark(Source.BorderColorDark) {
    TBlock* block = OwnerBlock();
    for (int i = 0; i < Source.Rows.Count(); ++i)
        if (const TCellList* row = Source.Rows.Items(i)) Rows.Add(new TCellList(block, *row));
    if (Source.FColSpecs) {
        FColSpecs = std::make_unique<TColSpecList>();
        for (int i = 0; i < Source.FColSpecs->Count(); ++i) FColSpecs->Add(new TColSpec(*Source.FColSpecs->GetItem(i)));
    }
    const size_t n = size_t(std::max(0, NumCols));
    for (TIntArray* a : {&Percents, &Multis, &MaxWidths, &MinWidths, &Widths}) a->assign(n, 0);
    ColumnSpecs.assign(n, wtNone);
    if (FDocument && FDocument->PrintTableBackground) {
        BkGnd = Source.BkGnd;
        BkColor = Source.BkColor;
    }
}

THtmlTable::~THtmlTable() {
    // The cells refer to the document through their content; they go while it is whole.
    Rows.Clear();
}

std::unique_ptr<TSectionBase> THtmlTable::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new THtmlTable(Parent, *this));
}

void THtmlTable::DoColumns(int32_t Count, const TSpecWidth& SpecWidth, ThtAlignmentStyle VAlign,
                           std::u16string_view Align) {
    if (!FColSpecs) FColSpecs = std::make_unique<TColSpecList>();
    for (int32_t i = 0; i < std::min(Count, int32_t(10000)); ++i)
        FColSpecs->Add(new TColSpec(SpecWidth, Align, VAlign));
}

void THtmlTable::InitializeGrid() {
    if (Initialized) return;
    const int rowCount = Rows.Count();

    // Set-up of the cells, and the places a column span covers.
    NumCols = 0;
    for (int r = 0; r < rowCount; ++r) {
        TCellList* row = Rows.Items(r);
        if (!row) continue;
        row->Initialize();
        for (int i = row->Count() - 1; i >= 0; --i) {
            TCellObjBase* slot = row->Items(i);
            if (!slot) continue;
            if (auto* cell = dynamic_cast<TCellObj*>(slot)) {
                SetupCell(*cell, CellPadding, row->BkImage, row->APRec, BorderWidth > 0);
                if (BkGnd && cell->FCell && !cell->FCell->BkGnd) {
                    cell->FCell->BkGnd = true;
                    cell->FCell->BkColor = BkColor;
                }
            }
            slot->FColSpan = std::clamp(slot->FColSpan, 0, MaxColSpan);
            slot->FRowSpan = std::clamp(slot->FRowSpan, 0, std::min(MaxRowSpan, rowCount - r));
            for (int k = 1; k < slot->FColSpan; ++k) row->Insert(i + 1, new TDummyCellObj(std::max(1, slot->FRowSpan)));
        }
        NumCols = std::max(NumCols, row->Count());
    }

    // The places a row span covers in the rows below.
    const int width = NumCols;
    for (int c = 0; c < width; ++c)
        for (int r = 0; r < rowCount; ++r) {
            TCellList* row = Rows.Items(r);
            TCellObjBase* slot = row ? row->GetCellObj(c) : nullptr;
            if (!slot || slot->FRowSpan <= 1) continue;
            for (int k = 1; k < slot->FRowSpan && r + k < rowCount; ++k) {
                TCellList* below = Rows.Items(r + k);
                if (!below) continue;
                while (below->Count() < c) below->TFreeList::Add(new TDummyCellObj(0));
                if (below->Count() < NumCols) below->Insert(c, new TDummyCellObj(0));
            }
        }
    for (int r = 0; r < rowCount; ++r)
        if (const TCellList* row = Rows.Items(r)) NumCols = std::max(NumCols, row->Count());

    // Short rows whose last cell reaches their end are padded.
    for (int r = 0; r < rowCount;) {
        TCellList* row = Rows.Items(r);
        int next = r + 1;
        if (row && row->Count() < NumCols) {
            int last = row->Count() - 1;
            while (last >= 0 && !(row->Items(last) && row->Items(last)->FColSpan > 0)) --last;
            if (last >= 0 && last + row->Items(last)->FColSpan >= row->Count()) {
                next = r + std::max(1, row->Items(last)->FRowSpan);
                while (row->Count() < NumCols) row->TFreeList::Add(new TDummyCellObj(1));
            }
        }
        r = next;
    }

    // No span reaches past the grid.
    for (int r = 0; r < rowCount; ++r) {
        TCellList* row = Rows.Items(r);
        for (int c = 0; row && c < row->Count(); ++c)
            if (TCellObjBase* slot = row->Items(c)) {
                slot->FColSpan = std::min(slot->FColSpan, NumCols - c);
                slot->FRowSpan = std::min(slot->FRowSpan, rowCount - r);
            }
    }

    const size_t n = size_t(NumCols);
    for (TIntArray* a : {&Widths, &MaxWidths, &MinWidths, &Percents, &Multis}) a->assign(n, 0);
    ColumnSpecs.assign(n, wtNone);
    Initialized = true;
}
