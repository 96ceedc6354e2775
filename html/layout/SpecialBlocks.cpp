#include "html/layout/SpecialBlocks.h"

#include <algorithm>

#include "html/layout/AttributeList.h"
#include "html/layout/Borders.h"
#include "html/layout/Document.h"
#include "html/layout/HtmlScreen.h"
#include "html/layout/IndentScope.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlColors.h"
#include "html/text/HtmlStrings.h"
#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/text/Properties.h"
#include "platform/framework/DeviceContext.h"

namespace {

constexpr TColor Silver = 12632256;  // C0C0C0
constexpr int32_t LoneItemIndent = 16;

bool quirks(const ThtDocument* Document) { return Document && Document->UseQuirksMode(); }

// A margin-array value that nobody set (or set to the no-value marker).
bool isUnset(const ThtVariant& V) {
    return VarIsEmpty(V) || VarIsNull(V) ||
           (VarIsOrdinal(V) && (VarInt(V) == AutoSentinel || VarInt(V) == NoValueSentinel));
}

std::u16string decimal(int32_t N) { return htmltext::fromInt(N); }

std::u16string alphabetic(int32_t N, char16_t First) {
    // Bijective base 26: 1 a ... 26 z, 27 aa, 28 ab ... 702 zz, 703 aaa.
    std::u16string text;
    for (int64_t n = N; n > 0; n = (n - 1) / 26) text.insert(text.begin(), char16_t(First + (n - 1) % 26));
    return text;
}

std::u16string roman(int32_t N, bool Upper) {
    static constexpr struct {
        int32_t Value;
        const char16_t* Lower;
        const char16_t* Upper;
    } digits[] = {{1000, u"m", u"M"}, {900, u"cm", u"CM"}, {500, u"d", u"D"},  {400, u"cd", u"CD"}, {100, u"c", u"C"},
                  {90, u"xc", u"XC"}, {50, u"l", u"L"},    {40, u"xl", u"XL"}, {10, u"x", u"X"},    {9, u"ix", u"IX"},
                  {5, u"v", u"V"},    {4, u"iv", u"IV"},   {1, u"i", u"I"}};
    std::u16string text;
    for (const auto& d : digits)
        for (; N >= d.Value; N -= d.Value) text += Upper ? d.Upper : d.Lower;
    return text;
}

}  // namespace

std::u16string ListMarkerText(ThtBulletStyle Style, int32_t Number) {
    switch (Style) {
    case lbLowerAlpha:
    case lbUpperAlpha:
        if (Number >= 1) return alphabetic(Number, Style == lbLowerAlpha ? u'a' : u'A');
        break;
    case lbLowerRoman:
    case lbUpperRoman:
        if (Number >= 1 && Number <= 3999) return roman(Number, Style == lbUpperRoman);
        break;
    default: break;
    }
    return decimal(Number);
}

// ---- lists and list items

TListBlock::TListBlock(TCellBasic* Parent, const TListBlock& Source) : TBlock(Parent, Source) {}

std::unique_ptr<TSectionBase> TListBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TListBlock(Parent, *this));
}

