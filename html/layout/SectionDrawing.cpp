// Text sections drawn: culling and print page breaks, every line with its
// font runs, selection, sub- and superscripts, full justification and soft
// hyphens, the borders of inline boxes, the objects that sit in the text,
// the dummy caret and link marks.
#include <algorithm>
#include <string>
#include <vector>

#include "html/layout/Blocks.h"
#include "html/layout/ControlObjs.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Sections.h"
#include "html/text/Fonts.h"

namespace {

bool isObjectChar(char16_t C) { return C == ImgPan || C == FmCtl; }

bool floats(const TFloatingObj* O) { return O && (O->Floating == aLeft || O->Floating == aRight); }

// The characters a justified line spreads its extra over.
bool isJustifySpace(char16_t C) { return C == u' ' || C == 0x00A0; }

// Light colours print as this palette-relative grey without table backgrounds.
constexpr TColor PrintGrey = TColor(0x02A0A0A0);

// A box's edge that no chunk has set yet.
constexpr int32_t Unset = NotPlaced;

int32_t superSubShift(const TFontObj* FO) {
    if (!FO) return 0;
    if (FO->SScript == aSuper) return -(FO->FontHeight / 3);
    if (FO->SScript == aSub) return FO->Descent / 2 + 1;
    return 0;
}

void growRect(TRect& R, const TRect& By) {
    if (R.Left == NotPlaced || R.Top == NotPlaced) {
        R = By;
        return;
    }
    R.Left = std::min(R.Left, By.Left);
    R.Top = std::min(R.Top, By.Top);
    R.Right = std::max(R.Right, By.Right);
    R.Bottom = std::max(R.Bottom, By.Bottom);
}

}  // namespace

struct TSection::LinePaint {
    TCanvas* Canvas = nullptr;
    ThtDocument* Doc = nullptr;
    TIndentManager* IMgr = nullptr;
    int32_t X = 0;
    int32_t YOff = 0;
    int32_t MySelB = 0, MySelE = 0;
    bool Selecting = false;   // a non-empty selection is highlighted
    bool DummyCaret = false;  // the caret is drawn at MySelB
    bool Printing = false;
    bool NoOutput = false;
    bool Clipped = false;  // pre and nowrap text is clipped to the room of the block
    bool MonoBlack = false;
    bool GreyLight = false;
    bool LastLine = false;
    std::vector<int32_t> Adv;

    // A colour as it goes to the device: themed, then the print rules.
    TColor Colour(TColor C) const {
        TColor c = DocumentThemedColor(Doc, C, seFont);
        if (MonoBlack) return (uint32_t(c) & 0xFFFFFF) == 0xFFFFFF ? c : clBlack;
        if (GreyLight && (uint32_t(c) & 0xE0E0) == 0xE0E0) return PrintGrey;
        return c;
    }
};

bool TSection::LineJustified(const ThtLineRec& Line) const {
    const bool hide = FOwnerBlock && FOwnerBlock->HideOverflow;
    const bool keeps = WhiteSpaceStyle == wsNoWrap || WhiteSpaceStyle == wsPre || WhiteSpaceStyle == wsPreLine;
    // A line without spaces, or one wider than its room (a negative extra),
    // is drawn as it stands.
    return (!keeps || hide) && Line.Spaces > 0 && Line.Extra > 0;
}

