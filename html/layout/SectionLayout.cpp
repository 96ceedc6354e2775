// Text sections, measured and broken into lines: the extent primitives, the
// minimum and maximum widths, and the line pass that lays a frozen section
// out beside the floats of its block.
#include <algorithm>
#include <vector>

#include "html/layout/Blocks.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Sections.h"
#include "html/text/Fonts.h"

namespace {

bool isObjectChar(char16_t C) { return C == ImgPan || C == FmCtl; }

bool floats(const TFloatingObj* O) { return O && (O->Floating == aLeft || O->Floating == aRight); }

// The canvas's context with the run's font selected (null without a canvas).
TDeviceContext* fontOn(TCanvas* Canvas, const TFontObj* FO) {
    if (!Canvas) return nullptr;
    if (FO && FO->TheFont) FO->TheFont->AssignToCanvas(Canvas);
    return Canvas->Handle();
}

int32_t clampToInt(int64_t V) { return int32_t(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

}  // namespace

// ---- extent primitives

void TextExtent(TDeviceContext* DC, std::u16string_view Text, TSize& Size) {
    Size = TSize();
    if (!DC || Text.empty()) return;
    DC->GetTextExtentExPoint(Text, 0, nullptr, nullptr, Size);
}

int32_t TextExtentFits(TDeviceContext* DC, std::u16string_view Text, TSize& Size, int32_t MaxExtent) {
    Size = TSize();
    if (!DC || MaxExtent <= 0 || Text.empty()) return 0;
    // Advances are per character, so a prefix measures as it does inside the
    // whole text: growing prefixes are measured until one no longer fits
    // whole, and a long paragraph costs what its first line holds.
    std::vector<int> partial;
    size_t take = std::min<size_t>(Text.size(), 256);
    for (;;) {
        int fit = 0;
        TSize whole;
        DC->GetTextExtentExPoint(Text.substr(0, take), MaxExtent, &fit, &partial, whole);
        fit = std::clamp(fit, 0, int(take));
        if (size_t(fit) < take || take == Text.size()) {
            Size.cx = fit > 0 ? partial[size_t(fit) - 1] : 0;
            Size.cy = whole.cy;
            return fit;
        }
        take = std::min(Text.size(), take * 4);
    }
}

bool CanBreakAt(char16_t Ch) {
    return Ch == FmCtl || Ch == ImgPan || Ch == BrkCh || Ch == u' ' || IsHyphenLike(Ch) || IsWideChar(Ch);
}

bool IsHyphenLike(char16_t Ch) { return Ch == u'-' || Ch == u'/' || Ch == u'?'; }

bool IsWideChar(char16_t Ch) { return Ch >= 0x3000; }

// ---- measuring the section's text

void TSection::FindTextSize(TCanvas* Canvas, int32_t Start, int32_t N, bool RemoveSpaces, TSize& Size) {
    Size = TSize();
    if (Start < 0) {
        N += Start;
        Start = 0;
    }
    N = std::min(N, Len - Start);
    if (RemoveSpaces)
        while (N > 0 && (BuffS[size_t(Start + N - 1)] == u' ' || BuffS[size_t(Start + N - 1)] == BrkCh)) --N;
    const int32_t end = Start + N;
    int32_t i = Start;
    while (i < end) {
        if (isObjectChar(BuffS[size_t(i)])) {
            if (TFloatingObj* o = ObjectAt(i); o && !floats(o)) {
                Size.cx += o->TotalWidth();
                Size.cy = std::max(Size.cy, o->TotalHeight());
            }
            ++i;
            continue;
        }
        TFontObj* fo = nullptr;
        const int32_t inRun = Fonts.GetFontObjAt(i, Len, fo);
        const int32_t stop = std::min(end, i + std::max(inRun, 1));
        int32_t j = i + 1;
        while (j < stop && !isObjectChar(BuffS[size_t(j)])) ++j;
        TSize ext;
        TextExtent(fontOn(Canvas, fo), std::u16string_view(BuffS).substr(size_t(i), size_t(j - i)), ext);
        Size.cx += (fo ? fo->Overhang : 0) + ext.cx;
        Size.cy = std::max(Size.cy, ext.cy);
        i = j;
    }
}

int32_t TSection::FindTextWidthA(TCanvas* Canvas, int32_t Start, int32_t N) {
    if (Start < 0) {
        N += Start;
        Start = 0;
    }
    N = std::min(N, Len - Start);
    const int32_t end = Start + N;
    int32_t width = 0, i = Start;
    while (i < end) {
        if (isObjectChar(BuffS[size_t(i)])) {
            if (TFloatingObj* o = ObjectAt(i); o && !floats(o)) width += o->TotalWidth();
            ++i;
            continue;
        }
        TFontObj* fo = nullptr;
        const int32_t inRun = Fonts.GetFontObjAt(i, Len, fo);
        const int32_t stop = std::min(end, i + std::max(inRun, 1));
        int32_t j = i + 1;
        while (j < stop && !isObjectChar(BuffS[size_t(j)])) ++j;
        TSize ext;
        TextExtent(fontOn(Canvas, fo), std::u16string_view(BuffS).substr(size_t(i), size_t(j - i)), ext);
        width += ext.cx - (fo ? fo->Overhang : 0);
        i = j;
    }
    return width;
}

int32_t TSection::FindCountThatFits(TCanvas* Canvas, int32_t Width, int32_t Start, int32_t Max) {
    // The cache answers only the very question it holds, and never more than asked for.
    if (FFitCache.Valid && FFitCache.Start == Start && FFitCache.Width == Width && FFitCache.Max == Max)
        return FFitCache.Result;
    int32_t count = 0, used = 0, i = std::max(Start, 0);
    while (i < Len && count < Max) {
        if (isObjectChar(BuffS[size_t(i)])) {
            if (TFloatingObj* o = ObjectAt(i); o && !floats(o)) {
                used += o->TotalWidth();
                if (used > Width) break;
            }
            ++count;
            ++i;
            continue;
        }
        TFontObj* fo = nullptr;
        const int32_t inRun = Fonts.GetFontObjAt(i, Len, fo);
        const int32_t stop = std::min({Len, i + std::max(inRun, 1), i + (Max - count)});
        int32_t j = i + 1;
        while (j < stop && !isObjectChar(BuffS[size_t(j)])) ++j;
        TSize ext;
        const int32_t n = j - i;
        const std::u16string_view text = std::u16string_view(BuffS).substr(size_t(i), size_t(n));
        const int32_t fit = TextExtentFits(fontOn(Canvas, fo), text, ext, Width - used);
        if (count + fit >= Max) {
            count = Max;
            break;
        }
        count += fit;
        if (fit < n || fit == 0) break;
        used += ext.cx;
        i = j;
    }
    const int32_t result = std::clamp(count, 0, std::max(Max, 0));
    FFitCache = {true, Start, Width, Max, result};
    return result;
}

int32_t TSection::DashWidth(TCanvas* Canvas, int32_t Pos) {
    TDeviceContext* dc = fontOn(Canvas, Fonts.GetFontObjAt(Pos));
    return dc ? dc->GetTextExtentPoint(u"-").cx : 0;
}

int32_t TSection::SkipSpaces(int32_t Pos) const {
    while (Pos < Len && BuffS[size_t(Pos)] == u' ') ++Pos;
    return Pos;
}

// ---- minimum and maximum width

void TSection::MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    Min = 0;
    Max = 0;
    if (Len == 0) return;
    // Widths measured in an earlier layout cycle may belong to other fonts
    // or another scale (a print copy): they are measured again.
    const int32_t cycle = FDocument ? FDocument->CycleNumber : 0;
    if (FStoredCycle != cycle) {
        StoredMin = TSize();
        StoredMax = TSize();
        FStoredCycle = cycle;
    }
    if (!BreakWord && (WhiteSpaceStyle == wsNoWrap || WhiteSpaceStyle == wsPre)) {
        if (StoredMax.cx == 0) {
            TSize size;
            FindTextSize(Canvas, 0, Len - 1, false, size);
            StoredMax.cx = size.cx;
        }
        Max = StoredMax.cx;
        Min = std::min(100000, Max);
        return;
    }
    if (StoredMin.cx > 0 && Images.Empty()) {
        Min = StoredMin.cx;
        Max = StoredMax.cx;
        return;
    }
    auto withIndent = [this](int32_t W) {
        if (FLPercent != 0) return clampToInt(int64_t(W) * 100 / (100 - FLPercent));
        return clampToInt(int64_t(W) + FirstLineIndent);
    };

    int32_t objectMin = 0, floatWidths = 0;
    auto sizeObject = [&](TFloatingObj* O) {
        O->DrawLogicInline(Canvas, Fonts.GetFontObjAt(O->StartCurs), 0, 0);
        if (O->PercentWidth) return;
        int32_t candidate = O->ClientWidth();
        if (floats(O)) {
            floatWidths += O->TotalWidth();
            if (O->StartCurs >= 0 && O->StartCurs < Len) Brk[size_t(O->StartCurs)] = twYes;
            candidate = O->TotalWidth();
        }
        objectMin = std::max(objectMin, candidate);
    };
    for (int i = 0; i < Images.Count(); ++i) sizeObject(Images.Items(i));
    for (int i = 0; i < FormControls.Count(); ++i) sizeObject(FormControls.GetItem(i));

    // The widest piece between forced breaks.
    int32_t widest = 0, pieceStart = 0;
    for (int32_t k = 0; k <= Len; ++k) {
        if (k < Len && BuffS[size_t(k)] != BrkCh) continue;
        TSize size;
        FindTextSize(Canvas, pieceStart, k - pieceStart, k == Len, size);
        const int32_t w = pieceStart == 0 ? withIndent(size.cx) : size.cx;
        widest = std::max(widest, w);
        pieceStart = k + 1;
    }
    Max = clampToInt(int64_t(widest) + floatWidths);

    // The widest piece that cannot be broken.
    int32_t narrowest = 0;
    if (BreakWord) {
        for (int32_t k = 0; k < Len; ++k) {
            TSize size;
            FindTextSize(Canvas, k, 1, false, size);
            narrowest = std::max(narrowest, k == 0 ? withIndent(size.cx) : size.cx);
        }
    } else {
        int32_t k = SkipSpaces(0);
        while (k < Len) {
            const int32_t s = k;
            int32_t e;
            if (CanBreakAt(BuffS[size_t(k)]) && BrkAt(k) == twYes) {
                e = k + 1;
            } else {
                int32_t j = k;
                for (;;) {
                    const ThtTextWrap b = BrkAt(j);
                    if (b == twSoft || b == twOptional || j + 1 >= Len ||
                        (CanBreakAt(BuffS[size_t(j + 1)]) && BrkAt(j + 1) == twYes)) {
                        e = j + 1;
                        break;
                    }
                    ++j;
                }
            }
            const bool soft = BrkAt(e - 1) == twSoft;
            if (e < Len && IsHyphenLike(BuffS[size_t(e)])) ++e;  // "-", "/" and "?" glue to the word before
            TSize size;
            FindTextSize(Canvas, s, e - s, false, size);
            int32_t w = size.cx;
            if (soft) w += DashWidth(Canvas, e - 1);
            narrowest = std::max(narrowest, w);
            k = e;
            while (k < Len && (isObjectChar(BuffS[size_t(k)]) || BuffS[size_t(k)] == BrkCh || BuffS[size_t(k)] == u' '))
                ++k;
        }
    }
    Min = std::max(narrowest, objectMin);
    // Whatever the text, the maximum never falls below the minimum.
    Max = std::max(Max, Min);
    StoredMin = TSize{Min, 0};
    StoredMax = TSize{Max, 0};
}

// ---- layout

struct TSection::LinePass {
    TCanvas* Canvas = nullptr;
    TIndentManager* IMgr = nullptr;
    int32_t X = 0;
    int32_t Y = 0;          // top of the next line
    int32_t LineStart = 0;  // first character of the next line
    int32_t MaxWidth = 0;
    int32_t Lowest = 0;   // the lowest y anything of the section is drawn at
    int32_t Marker = -1;  // the last float placed (its character)
    bool FloatPlaced = false;
    int32_t LastFloatY = 0;
    int32_t NextBreak = -1;                // the first #8 at or after LineStart, Len when none
    int RunCursor = 0;                     // the first run that can reach the next line
    int32_t ObjHeight = 0;                 // inline objects met while fitting the line
    std::vector<TFloatingObj*> NewFloats;  // floats placed while fitting the line
};

int32_t TSection::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t, int32_t, int32_t AWidth, int32_t AHeight,
                             int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    YDraw = DrawTop = ContentTop = Y;
    StartCurs = Curs;
    Lines.Clear();
    TextWidth = 0;
    FFitCache.Valid = false;
    if (Canvas)
        if (TDeviceContext* dc = Canvas->Handle()) dc->SetTextJustification(0, 0);
    TIndentManager own;
    if (!IMgr) {
        own.Init(X, AWidth);
        IMgr = &own;
    }
    if (WhiteSpaceStyle == wsNoWrap || WhiteSpaceStyle == wsPre) {
        if (Len == 0) {
            const int32_t height = Fonts.Empty() ? 0 : Fonts.GetFont(0)->FontHeight;
            SectionHeight = DrawHeight = height;
            ContentBot = DrawBot = Y + height;
            MaxWidth = 0;
            DrawRect = TRect{X, Y, X, Y + height};
            return SectionHeight;
        }
        if (!BreakWord) {
            {
                // The lines run as wide as they are; the manager's width
                // comes back on every way out.
                struct WidthBack {
                    TIndentManager* M;
                    int32_t W;
                    ~WidthBack() { M->Width = W; }
                } back{IMgr, IMgr->Width};
                IMgr->Width = 32000;
                LayoutLines(Canvas, X, Y, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
            }
            int32_t min = 0;
            MinMaxWidth(Canvas, min, MaxWidth);
            DrawRect.Right = DrawRect.Left + MaxWidth;
            return SectionHeight;
        }
    }
    return LayoutLines(Canvas, X, Y, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
}

int32_t TSection::LayoutLines(TCanvas* Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, int32_t BlHt,
                              TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    const int32_t y0 = Y;
    SectionHeight = 0;
    auto clearance = [&](int32_t AtY) {
        if (ClearAttr == clrNone) return 0;
        int32_t cl = 0, cr = 0;
        IMgr->GetClearY(cl, cr);
        const int32_t clearY = ClearAttr == clLeft ? cl : ClearAttr == clRight ? cr : std::max(cl, cr);
        return std::max(0, clearY - AtY - 1);
    };
    if (Len == 0) {
        SectionHeight = DrawHeight = clearance(Y);
        ContentBot = DrawBot = Y + SectionHeight;
        MaxWidth = 0;
        DrawWidth = 0;
        DrawRect = TRect{X, DrawTop, X, DrawBot};
        return SectionHeight;
    }
    if (FLPercent != 0) FirstLineIndent = clampToInt(int64_t(FLPercent) * AWidth / 100);
    DrawWidth = IMgr->RightSide(Y) - X;
    const int32_t lineWidth = std::min(IMgr->RightSide(Y) - IMgr->LeftIndent(Y), AWidth);

    LinePass P;
    P.Canvas = Canvas;
    P.IMgr = IMgr;
    P.X = X;
    P.Y = Y;
    P.Lowest = Y;
    P.MaxWidth = lineWidth;
    const bool hide = FOwnerBlock && FOwnerBlock->HideOverflow;
    auto sizeObject = [&](TFloatingObj* O) {
        O->DrawLogicInline(Canvas, Fonts.GetFontObjAt(O->StartCurs), lineWidth, AHeight != 0 ? AHeight : BlHt);
        if (hide) {
            if (O->ClientWidth() > lineWidth) O->SetClientWidth(lineWidth);
        } else {
            P.MaxWidth = std::max(P.MaxWidth, O->ClientWidth());
        }
    };
    for (int i = 0; i < Images.Count(); ++i) sizeObject(Images.Items(i));
    for (int i = 0; i < FormControls.Count(); ++i) sizeObject(FormControls.GetItem(i));

    const bool fitting = WhiteSpaceStyle == wsNormal || WhiteSpaceStyle == wsPreWrap || BreakWord;
    if (const int32_t clear = clearance(P.Y); clear > 0) AddSpacer(P, clear);
    while (P.LineStart < Len) {
        const int32_t remaining = Len - P.LineStart;
        int32_t n = 0, nn = remaining;
        P.ObjHeight = 0;
        if (fitting) {
            n = FitLine(P, remaining);
            nn = std::max(n, 1);
        }
        P.Lowest = std::max(P.Lowest, P.Y + P.ObjHeight);
        const int32_t wider = IMgr->GetNextWiderY(P.Y);
        if (n == 0 && wider > P.Y) {
            // Nothing fits here: the line goes down past the floats, unless
            // its character may stand alone.
            const int32_t k = P.LineStart + nn - 1;
            const char16_t c = BuffS[size_t(k)];
            if (((c == u' ' || c == ImgPan || IsWideChar(c)) && BrkAt(k) != twNo) || c == BrkCh) {
                nn = SkipSpaces(k + 1) - P.LineStart;
            } else {
                AddSpacer(P, wider - P.Y);
                continue;
            }
        } else if (nn < remaining) {
            nn = ChooseBreak(P, nn);
            if (nn == 0) continue;
        }
        CompleteLine(P, nn);
    }
    Curs = StartCurs + Len;

    if (FDocument && FDocument->FirstLineHtPtr && !Lines.Empty() && *FDocument->FirstLineHtPtr == 0) {
        const ThtLineRec* first = Lines.First();
        *FDocument->FirstLineHtPtr = YDraw + first->SpaceBefore + first->LineHt - first->Descent;
    }
    DrawHeight = std::max(P.Lowest - y0, SectionHeight);
    ContentBot = y0 + SectionHeight;
    DrawBot = y0 + DrawHeight;
    if (FDocument) {
        if (!FDocument->IsCopy && SectionNumber > 0 && SectionNumber % 50 == 0 && ThisCycle != FDocument->CycleNumber &&
            FDocument->SectionCount > 0 && FDocument->TheOwner)
            FDocument->TheOwner->htProgress(
                FDocument->ProgressStart +
                clampToInt(int64_t(SectionNumber) * (100 - FDocument->ProgressStart) / FDocument->SectionCount));
        ThisCycle = FDocument->CycleNumber;
    }
    MaxWidth = hide ? std::min(P.MaxWidth, lineWidth) : P.MaxWidth;
    DrawRect = TRect{X, DrawTop, X + MaxWidth, DrawBot};
    return SectionHeight;
}

void TSection::AddSpacer(LinePass& P, int32_t Height) {
    auto line = std::make_unique<ThtLineRec>(this);
    line->Start = P.LineStart;
    line->LineHt = Height;
    Lines.Add(std::move(line));
    SectionHeight += Height;
    P.Y += Height;
}

void TSection::PlaceFloat(LinePass& P, TFloatingObj* Obj, int32_t Pos, int32_t Used) {
    int32_t y = P.FloatPlaced ? std::max(P.Y, P.LastFloatY) : P.Y;
    const int32_t w = Obj->TotalWidth(), h = Obj->TotalHeight();
    if (Obj->Floating == aLeft) {
        P.IMgr->AlignLeft(y, w, Used);
        const TIndentRec* rec = P.IMgr->AddLeft(y, y + h, w);
        Obj->Indent = rec->X + Obj->HSpaceL - w;
    } else {
        P.IMgr->AlignRight(y, w, Used);
        const TIndentRec* rec = P.IMgr->AddRight(y, y + h, w);
        Obj->Indent = rec->X + Obj->HSpaceL;
    }
    Obj->DrawYY = y + Obj->VSpaceT;
    P.FloatPlaced = true;
    P.LastFloatY = y;
    P.Marker = Pos;
    P.NewFloats.push_back(Obj);
}

int32_t TSection::FitLine(LinePass& P, int32_t Remaining) {
    TIndentManager* im = P.IMgr;
    const int leftBefore = im->L.Count(), rightBefore = im->R.Count();
    P.NewFloats.clear();
    // A forced break ends the line (one at its start is a line of its own).
    if (P.NextBreak < P.LineStart) {
        const size_t at = BuffS.find(BrkCh, size_t(P.LineStart));
        P.NextBreak = at == std::u16string::npos ? Len : int32_t(at);
    }
    int32_t rest = Remaining;
    bool cut = false;
    if (P.NextBreak < P.LineStart + Remaining) {
        rest = P.NextBreak - P.LineStart;
        cut = true;
    }
    const bool firstLine = P.LineStart == 0;
    auto leftAt = [&] { return im->LeftIndent(P.Y) + (firstLine ? FirstLineIndent : 0); };
    int32_t width = im->RightSide(P.Y) - leftAt();

    if (firstLine && Images.Empty() && FormControls.Empty() && Fonts.Count() == 1) {
        // A single-font first line whose worst case already fits needs no measuring.
        const TFontObj* f = Fonts.GetFont(0);
        const int64_t widest = f->tmMaxCharWidth + std::max(0, f->TheFont->CharExtra);
        if (f->tmMaxCharWidth > 0 && int64_t(width) >= int64_t(rest) * widest) return rest + (cut ? 1 : 0);
    }

    int32_t count = 0, used = 0, textHeight = 0;
    int counter = -1;
    int32_t i = P.LineStart;
    const int32_t end = P.LineStart + rest;
    while (i < end) {
        if (isObjectChar(BuffS[size_t(i)])) {
            TFloatingObj* o = ObjectAt(i);
            if (floats(o)) {
                if (i > P.Marker) {
                    PlaceFloat(P, o, i, used);
                    width = im->RightSide(P.Y) - leftAt();
                    ++counter;
                    if (count >= counter) {
                        // The line is measured again in the width the float left.
                        i = P.LineStart;
                        count = used = textHeight = 0;
                        P.ObjHeight = 0;
                        continue;
                    }
                }
                ++count;
                ++i;
                continue;
            }
            if (o) {
                used += o->TotalWidth();
                P.ObjHeight = std::max(P.ObjHeight, o->TotalHeight());
                if (used > width) break;
            }
            ++count;
            ++i;
            continue;
        }
        TFontObj* fo = nullptr;
        const int32_t inRun = Fonts.GetFontObjAt(i, Len, fo);
        const int32_t stop = std::min(end, i + std::max(inRun, 1));
        int32_t j = i + 1;
        while (j < stop && !isObjectChar(BuffS[size_t(j)])) ++j;
        const int32_t n = j - i;
        TSize ext;
        int32_t fit = TextExtentFits(fontOn(P.Canvas, fo), std::u16string_view(BuffS).substr(size_t(i), size_t(n)), ext,
                                     width - used);
        textHeight = std::max(textHeight, ext.cy);
        if (fit > 0 && BrkAt(i + fit - 1) == twSoft && used + ext.cx + DashWidth(P.Canvas, i + fit - 1) > width)
            --fit;  // the hyphen drawn at a soft break must fit too
        count += fit;
        if (fit < n || fit == 0) break;
        used += ext.cx;
        i = j;
    }
    const int32_t result = count + (cut && count == rest ? 1 : 0);

    // Floats placed in the middle of the line go below it.
    const int32_t height = std::max(textHeight, P.ObjHeight);
    im->AdjustY(leftBefore, rightBefore, P.Y, height);
    auto shiftFloats = [&](auto&& List, int Count) {
        int32_t shift = 0;
        for (int k = 0; k < Count; ++k) {
            TFloatingObj* o = List(k);
            if (std::find(P.NewFloats.begin(), P.NewFloats.end(), o) == P.NewFloats.end()) continue;
            const int32_t top = o->DrawYY - o->VSpaceT;
            if (top > P.Y) {
                if (top < P.Y + height) shift = P.Y + height - top;
                o->DrawYY += shift;
            }
            P.Lowest = std::max(P.Lowest, o->DrawYY - o->VSpaceT + o->TotalHeight());
        }
    };
    if (!P.NewFloats.empty()) {
        shiftFloats([this](int k) { return Images.Items(k); }, Images.Count());
        shiftFloats([this](int k) -> TFloatingObj* { return FormControls.GetItem(k); }, FormControls.Count());
    }
    return result;
}

int32_t TSection::ChooseBreak(LinePass& P, int32_t NN) {
    const int32_t p = P.LineStart + NN - 1, p1 = p + 1;
    const char16_t c = BuffS[size_t(p)], c1 = BuffS[size_t(p1)];
    if (((c == u' ' || isObjectChar(c) || IsWideChar(c)) && BrkAt(p) != twNo) || c == BrkCh)
        return SkipSpaces(p1) - P.LineStart;
    if (c1 == u' ' && BrkAt(p1) != twNo) return SkipSpaces(p1) - P.LineStart;
    if (isObjectChar(c1) && BrkAt(p) != twNo) return NN;
    // Back towards the line start for a place to break.
    for (int32_t k = p; k >= P.LineStart; --k) {
        const ThtTextWrap b = BrkAt(k);
        if (b == twNo) continue;
        const bool here = b == twSoft || b == twOptional || CanBreakAt(BuffS[size_t(k)]) ||
                          (k + 1 < Len && IsWideChar(BuffS[size_t(k + 1)]));
        if (!here) continue;
        if (k > P.LineStart || isObjectChar(BuffS[size_t(k)])) return SkipSpaces(k + 1) - P.LineStart;
        break;
    }
    if (BreakWord) return NN;  // the word is cut where it stops fitting
    // A word longer than the line: lower down past the floats, or whole.
    int32_t e = p1;
    while (e < Len) {
        const char16_t ch = BuffS[size_t(e)];
        const ThtTextWrap b = BrkAt(e);
        if (IsHyphenLike(ch) || b == twSoft || b == twOptional) {
            ++e;
            break;
        }
        if ((isObjectChar(ch) || ch == BrkCh || ch == u' ' || IsWideChar(ch)) && b != twNo) break;
        ++e;
    }
    e = SkipSpaces(e);
    if (e < Len && BuffS[size_t(e)] == BrkCh) ++e;
    if (const int32_t wider = P.IMgr->GetNextWiderY(P.Y); wider > P.Y) {
        AddSpacer(P, wider - P.Y);
        return 0;
    }
    TSize size;
    FindTextSize(P.Canvas, P.LineStart, e - P.LineStart, true, size);
    P.MaxWidth = std::max(P.MaxWidth, size.cx);
    return e - P.LineStart;
}

void TSection::CompleteLine(LinePass& P, int32_t NN) {
    const int32_t s = P.LineStart, e = s + NN;
    const bool firstLine = s == 0;
    bool objectsOnly = !(NN == 1 && BuffS[size_t(s)] == BrkCh);
    for (int32_t k = s; k < e && objectsOnly; ++k) {
        const char16_t c = BuffS[size_t(k)];
        objectsOnly = isObjectChar(c) || c == BrkCh || (k == Len - 1 && c == u' ');
    }
    int32_t lineHt = 0, descent = 0, before = 0, after = 0;
    if (!objectsOnly) {
        while (P.RunCursor + 1 < Fonts.Count() && Fonts.GetFont(P.RunCursor + 1)->Pos <= s) ++P.RunCursor;
        for (int r = P.RunCursor; r < Fonts.Count(); ++r) {
            const TFontObj* run = Fonts.GetFont(r);
            if (run->Pos >= e) break;
            const int32_t next = r + 1 < Fonts.Count() ? Fonts.GetFont(r + 1)->Pos : Len;
            if (next <= run->Pos || next <= s) continue;  // no character of the line
            int32_t d = 0;
            lineHt = std::max(lineHt, run->GetHeight(d));
            descent = std::max(descent, d);
        }
        if (lineHt < LineHeight) {
            before = LineHeight - lineHt;  // the extra space goes above the text
        } else if (LineHeight >= 0) {
            // A line-height below the font's: half of the difference above, the rest below.
            before = (LineHeight - lineHt) / 2;
            after = (LineHeight - lineHt) - before;
        }
    }
    // Inline objects of the line and their vertical alignment.
    for (int i = 0; i < Images.Count(); ++i) {
        TFloatingObj* o = Images.Items(i);
        if (o->StartCurs < s || o->StartCurs >= e || floats(o)) continue;
        o->DrawYY = P.Y;
        if (auto* image = dynamic_cast<TImageObj*>(o); image && image->MyFormControl)
            image->MyFormControl->DrawYY = P.Y;
        const int32_t h = o->TotalHeight();
        switch (o->VertAlign) {
        case aTop: after = std::max(after, h - lineHt); break;
        case aMiddle: {
            if (lineHt == 0) {
                if (const TFontObj* fo = Fonts.GetFontObjAt(o->StartCurs)) lineHt = fo->GetHeight(descent);
            }
            const int32_t b = (h - lineHt) / 2;
            after = std::max(after, b);
            before = std::max(before, h - lineHt - b);
            break;
        }
        case aBaseline:
        case aBottom: before = std::max(before, h + descent - lineHt); break;
        default: break;
        }
    }
    for (int i = 0; i < FormControls.Count(); ++i) {
        TFormControlObjBase* o = FormControls.GetItem(i);
        if (o->StartCurs < s || o->StartCurs >= e || floats(o)) continue;
        const int32_t h = o->TotalHeight();
        switch (o->VertAlign) {
        case aTop: after = std::max(after, h - lineHt); break;
        case aMiddle: {
            const int32_t b = (o->ClientHeight() - lineHt) / 2;
            after = std::max(after, b + o->VSpaceB);
            before = std::max(before, o->ClientHeight() + o->VSpaceT - lineHt - b);
            break;
        }
        case aBaseline: before = std::max(before, h + descent - lineHt); break;
        case aBottom: before = std::max(before, h - lineHt); break;
        default: break;
        }
        if (!IsCopy()) o->DrawYY = P.Y;
    }

    auto line = std::make_unique<ThtLineRec>(this);
    line->Start = s;
    line->LineHt = lineHt;
    line->Ln = NN;
    line->Descent = descent;
    line->Shy = BrkAt(e - 1) == twSoft;
    const int32_t left = P.IMgr->LeftIndent(P.Y) + (firstLine ? FirstLineIndent : 0);
    const int32_t right = P.IMgr->RightSide(P.Y);
    TSize size;
    FindTextSize(P.Canvas, s, NN, true, size);
    int32_t w = size.cx;
    if (line->Shy) w += DashWidth(P.Canvas, e - 1);
    TextWidth = std::max(TextWidth, w);
    // A line longer than its room starts at the left, whatever the
    // alignment, so that its start stays in view.
    const bool overflows = w > right - left;
    switch (Justify) {
    case ThtJustify::Centered: line->LineIndent = overflows ? left - P.X : (left + right - w) / 2 - P.X; break;
    case ThtJustify::Right: line->LineIndent = overflows ? left - P.X : right - P.X - w; break;
    case ThtJustify::FullJustify:
        line->LineIndent = left - P.X;
        if (e < Len && !overflows) {
            line->Extra = right - left - w;
            for (int32_t k = s; k < e - 1; ++k)
                if (BuffS[size_t(k)] == u' ' || BuffS[size_t(k)] == 0x00A0) ++line->Spaces;
        }
        break;
    default: line->LineIndent = left - P.X; break;
    }
    line->DrawWidth = right - left;
    line->SpaceBefore += before;
    line->SpaceAfter = after;
    line->LineImgHt = std::max(lineHt + after + before, P.ObjHeight);
    SectionHeight += lineHt + after + line->SpaceBefore;
    P.Y += lineHt + after + before;
    Lines.Add(std::move(line));
    P.LineStart = e;
}