TBlockLI::TBlockLI(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop, TElemSymb Sy, bool APlain,
                   char16_t AIndexType, int32_t AListNumb, int32_t ListLevel)
    : TBlock(Parent, Attributes, Prop), FListNumb(AListNumb) {
    bool styled = false;
    if (Prop) {
        const ThtBulletStyle given = Prop->GetListStyleType();
        if (given != lbBlank) {
            FListStyleType = given;
            styled = true;
        }
    }
    switch (Sy) {
    case OLSy:
        FListType = ThtListType::Ordered;
        if (!styled)
            FListStyleType = AIndexType == u'A'   ? lbUpperAlpha
                             : AIndexType == u'I' ? lbUpperRoman
                             : AIndexType == u'a' ? lbLowerAlpha
                             : AIndexType == u'i' ? lbLowerRoman
                                                  : lbDecimal;
        break;
    case ULSy:
    case DirSy:
    case MenuSy:
        FListType = ThtListType::Unordered;
        if (APlain || FDisplay == pdInline) {
            FListStyleType = lbNone;
        } else if (!styled) {
            if (AIndexType == u'c') FListStyleType = lbCircle;
            else if (AIndexType == u'd') FListStyleType = lbDisc;
            else if (AIndexType == u's') FListStyleType = lbSquare;
            else switch (((ListLevel % 3) + 3) % 3) {
                case 0: FListStyleType = lbSquare; break;
                case 1: FListStyleType = lbDisc; break;
                default: FListStyleType = lbCircle; break;
                }
        }
        break;
    case DLSy: FListType = ThtListType::Definition; break;
    default:
        FListType = ThtListType::liAlone;
        if (!styled) FListStyleType = lbDisc;
        // A lone item keeps room for its marker when no left margin was given.
        if (isUnset(MargArrayO[MarginLeft]) ||
            (VarIsOrdinal(MargArrayO[MarginLeft]) && VarInt(MargArrayO[MarginLeft]) == 0))
            MargArrayO[MarginLeft] = int64_t(LoneItemIndent);
        break;
    }
    if (FListType != ThtListType::liAlone && isUnset(MargArrayO[MarginLeft])) MargArrayO[MarginLeft] = int64_t(0);
    if (Prop) {
        FListFont = Prop->GetFont();
        const std::u16string image = Prop->GetListStyleImage();
        if (!image.empty()) Image = std::make_unique<TImageObj>(MyCell.get(), image);
    }
}

TBlockLI::TBlockLI(TCellBasic* Parent, const TBlockLI& Source)
    : TBlock(Parent, Source), FListType(Source.FListType), FListNumb(Source.FListNumb),
      FListStyleType(Source.FListStyleType) {
    SetListFont(Source.FListFont.get());
    if (Source.Image) {
        std::unique_ptr<TSectionBase> copy = Source.Image->CreateCopy(MyCell.get());
        Image.reset(static_cast<TImageObj*>(copy.release()));
    }
}

TBlockLI::~TBlockLI() = default;

std::unique_ptr<TSectionBase> TBlockLI::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TBlockLI(Parent, *this));
}

void TBlockLI::SetListFont(const ThtFont* Value) {
    if (!Value) {
        FListFont.reset();
        return;
    }
    if (!FListFont) FListFont = std::make_unique<ThtFont>();
    FListFont->Assign(const_cast<ThtFont*>(Value));
}

int32_t TBlockLI::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                             int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    if (Image) {
        Image->DrawLogicInline(Canvas, nullptr, 100, 0);
        if (Image->Image() == &BrokenImage()) Image.reset();
    }
    // The first laid-out line writes its baseline here; the pointer goes on every way out.
    FirstLineHt = 0;
    struct FirstLine {
        ThtDocument* doc;
        ~FirstLine() {
            if (doc) doc->FirstLineHtPtr = nullptr;
        }
    } firstLine{FDocument};
    if (FDocument) FDocument->FirstLineHtPtr = &FirstLineHt;
    return TBlock::DrawLogic1(Canvas, X, Y, XRef, YRef, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
}