void TSection::LineAdvances(TCanvas* Canvas, const ThtLineRec& Line, std::vector<int32_t>& Adv) {
    const int32_t s = std::clamp(Line.Start, 0, Len);
    const int32_t e = std::clamp(Line.Start + Line.Ln, s, Len);
    Adv.assign(size_t(e - s), 0);
    std::vector<int> partial;
    int32_t i = s;
    while (i < e) {
        const char16_t c = BuffS[size_t(i)];
        if (isObjectChar(c)) {
            if (TFloatingObj* o = ObjectAt(i); o && !floats(o)) Adv[size_t(i - s)] = o->TotalWidth();
            ++i;
            continue;
        }
        if (c == BrkCh) {
            ++i;
            continue;
        }
        TFontObj* fo = nullptr;
        const int32_t inRun = Fonts.GetFontObjAt(i, Len, fo);
        const int32_t stop = std::min(e, i + std::max(inRun, 1));
        int32_t j = i + 1;
        while (j < stop && !isObjectChar(BuffS[size_t(j)]) && BuffS[size_t(j)] != BrkCh) ++j;
        if (Canvas) {
            if (fo && fo->TheFont) fo->TheFont->AssignToCanvas(Canvas);
            if (TDeviceContext* dc = Canvas->Handle()) {
                // Measured plainly: the spread is ours, below.
                dc->SetTextJustification(0, 0);
                TSize size;
                dc->GetTextExtentExPoint(std::u16string_view(BuffS).substr(size_t(i), size_t(j - i)), 0, nullptr,
                                         &partial, size);
                int prev = 0;
                for (int32_t k = 0; k < j - i && size_t(k) < partial.size(); ++k) {
                    Adv[size_t(i - s + k)] = partial[size_t(k)] - prev;
                    prev = partial[size_t(k)];
                }
            }
        }
        i = j;
    }
    if (!LineJustified(Line)) return;
    // Each space takes its share rounded up, so the last one takes what
    // remains and the line ends at its right edge; an image in the text
    // ends the spread.
    int32_t extra = Line.Extra, breaks = Line.Spaces;
    for (int32_t k = s; k < e - 1 && breaks > 0; ++k) {
        const char16_t c = BuffS[size_t(k)];
        if (c == ImgPan) {
            TFloatingObj* o = ObjectAt(k);
            if (o && !floats(o) && dynamic_cast<TImageObj*>(o)) break;
        }
        if (!isJustifySpace(c)) continue;
        const int32_t share = (extra + breaks - 1) / breaks;
        Adv[size_t(k - s)] += share;
        extra -= share;
        --breaks;
    }
}

void TSection::BuildBorderList(ThtLineRec& Line) {
    Line.BorderList.reset();
    ThtDocument* doc = FDocument;
    if (!doc || !doc->InlineList || Line.Ln <= 0) return;
    TInlineList& boxes = *doc->InlineList;
    const int32_t lineStart = StartCurs + Line.Start, lineEnd = lineStart + Line.Ln;
    for (int i = 0; i < boxes.Count(); ++i) {
        const int32_t startB = boxes.GetStartB(i), endB = boxes.GetEndB(i);
        if (startB >= lineEnd || endB <= lineStart) continue;
        auto rec = std::make_unique<ThtBorderRec>();
        rec->MargArray = boxes.Items(i)->MargArray;
        rec->OpenStart = startB < lineStart;
        rec->BStart = rec->OpenStart ? Line.Start : startB - StartCurs;
        rec->OpenEnd = endB > lineEnd;
        rec->BEnd = rec->OpenEnd ? Line.Start + Line.Ln : endB - StartCurs;
        rec->BRect = TRect{Unset, Unset, Unset, Unset};
        if (!Line.BorderList) Line.BorderList = std::make_unique<TFreeList<ThtBorderRec>>(true);
        Line.BorderList->Add(std::move(rec));
    }
}