int32_t TBlockLI::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                        int32_t YRef) {
    const int32_t result = TBlock::Draw1(Canvas, ARect, IMgr, X, XRef, YRef);
    if (FirstLineHt <= 0 || !FDocument || !Canvas || FDisplay == pdNone || Visibility == viHidden) return result;
    const int32_t y = FirstLineHt - FDocument->YOff;
    if (y < ARect.Top - 50 || y > ARect.Bottom + 50) return result;
    const int32_t x = X + Indent;
    const TStyleElements se = FDocument->StyleElements();

    if (Image && Image->Image() && Image->Image() != &PendingImage() && FDocument->ShowImages) {
        Image->DoDraw(Canvas, x - 16, y - Image->ObjHeight, Image->Image());
        return result;
    }
    if (FListType == ThtListType::None || FListType == ThtListType::Definition) return result;

    const TColor colour = ThemedColor(FListFont ? FListFont->Color() : FGColor, (se & seSet(seFont)) != 0);
    switch (FListStyleType) {
    case lbCircle:
    case lbDisc:
    case lbSquare: {
        TPen savedPen;
        TBrush savedBrush;
        savedPen.Assign(Canvas->Pen());
        savedBrush.Assign(Canvas->Brush());
        struct Restore {
            TCanvas* c;
            TPen& pen;
            TBrush& brush;
            ~Restore() {
                c->Pen()->Assign(&pen);
                c->Brush()->Assign(&brush);
            }
        } restore{Canvas, savedPen, savedBrush};
        Canvas->Pen()->SetColor(colour);
        Canvas->Pen()->SetStyle(psSolid);
        Canvas->Brush()->SetColor(colour);
        Canvas->Brush()->SetStyle(bsSolid);
        if (FListStyleType == lbCircle) {
            Canvas->Brush()->SetStyle(bsClear);
            DrawCircle(Canvas, x - 16, y, 7);
        } else if (FListStyleType == lbDisc) {
            DrawCircle(Canvas, x - 15, y - 1, 5);
        } else {
            Canvas->Rectangle(x - 15, y - 6, x - 10, y - 1);
        }
        break;
    }
    case lbDecimal:
    case lbLowerAlpha:
    case lbLowerRoman:
    case lbUpperAlpha:
    case lbUpperRoman: {
        const std::u16string text = ListMarkerText(FListStyleType, FListNumb) + u".";
        TFont savedFont;
        savedFont.Assign(Canvas->Font());
        if (FListFont) Canvas->Font()->Assign(FListFont.get());
        Canvas->Font()->SetColor(colour);
        TDeviceContext* dc = Canvas->Handle();
        if (!dc) {
            Canvas->Font()->Assign(&savedFont);
            break;
        }
        struct Restore {
            TCanvas* c;
            TDeviceContext* dc;
            TFont& font;
            int mode;
            uint32_t align;
            TColor textColour;
            ~Restore() {
                dc->SetBkMode(mode);
                dc->SetTextAlign(align);
                dc->SetTextColor(textColour);
                c->Font()->Assign(&font);
            }
        } restore{Canvas, dc, savedFont, dc->SetBkMode(TRANSPARENT), dc->SetTextAlign(TA_BASELINE), dc->GetTextColor()};
        const int32_t width = Canvas->TextWidthW(text);
        Canvas->Handle();  // the marker font selected
        dc->SetTextColor(colour);
        dc->TextOut(x - width - 10, y, text);
        Canvas->Changed();
        break;
    }
    default: break;
    }
    return result;
}

// ---- body

TBodyBlock::TBodyBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop)
    : TBlock(Parent, Attributes, Prop, TBlockRole::Body) {
    Positioning = posStatic;
    Floating = aNone;
    MyIMgr.reset();
    MyCell->IMgr = nullptr;
    if (Prop && FDocument) {
        std::u16string image;
        if (Prop->GetBackgroundImage(image) && !image.empty()) {
            PtPositionRec pos;
            Prop->GetBackgroundPos(0, 0, pos);
            FDocument->SetBackgroundBitmap(image, pos);
        }
        const TColor colour = Prop->GetBackgroundColor();
        if (colour != clNone) FDocument->SetBackground(colour | TColor(PalRelative));
    }
}

TBodyBlock::TBodyBlock(TCellBasic* Parent, const TBodyBlock& Source) : TBlock(Parent, Source) {}

std::unique_ptr<TSectionBase> TBodyBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TBodyBlock(Parent, *this));
}

int32_t TBodyBlock::DrawLogic1(TCanvas* Canvas, int32_t, int32_t Y, int32_t, int32_t, int32_t AWidth, int32_t AHeight,
                               int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    ThtMarginArray& M = MargArray;
    YDraw = Y;
    StartCurs = Curs;
    ConvertMargins(MargArrayO, AWidth, AHeight, EmSize, ExSize, GetBorderWidth(), M);
    if (IsAutoPixels(M[MarginLeft])) M[MarginLeft] = 0;
    if (IsAutoPixels(M[MarginRight])) M[MarginRight] = 0;
    ApplyMinMaxAndBoxSizing(M, quirks(FDocument));

    const int32_t managerWidth = IMgr ? IMgr->Width : AWidth;
    const int32_t x = M[MarginLeft] + M[PaddingLeft] + M[BorderLeftWidth];
    ContentWidth = std::max(0, managerWidth - x - M[MarginRight] - M[PaddingRight] - M[BorderRightWidth]);
    DrawTop = M[MarginTop];

    MyCell->IMgr = IMgr;
    TIndentScope scope(IMgr, this, x, x + ContentWidth, Y);
    ContentTop = Y + M[MarginTop] + M[PaddingTop] + M[BorderTopWidth];
    int32_t scrollWidth = 0;
    MyCell->DoLogicX(Canvas, x, ContentTop, 0, 0, ContentWidth, AHeight - M[MarginTop] - M[MarginBottom], BlHt,
                     scrollWidth, Curs);
    Len = Curs - StartCurs;
    const int32_t b = std::max(ContentTop, MyCell->tcContentBot);
    ContentBot = b + M[PaddingBottom] + M[BorderBottomWidth] + M[MarginBottom];
    DrawBot = std::max(b, MyCell->tcDrawBot) + M[PaddingBottom] + M[BorderBottomWidth];
    // The body's cell stands for the whole page to whoever asks for its extent.
    MyCell->tcDrawTop = 0;
    MyCell->tcContentBot = FarBeyond;

    SectionHeight = DrawBot + M[MarginBottom] - Y;
    scope.RemoveRecords();
    DrawHeight = std::max(SectionHeight, (IMgr ? IMgr->ImageBottom() : 0) - Y);
    scope.RestoreID();
    MaxWidth = std::max(managerWidth, std::max(scrollWidth, ContentWidth) + M[MarginLeft] + M[MarginRight]);
    if (DrawList.Empty()) DrawSort();
    return SectionHeight;
}

int32_t TBodyBlock::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t, int32_t, int32_t) {
    const ThtMarginArray& M = MargArray;
    const int32_t lfEdge = IMgr ? IMgr->LfEdge : 0;
    const int32_t x = lfEdge + M[MarginLeft] + M[BorderLeftWidth] + M[PaddingLeft];
    {
        const TIndentOwner saved = IMgr ? IMgr->CurrentID : nullptr;
        if (IMgr) IMgr->CurrentID = this;
        struct Restore {
            TIndentManager* m;
            TIndentOwner id;
            ~Restore() {
                if (m) m->CurrentID = id;
            }
        } restore{IMgr, saved};
        DrawTheList(Canvas, ARect, ContentWidth, x, lfEdge, 0);
    }
    DrawRect = Rect(x, YDraw, x + ContentWidth, YDraw + DrawHeight);
    return YDraw + SectionHeight;
}

ThtguResultType TBodyBlock::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                   TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    ThtguResultType result = MyCell->GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
    if (!(result & guTitle) && !BlockTitle.empty()) {
        if (ATitle) *ATitle = BlockTitle;
        result |= guTitle;
    }
    return result;
}

// ---- rules

THRBlock::THRBlock(TCellBasic* Parent, const THRBlock& Source) : TBlock(Parent, Source), Align(Source.Align) {
    // The rule is the copied cell's section where the source's was.
    if (Source.MyHRule) {
        const int i = Source.MyCell->IndexOf(Source.MyHRule);
        if (i >= 0 && i < MyCell->Count()) MyHRule = MyCell->GetItem(i);
    }
}

std::unique_ptr<TSectionBase> THRBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new THRBlock(Parent, *this));
}

int32_t THRBlock::FindWidth(TCanvas*, int32_t AWidth, int32_t, int32_t) {
    ThtMarginArray& M = MargArray;
    if (Positioning == posAbsolute) Align = ThtJustify::Left;
    if (IsAutoPixels(M[MarginLeft])) M[MarginLeft] = 0;
    if (IsAutoPixels(M[MarginRight])) M[MarginRight] = 0;
    const int32_t leftSide = M[MarginLeft] + M[PaddingLeft] + M[BorderLeftWidth];
    const int32_t rightSide = M[MarginRight] + M[PaddingRight] + M[BorderRightWidth];
    const int32_t room = AWidth - leftSide - rightSide;
    int32_t w = M[piWidth];
    w = w < 1 ? std::max(15, room) : std::min(w, room);
    M[piWidth] = w;
    if (Align != ThtJustify::Left) {
        const int32_t free = AWidth - w - leftSide - rightSide;
        if (free > 0) M[MarginLeft] += Align == ThtJustify::Right ? free : free / 2;
    }
    if (!IsCopy())
        if (auto* line = dynamic_cast<THorzLine*>(MyHRule)) line->VSize = M[piHeight];
    return w;
}