void TSection::ObjectBox(const TFloatingObj* Obj, const ThtLineRec& Line, const TFontObj* FO, int32_t Y, int32_t& Top,
                         int32_t& Bottom) const {
    const int32_t h = Obj->ClientHeight();
    if (const auto* fc = dynamic_cast<const TFormControlObjBase*>(Obj)) {
        switch (fc->VertAlign) {
        case aNone:
        case aTop: Top = Line.DrawY + fc->VSpaceT; break;
        case aMiddle: Top = Y - (h + Line.LineHt) / 2; break;
        case aBaseline: Top = Y - h - fc->VSpaceB - Line.Descent; break;
        case aBottom: Top = Y - h - fc->VSpaceB; break;
        default: Top = Y; break;
        }
        if (fc->Kind() == ThtFormControlKind::Radio) Top += 2;
        else if (fc->Kind() == ThtFormControlKind::CheckBox) Top += 1;
    } else if (dynamic_cast<const TImageObj*>(Obj)) {
        // Where the image draws itself in the line.
        const int32_t baseline = Y - Line.Descent;
        const int32_t descent = FO ? FO->Descent : 0, tmHeight = FO ? FO->tmHeight : 0;
        switch (Obj->VertAlign) {
        case aMiddle: Top = baseline + descent - tmHeight / 2 - (h + Obj->VSpaceB - Obj->VSpaceT) / 2; break;
        case aBaseline:
        case aBottom: Top = baseline - h - Obj->VSpaceB; break;
        default: Top = Line.DrawY + Obj->VSpaceT; break;
        }
    } else {
        const int32_t tmHeight = FO ? FO->tmHeight : 0;
        switch (Obj->VertAlign) {
        case aNone:
        case aTop: Top = Y + Obj->VSpaceT - Line.LineHt; break;
        case aMiddle: Top = Y - tmHeight / 2 - (h + Obj->VSpaceB - Obj->VSpaceT) / 2; break;
        case aBaseline:
        case aBottom: Top = Y - Line.Descent - h - Obj->VSpaceB; break;
        default: Top = 0; break;
        }
    }
    Bottom = Top + h;
}

int32_t TSection::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t, int32_t) {
    const int32_t result = YDraw + SectionHeight;
    ThtDocument* doc = FDocument;
    const int64_t yOff = doc ? doc->YOff : 0;
    if (Len <= 0 || !Canvas) return result;
    // Well outside the clip rectangle nothing is drawn.
    if (int64_t(YDraw) + DrawHeight - yOff + 40 < ARect.Top || int64_t(YDraw) - yOff - 40 >= ARect.Bottom)
        return result;
    TDeviceContext* dc = Canvas->Handle();
    if (!dc) return result;
    const uint32_t oldAlign = dc->SetTextAlign(TA_BASELINE);

    LinePaint P;
    P.Canvas = Canvas;
    P.Doc = doc;
    P.IMgr = IMgr;
    P.X = X;
    P.YOff = int32_t(yOff);
    P.MySelB = doc ? doc->SelB - StartCurs : 0;
    P.MySelE = doc ? doc->SelE - StartCurs : 0;
    P.Selecting = doc && !IsCopy() && P.MySelB < P.MySelE;
    P.DummyCaret = doc && doc->ShowDummyCaret && !IsCopy();
    P.Printing = doc && doc->Printing;
    P.NoOutput = doc && doc->NoOutput;
    const bool hide = FOwnerBlock && FOwnerBlock->HideOverflow;
    P.Clipped =
        !hide && IMgr && (WhiteSpaceStyle == wsNoWrap || WhiteSpaceStyle == wsPre || WhiteSpaceStyle == wsPreLine);
    if (P.Printing) {
        // Only a device that really has two colours turns everything black
        // (true-colour devices report no colour count at all).
        P.MonoBlack = doc->PrintMonoBlack && dc->IsMonochrome();
        P.GreyLight = !doc->PrintTableBackground;
    }
    const TStyleElements styleElements = doc ? doc->FStyleElements : AllStyleElements;
    const bool absolute = FOwnerBlock && FOwnerBlock->Positioning == posAbsolute;

    int32_t Y = YDraw;
    for (int li = 0; li < Lines.Count(); ++li) {
        ThtLineRec& line = *Lines.Items(li);
        const int32_t h = line.SpaceBefore + line.LineHt + line.SpaceAfter;
        if (!P.Printing) {
            if (int64_t(Y) - yOff + line.LineImgHt + 40 < ARect.Top || int64_t(Y) - yOff - 40 >= ARect.Bottom) {
                Y += h;
                continue;
            }
        } else {
            // A line that would cross the page bottom waits for the next
            // page, unless it is taller than a page.
            if (Y + line.LineImgHt > doc->PageBottom && line.LineImgHt < ARect.Height() && !doc->PageShortened &&
                !absolute) {
                if (Y < doc->PageBottom) doc->PageBottom = Y;
                continue;
            }
            if (int64_t(ARect.Top) >= int64_t(Y) + line.LineImgHt - yOff - 1) {
                Y += h;
                continue;
            }
        }
        Y += line.LineHt + line.SpaceBefore;
        P.LastLine = li == Lines.Count() - 1;
        if (line.FirstDraw) {
            BuildBorderList(line);
            if (line.BorderList && !line.BorderList->Empty()) {
                DrawLineContent(P, line, Y, true);
                line.FirstX = X;
            }
        }
        line.FirstDraw = false;
        if (line.BorderList && !P.NoOutput)
            for (int b = 0; b < line.BorderList->Count(); ++b)
                line.BorderList->Items(b)->DrawTheBorder(Canvas, X - line.FirstX, P.YOff, styleElements);
        DrawLineContent(P, line, Y, false);
        Y += line.SpaceAfter;
        if (doc) doc->FirstPageItem = false;
    }
    if ((dc = Canvas->Handle())) {
        dc->SetTextJustification(0, 0);
        dc->SetTextAlign(oldAlign);
    }
    return result;
}