THorzLine::THorzLine(TCellBasic* Parent, TAttributeList* L, TProperties* Prop) : TSectionBase(Parent, L, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdBlock;
    TAttribute* a = nullptr;
    if (L) {
        if (L->Find(AlignSy, a)) {
            const std::u16string align = LowerCaseString(a->Name);
            if (align == u"left") Align = ThtJustify::Left;
            else if (align == u"right") Align = ThtJustify::Right;
        }
        TColor c = clNone;
        if (L->Find(ColorSy, a) && TryTextToColor(a->Name, false, c)) {
            Color = c;
            if (Prop) Prop->Props[::Color] = int64_t(c);
        }
        if (L->Find(NoShadeSy, a)) NoShade = true;
        if (L->Find(SizeSy, a) && a->Value >= 1 && a->Value <= 20) VSize = a->Value;
        if (L->Find(WidthSy, a) && a->Value > 0 && Prop) {
            if (a->Name.find(u'%') == std::u16string::npos) Prop->Props[piWidth] = int64_t(a->Value);
            else if (a->Value <= 100) Prop->Props[piWidth] = htmltext::fromInt(a->Value) + u"%";
        }
    }
    if (Prop) {
        UseDefBorder = !Prop->BorderStyleNotBlank();
        Prop->Props[piHeight] = int64_t(VSize);
        const TColor fg = Prop->GetOriginalForegroundColor();
        if (fg != clNone) Color = fg;
        if (Prop->Originals[TextAlign]) {
            const ThtVariant& v = Prop->Props[TextAlign];
            if (VarIsText(v, u"left")) Align = ThtJustify::Left;
            else if (VarIsText(v, u"right")) Align = ThtJustify::Right;
            else if (VarIsText(v, u"center")) Align = ThtJustify::Centered;
        }
    } else {
        UseDefBorder = true;
    }
}

THorzLine::THorzLine(TCellBasic* Parent, const THorzLine& Source)
    : TSectionBase(Parent, Source), VSize(Source.VSize), Color(Source.Color), Align(Source.Align),
      UseDefBorder(Source.UseDefBorder), NoShade(Source.NoShade) {}

std::unique_ptr<TSectionBase> THorzLine::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new THorzLine(Parent, *this));
}

int32_t THorzLine::DrawLogic1(TCanvas*, int32_t X, int32_t Y, int32_t, int32_t, int32_t AWidth, int32_t, int32_t,
                              TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    YDraw = ContentTop = DrawTop = Y;
    StartCurs = Curs;
    Len = 0;
    Indent = IMgr ? std::max(X, IMgr->LeftIndent(Y)) : X;
    const int32_t right = IMgr ? IMgr->RightSide(Y) : X + AWidth;
    Width = std::max(0, std::min(X + AWidth - Indent, right - Indent));
    MaxWidth = Width;
    SectionHeight = DrawHeight = VSize;
    ContentBot = DrawBot = Y + VSize;
    return VSize;
}