void TSection::DrawLineContent(LinePaint& P, ThtLineRec& Line, int32_t Y, bool Measure) {
    TCanvas* canvas = P.Canvas;
    ThtDocument* doc = P.Doc;
    const int32_t yOff = P.YOff;
    const int32_t lfEdge = P.IMgr ? P.IMgr->LfEdge : 0;
    int32_t XX = P.X + Line.LineIndent;
    Line.DrawXX = XX;
    Line.DrawY = Y - Line.LineHt;
    if (!Measure)
        growRect(DrawRect, TRect{XX, Line.DrawY - yOff, XX + Line.DrawWidth, Line.DrawY - yOff + Line.LineHt});

    LineAdvances(canvas, Line, P.Adv);
    const int32_t s = std::clamp(Line.Start, 0, Len), e = s + int32_t(P.Adv.size());
    // The line's final space or forced break is not drawn.
    int32_t textEnd = e;
    if (textEnd > s && (BuffS[size_t(textEnd - 1)] == u' ' || BuffS[size_t(textEnd - 1)] == BrkCh)) --textEnd;
    TFreeList<ThtBorderRec>* boxes = Line.BorderList.get();

    // Where the next chunk must end: selection edges, the caret, box edges.
    auto nextBoundary = [&](int32_t From, int32_t Limit) {
        int32_t b = Limit;
        auto take = [&](int32_t V) {
            if (V > From && V < b) b = V;
        };
        if (P.Selecting) {
            take(P.MySelB);
            take(P.MySelE);
        }
        if (P.DummyCaret) take(P.MySelB);
        if (boxes)
            for (int k = 0; k < boxes->Count(); ++k) {
                take(boxes->Items(k)->BStart);
                take(boxes->Items(k)->BEnd);
            }
        return b;
    };
    // The measuring pass: what an item at Pos, starting at x Left and
    // reaching from Top to Bottom (document Y), makes of the boxes.
    auto measureItem = [&](int32_t Pos, int32_t Left, int32_t Top, int32_t Bottom, bool IsObject, int32_t ObjWidth) {
        if (!Measure || !boxes) return;
        for (int k = 0; k < boxes->Count(); ++k) {
            ThtBorderRec& r = *boxes->Items(k);
            if (Pos == r.BEnd && r.BRect.Right == Unset) r.BRect.Right = Left;
            if (Pos < r.BStart || Pos >= r.BEnd) continue;
            if (r.BRect.Left == Unset) r.BRect.Left = Left;
            if (r.BRect.Top == Unset) {
                r.BRect.Top = Top;
                r.BRect.Bottom = Bottom;
            } else {
                r.BRect.Top = std::min(r.BRect.Top, Top);
                r.BRect.Bottom = std::max(r.BRect.Bottom, Bottom);
            }
            // A box that holds only this object ends at its right edge.
            if (IsObject && Pos == r.BStart && r.BEnd == Pos + 1) r.BRect.Right = Left + ObjWidth;
        }
    };

    TFontObj* lastFO = nullptr;
    int32_t i = s;
    while (i < e) {
        const char16_t c = BuffS[size_t(i)];
        if (isObjectChar(c)) {
            TFloatingObj* o = ObjectAt(i);
            TFontObj* fo = Fonts.GetFontObjAt(i);
            if (o && !floats(o)) {
                auto* fc = dynamic_cast<TFormControlObjBase*>(o);
                if (!(fc && fc->Hidden())) {
                    int32_t top = 0, bottom = 0;
                    ObjectBox(o, Line, fo, Y, top, bottom);
                    const int32_t x = XX + o->HSpaceL;
                    measureItem(i, x, top, bottom, true, o->ClientWidth());
                    if (!Measure && !P.NoOutput) {
                        if (auto* img = dynamic_cast<TImageObj*>(o)) {
                            if (FOwnerBlock) img->Positioning = FOwnerBlock->Positioning;
                            img->DrawInline(canvas, x, Line.DrawY, Y - Line.Descent, fo);
                        } else {
                            if (auto* panel = dynamic_cast<TControlObj*>(o)) panel->ShowIt = true;
                            if (fc) fc->ShowIt = true;
                            o->DrawInline(canvas, x, top - yOff, Y - Line.Descent - yOff, fo);
                        }
                        // Objects leave the text alignment as they like.
                        if (TDeviceContext* dc = canvas->Handle()) dc->SetTextAlign(TA_BASELINE);
                    }
                }
            } else if (o && !Measure && !P.NoOutput) {
                const int32_t x = lfEdge + o->Indent;
                if (auto* img = dynamic_cast<TImageObj*>(o)) {
                    // Floating images are drawn after the whole page.
                    if (doc) doc->DrawList.AddImage(img, canvas, x, img->DrawYY, Y - Line.Descent, fo);
                } else {
                    auto* fc = dynamic_cast<TFormControlObjBase*>(o);
                    if (!(fc && fc->Hidden())) {
                        if (auto* panel = dynamic_cast<TControlObj*>(o)) panel->ShowIt = true;
                        if (fc) fc->ShowIt = true;
                        o->DrawInline(canvas, x, o->DrawYY - yOff, Y - Line.Descent - yOff, fo);
                        if (TDeviceContext* dc = canvas->Handle()) dc->SetTextAlign(TA_BASELINE);
                    }
                }
            }
            XX += P.Adv[size_t(i - s)];
            ++i;
            continue;
        }
        if (c == BrkCh) {
            ++i;
            continue;
        }

        TFontObj* fo = nullptr;
        const int32_t inRun = Fonts.GetFontObjAt(i, Len, fo);
        int32_t j = std::min(e, i + std::max(inRun, 1));
        for (int32_t k = i + 1; k < j; ++k)
            if (isObjectChar(BuffS[size_t(k)]) || BuffS[size_t(k)] == BrkCh) {
                j = k;
                break;
            }
        j = nextBoundary(i, j);
        lastFO = fo;

        const int32_t drawEnd = std::min(j, textEnd);
        const bool selected = P.Selecting && i >= P.MySelB && j <= P.MySelE;
        const int32_t shift = superSubShift(fo);
        const int32_t baseline = Y + shift - Line.Descent;  // document Y
        std::u16string text = BuffS.substr(size_t(i), size_t(std::max(drawEnd - i, 0)));
        std::vector<int> dx(P.Adv.begin() + (i - s), P.Adv.begin() + (i - s) + std::ptrdiff_t(text.size()));
        if (fo && fo->TheFont) fo->TheFont->AssignToCanvas(canvas);
        if (j == e && Line.Shy) {
            // The hyphen of the soft break, drawn with the line's last characters.
            TDeviceContext* dc = canvas->Handle();
            text += u'-';
            dx.push_back(dc ? dc->GetTextExtentPoint(u"-").cx : 0);
        }
        int32_t width = 0;
        for (int a : dx) width += a;
        const int32_t chunkEnd = XX + width;
        if (fo) {
            const int32_t top = baseline + fo->Descent - fo->FontHeight + 1, bottom = baseline + fo->Descent;
            measureItem(i, XX, top, bottom, false, 0);
        }

        if (!Measure && fo && fo->TheFont) {
            const TColor colour = P.Colour(fo->TheFont->Color());
            const TColor background = fo->TheFont->bgColor == clNone ? clNone : P.Colour(fo->TheFont->bgColor);
            if (!P.NoOutput) {
                TBrush* brush = canvas->Brush();
                if (selected) {
                    brush->SetColor(colour);
                    brush->SetStyle(bsSolid);
                    canvas->Font()->SetColor(background != clNone ? background : TColor(uint32_t(colour) ^ 0xFFFFFF));
                } else if (background != clNone) {
                    brush->SetColor(background);
                    brush->SetStyle(bsSolid);
                    canvas->Font()->SetColor(colour);
                } else {
                    brush->SetStyle(bsClear);
                    canvas->Font()->SetColor(colour);
                }
                TDeviceContext* dc = canvas->Handle();
                if (dc && !text.empty()) {
                    if (P.Clipped) {
                        const TRect clip{lfEdge, Y - Line.LineHt - Line.SpaceBefore - yOff, P.X + P.IMgr->ClipWidth,
                                         Y + 1 - yOff};
                        dc->ExtTextOut(XX, baseline - yOff, ETO_CLIPPED, &clip, text, dx.data());
                    } else {
                        dc->ExtTextOut(XX, baseline - yOff, 0, nullptr, text, dx.data());
                    }
                    canvas->Changed();
                }
                if (P.DummyCaret && !selected && i == P.MySelB) {
                    canvas->Pen()->SetColor(colour);
                    canvas->Brush()->SetColor(clWhite);
                    canvas->Brush()->SetStyle(bsSolid);
                    const int32_t bottom = baseline - yOff + fo->Descent;
                    canvas->Rectangle(XX, bottom - fo->FontHeight, XX + 1, bottom);
                }
            }
            const bool printedLink = IsCopy() && doc && doc->LinkDrawnEvent && !fo->URL().empty();
            if (doc && (fo->Active || printedLink)) {
                const int32_t bottom = Y + fo->Descent + shift - Line.Descent - yOff;
                const TRect r{XX, bottom - fo->FontHeight, chunkEnd + 1, bottom};
                if (fo->Active && !P.NoOutput && (!doc->TheOwner || doc->TheOwner->ShowFocusRect()))
                    canvas->DrawFocusRect(r);
                if (doc->LinkDrawnEvent)
                    doc->LinkDrawnEvent(doc->Sender(), doc->LinkPage, fo->URL(), fo->UrlTarget->Target, r);
            }
        }
        XX = chunkEnd;
        i = j;
    }

    // The caret after the document's last character.
    if (!Measure && !P.NoOutput && P.DummyCaret && P.LastLine && P.MySelB == Len && doc && doc->SelB == doc->Len) {
        TFontObj* fo = lastFO ? lastFO : Fonts.GetFontObjAt(std::max(Len - 1, 0));
        if (fo && fo->TheFont) {
            const int32_t bottom = Y + superSubShift(fo) - Line.Descent - yOff + fo->Descent;
            canvas->Pen()->SetColor(P.Colour(fo->TheFont->Color()));
            canvas->Brush()->SetColor(clWhite);
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Rectangle(XX, bottom - fo->FontHeight, XX + 1, bottom);
        }
    }

    if (Measure && boxes) {
        for (int k = 0; k < boxes->Count(); ++k) {
            TRect& r = boxes->Items(k)->BRect;
            if (r.Left == Unset) r.Left = Line.DrawXX;
            if (r.Top == Unset) {
                r.Top = Line.DrawY;
                r.Bottom = Line.DrawY + Line.LineHt;
            }
            if (boxes->Items(k)->OpenEnd || r.Right == Unset) r.Right = XX;
            growRect(DrawRect, TRect{r.Left, r.Top - yOff, r.Right, r.Bottom - yOff});
        }
    }
}