int32_t THorzLine::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager*, int32_t X, int32_t, int32_t) {
    const int32_t result = YDraw + SectionHeight;
    ThtDocument* doc = FDocument;
    if (!doc || !Canvas || FDisplay == pdNone) return result;
    const int32_t y = YDraw - doc->YOff;
    if (y + VSize <= ARect.Top || y >= ARect.Bottom) return result;
    if (doc->Printing && YDraw >= doc->PageBottom) return result;
    const int32_t xr = X + Width - 1;
    const TStyleElements se = doc->StyleElements();
    TDeviceContext* dc = Canvas->Handle();
    if (Color != clNone) {
        if (dc) {
            dc->FillRect(Rect(X, y, xr + 1, y + VSize), ThemedColor(Color, (se & seSet(seClient)) != 0) | 0x02000000);
            Canvas->Changed();
        }
    } else if (UseDefBorder && VSize > 0) {
        const bool mono =
            NoShade || (doc->Printing && dc && dc->GetDeviceCaps(BITSPIXEL) == 1 && dc->GetDeviceCaps(PLANES) == 1);
        const bool white =
            doc->Printing || ThemedColor(doc->BackGround, (se & seSet(seClient)) != 0) == TColor(0xFFFFFF);
        TPen saved;
        saved.Assign(Canvas->Pen());
        struct Restore {
            TCanvas* c;
            TPen& pen;
            ~Restore() { c->Pen()->Assign(&pen); }
        } restore{Canvas, saved};
        Canvas->Pen()->SetStyle(psSolid);
        Canvas->Pen()->SetWidth(1);
        Canvas->Pen()->SetColor(mono    ? clBlack
                                : white ? Silver
                                        : ThemedColor(clBtnHighlight, (se & seSet(seClient)) != 0));
        Canvas->MoveTo(xr, y);
        Canvas->LineTo(xr, y + VSize - 1);
        Canvas->LineTo(X, y + VSize - 1);
        Canvas->Pen()->SetColor(mono ? clBlack : ThemedColor(clBtnShadow, (se & seSet(seFont)) != 0));
        Canvas->LineTo(X, y);
        Canvas->LineTo(xr, y);
    }
    doc->FirstPageItem = false;
    return result;
}

void THorzLine::CopyToClipboard() {
    if (FDocument && FDocument->CB) FDocument->CB->AddTextCR(u"");
}

// ---- field sets

TFieldsetBlock::TFieldsetBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop)
    : TBlock(Parent, Attributes, Prop), FLegend(std::make_unique<TBlockCell>(FDocument, this)) {
    HasBorderStyle = true;
    // The defaults apply where the element's own values leave a side unset.
    auto unsetInElement = [&](int i) { return !Prop || isUnset(Prop->Props[size_t(i)]); };
    for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i)
        if (unsetInElement(i)) MargArrayO[i] = int64_t(bssSolid);
    for (int i = BorderTopColor; i <= BorderLeftColor; ++i)
        if (unsetInElement(i)) MargArrayO[i] = int64_t(RGB(165, 172, 178));
    for (int i = BorderTopWidth; i <= BorderLeftWidth; ++i)
        if (unsetInElement(i)) MargArrayO[i] = int64_t(1);
    for (int i = PaddingTop; i <= PaddingLeft; ++i)
        if (unsetInElement(i)) MargArrayO[i] = int64_t(10);
}

TFieldsetBlock::TFieldsetBlock(TCellBasic* Parent, const TFieldsetBlock& Source)
    : TBlock(Parent, Source), FLegend(std::make_unique<TBlockCell>(FDocument, this, *Source.FLegend)) {}

TFieldsetBlock::~TFieldsetBlock() {
    // The legend's sections go while the block is whole.
    if (FLegend) FLegend->Clear();
}

std::unique_ptr<TSectionBase> TFieldsetBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TFieldsetBlock(Parent, *this));
}

void TFieldsetBlock::ContentMinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    int32_t lmin = 0, lmax = 0;
    FLegend->MinMaxWidth(Canvas, lmin, lmax);
    TBlock::ContentMinMaxWidth(Canvas, Min, Max);
    Min = std::max(Min, lmin);
    Max = std::max(Max, lmax);
}

void TFieldsetBlock::ConvMargArray(int32_t BaseWidth, int32_t BaseHeight, int32_t& AutoCount) {
    TBlock::ConvMargArray(BaseWidth, BaseHeight, AutoCount);
    ThtMarginArray& M = MargArray;
    M[MarginTop] = LengthFromVariant(MargArrayO[MarginTop], false, BaseHeight, EmSize, ExSize, 10);
    // The top border runs through the legend's middle.
    const int32_t t = M[MarginTop] + M[BorderTopWidth] + M[PaddingTop];
    const int32_t d = FLegend->CellHeight - t;
    if (d > 0) {
        const int32_t h = d / 2;
        M[PaddingTop] += h;
        M[MarginTop] += d - h;
    }
}

int32_t TFieldsetBlock::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                                   int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth,
                                   int32_t& Curs) {
    if (FDisplay == pdNone) {
        SectionHeight = DrawHeight = ContentBot = DrawBot = 0;
        MaxWidth = 0;
        return 0;
    }
    ThtMarginArray& M = MargArray;
    ConvertMargins(MargArrayO, AWidth, AHeight, EmSize, ExSize, GetBorderWidth(), M);
    ApplyMinMaxAndBoxSizing(M, quirks(FDocument));
    const int32_t leftSide = (IsAutoPixels(M[MarginLeft]) ? 0 : M[MarginLeft]) + M[PaddingLeft] + M[BorderLeftWidth];
    const int32_t rightSide =
        (IsAutoPixels(M[MarginRight]) ? 0 : M[MarginRight]) + M[PaddingRight] + M[BorderRightWidth];
    const int32_t width = std::max(0, AWidth - leftSide - rightSide);
    {
        FLegend->IMgr = IMgr;
        TIndentScope scope(IMgr, this, X + leftSide, X + leftSide + width, Y);
        const int32_t blockHeight = M[piHeight] > 0 ? M[piHeight] : AHeight > 0 ? AHeight : BlHt;
        int32_t legendWidth = 0;
        FLegend->DoLogicX(Canvas, X + leftSide, Y, XRef, YRef, width, M[piHeight], blockHeight, legendWidth, Curs);
    }
    return TBlock::DrawLogic1(Canvas, X, Y, XRef, YRef, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
}

int32_t TFieldsetBlock::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                              int32_t YRef) {
    if (FDisplay == pdNone || !FDocument) return 0;
    const ThtMarginArray& M = MargArray;
    const int32_t lx = X + M[MarginLeft] + M[BorderLeftWidth] + M[PaddingLeft];
    FLegend->Draw(Canvas, ARect, ContentWidth, lx, YDraw, XRef, YRef);
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    if (!dc) return TBlock::Draw1(Canvas, ARect, IMgr, X, XRef, YRef);
    // Border and background leave the legend's box free; later content is
    // not clipped out of it (the clip comes back afterwards).
    TClipGuard clip(dc);
    const int32_t top = YDraw - FDocument->YOff;
    dc->ExcludeClipRect(lx - 2, top, lx + FLegend->TextWidth + 2, top + FLegend->CellHeight);
    return TBlock::Draw1(Canvas, ARect, IMgr, X, XRef, YRef);
}

// ---- page breaks

TPage::TPage(TCellBasic* Parent, TAttributeList* L, TProperties* Prop) : TSectionBase(Parent, L, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdBlock;
}

TPage::TPage(TCellBasic* Parent, const TPage& Source) : TSectionBase(Parent, Source) {}

std::unique_ptr<TSectionBase> TPage::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TPage(Parent, *this));
}

int32_t TPage::DrawLogic1(TCanvas*, int32_t X, int32_t Y, int32_t, int32_t, int32_t, int32_t, int32_t, TIndentManager*,
                          int32_t& MaxWidth, int32_t& Curs) {
    StartCurs = Curs;
    Len = 0;
    SectionHeight = DrawHeight = 0;
    MaxWidth = 0;
    ContentTop = DrawTop = YDraw = ContentBot = DrawBot = Y;
    DrawRect = Rect(X, Y, X, Y);
    return 0;
}

int32_t TPage::Draw1(TCanvas*, const TRect& ARect, TIndentManager*, int32_t, int32_t, int32_t) {
    if (FDocument && FDocument->Printing) {
        const int32_t y = YDraw - FDocument->YOff;
        // A marker at the very top of a page does not end that page.
        if (y > ARect.Top + 5 && y < ARect.Bottom && YDraw < FDocument->PageBottom) FDocument->PageBottom = YDraw;
    }
    return YDraw + SectionHeight;
}
