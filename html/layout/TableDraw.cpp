// Drawing a laid-out table: rows in order, each cell with its background
// colour, tiled background picture, content (clipped when it hides
// overflow) and borders; the page-break rules of rows and the repetition of
// header and footer rows when printing; and the hit tests, caret queries and
// searches, which the cells answer.
#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <optional>

#include "html/layout/Borders.h"
#include "html/layout/Document.h"
#include "html/layout/GpImage.h"
#include "html/layout/ImageDrawing.h"
#include "html/layout/Images.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/TableBlocks.h"
#include "html/layout/TableNesting.h"
#include "html/layout/Tables.h"
#include "html/text/ScreenColors.h"
#include "platform/framework/DeviceContext.h"

namespace {

int32_t sat32(int64_t V) { return int32_t(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

TRect box(int64_t L, int64_t T, int64_t R, int64_t B) { return Rect(sat32(L), sat32(T), sat32(R), sat32(B)); }

void shortenPage(ThtDocument* Doc, int64_t V) {
    if (V < Doc->PageBottom) {
        Doc->PageBottom = sat32(V);
        Doc->PageShortened = true;
    }
}

// R (logical units) as a clip region in device units: moved by the window
// origin and, when printing, scaled by the extents and rounded one unit
// outwards on every side.
TRegion deviceRegion(TDeviceContext* DC, const TRect& R, bool Printing) {
    const TPoint org = DC->GetWindowOrg();
    double l = double(R.Left) - org.X, t = double(R.Top) - org.Y;
    double r = double(R.Right) - org.X, b = double(R.Bottom) - org.Y;
    if (Printing) {
        const TSize vp = DC->GetViewportExt(), we = DC->GetWindowExt();
        if (we.cx != 0 && we.cy != 0) {
            const double sx = double(vp.cx) / we.cx, sy = double(vp.cy) / we.cy;
            l = std::trunc(l * sx) - 1;
            t = std::trunc(t * sy) - 1;
            r = std::trunc(r * sx) + 1;
            b = std::trunc(b * sy) + 1;
        }
    }
    auto c = [](double v) { return sat32(int64_t(std::clamp(v, -2.0e9, 2.0e9))); };
    return TRegion::Rect(c(l), c(t), c(r), c(b));
}

ThtBorderStyle borderStyle(int32_t V) { return V >= bssNone && V <= bssDouble ? ThtBorderStyle(V) : bssNone; }

// The owner table block's top and bottom border widths (0 without one).
void ownerBorders(const THtmlTable& Table, int32_t& TopB, int32_t& BotB) {
    const auto* block = dynamic_cast<const TTableBlock*>(Table.OwnerBlock());
    TopB = block ? std::max(0, block->MargArray[BorderTopWidth]) : 0;
    BotB = block ? std::max(0, block->MargArray[BorderBottomWidth]) : 0;
}

// Visits the real cells, rows top to bottom and slots left to right (or
// both backwards); F answers true to stop. Answers whether it stopped.
template <class F> bool forEachCell(const TRowList& Rows, bool Backward, F f) {
    const int n = Rows.Count();
    for (int k = 0; k < n; ++k) {
        const TCellList* row = Rows.Items(Backward ? n - 1 - k : k);
        if (!row) continue;
        const int m = row->Count();
        for (int j = 0; j < m; ++j) {
            auto* cell = dynamic_cast<TCellObj*>(row->Items(Backward ? m - 1 - j : j));
            if (cell && cell->FCell && f(*cell)) return true;
        }
    }
    return false;
}

}  // namespace

// ---- cells

void TCellObj::DrawCell(TCanvas* Canvas, const TRect& ARect, int32_t X, int32_t Y, int32_t CellSpacingHorz,
                        int32_t CellSpacingVert, bool Border, TColor, TColor) {
    if (!FCell || !Canvas) return;
    ThtDocument* doc = FCell->Document();
    const int64_t top = int64_t(Y) - (doc ? doc->YOff : 0);
    const TRect outer = box(int64_t(X) + CellSpacingHorz, top + CellSpacingVert, int64_t(X) + FWd, top + FHt);
    FCell->MyRect = outer;
    if (outer.Top >= ARect.Bottom) return;
    const bool printing = doc && doc->Printing;
    const bool copy = doc && doc->IsCopy;
    const TRect inner = box(int64_t(outer.Left) + FBrd.Left, int64_t(outer.Top) + FBrd.Top,
                            int64_t(outer.Right) - FBrd.Right, int64_t(outer.Bottom) - FBrd.Bottom);

    // The tiled background is made once, when its picture is there.
    if (NeedDoImageStuff) {
        ThtImage* image = BGImage ? BGImage->Image() : nullptr;
        if (!BGImage) {
            NeedDoImageStuff = false;
        } else if (image && image != &PendingImage()) {
            NeedDoImageStuff = false;
            if (image == &BrokenImage()) {
                BGImage.reset();
            } else {
                try {
                    BuildTiledBackground(Canvas, sat32(int64_t(FWd) - CellSpacingHorz),
                                         sat32(int64_t(FHt) - CellSpacingVert), *image, FPRec, Tiled);
                } catch (const std::exception&) {
                    BGImage.reset();
                    Tiled = ThtTiledBackground{};
                }
            }
        }
    }

    // The band of the padding box that lies in the clip rectangle.
    const int64_t visTop = std::max<int64_t>(inner.Top, int64_t(ARect.Top) - 2);
    const int64_t visHeight = std::min<int64_t>(int64_t(inner.Bottom) - visTop, int64_t(ARect.Bottom) - visTop);
    const int64_t imgOffset = std::max<int64_t>(0, int64_t(ARect.Top) - inner.Top - 2);
    const bool imageReady =
        BGImage && !NeedDoImageStuff && (Tiled.Bitmap || Tiled.GpBitmap) && (!doc || doc->ShowImages);
    if (visHeight > 0 && inner.Right > inner.Left) {
        try {
            const TRect band = box(inner.Left, visTop, inner.Right, visTop + visHeight);
            const bool hasColor = FCell->BkGnd;
            const bool useTheme = !doc || (doc->StyleElements() & seSet(seClient));
            const TColor color = TColor(uint32_t(ThemedColor(FCell->BkColor, useTheme)) | PalRelative);
            const int w = band.Right - band.Left, h = band.Bottom - band.Top;
            if (hasColor && !(copy && imageReady)) {
                TRect fill = band;
                if (!FHasBorderStyle) {
                    if (FBrd.Left > 0) --fill.Left;
                    if (FBrd.Top > 0) --fill.Top;
                    if (FBrd.Right > 0) ++fill.Right;
                    if (FBrd.Bottom > 0) ++fill.Bottom;
                } else if (Border) {
                    InflateRect(fill, 1, 1);
                }
                Canvas->Brush()->SetColor(color);
                Canvas->Brush()->SetStyle(bsSolid);
                Canvas->FillRect(fill);
            }
            if (imageReady) {
                TDeviceContext* dc = Canvas->Handle();
                const bool masked = !Tiled.GpBitmap && Tiled.Mask && !Tiled.NoMask;
                const int tileW = Tiled.Bitmap ? Tiled.Bitmap->Width() : 0;
                const int tileH = Tiled.Bitmap ? Tiled.Bitmap->Height() : 0;
                const int off = sat32(imgOffset);
                TClipGuard clip(dc);
                dc->IntersectClipRect(band.Left, band.Top, band.Right, band.Bottom);
                if (!copy) {
                    if (Tiled.GpBitmap) DrawGpImagePart(Canvas, *Tiled.GpBitmap, band.Left, band.Top, 0, off, w, h);
                    else if (!masked) dc->BitBlt(band.Left, band.Top, w, h, Tiled.Bitmap.get(), 0, off, SRCCOPY);
                    else
                        dc->StretchDrawMasked(Rect(inner.Left, inner.Top, inner.Left + tileW, inner.Top + tileH),
                                              Tiled.Bitmap.get(), Tiled.Mask.get());
                } else if (!hasColor && masked) {
                    // The whole width of the tile, cut by the band's clip.
                    PrintMaskedBitmap(Canvas, band.Left, band.Top, tileW, h, Tiled.Bitmap.get(), Tiled.Mask.get(), off,
                                      h);
                } else if (!hasColor && Tiled.GpBitmap) {
                    DrawGpImageScaled(Canvas, *Tiled.GpBitmap, inner.Left, inner.Top, doc->ScaleX, doc->ScaleY);
                } else {
                    // Printing: colour and picture composed off-screen, then printed as one.
                    FullBG = std::make_unique<TBitmap>(w, h);
                    TCanvas* bg = FullBG->Canvas();
                    if (hasColor) {
                        bg->Brush()->SetColor(color);
                        bg->Brush()->SetStyle(bsSolid);
                        bg->FillRect(Rect(0, 0, w, h));
                    }
                    if (Tiled.GpBitmap) DrawGpImagePart(bg, *Tiled.GpBitmap, 0, 0, 0, off, w, h);
                    else if (!masked) bg->Handle()->BitBlt(0, 0, w, h, Tiled.Bitmap.get(), 0, off, SRCCOPY);
                    else
                        bg->Handle()->StretchDrawMasked(Rect(0, -off, tileW, tileH - off), Tiled.Bitmap.get(),
                                                        Tiled.Mask.get());
                    FullBG->ReleaseCanvas();
                    PrintBitmapDIB(Canvas, band.Left, band.Top, w, h, FullBG.get());
                }
            }
        } catch (const std::exception&) {
            // A background that cannot be drawn leaves the cell without it.
        }
    }

    // The content, when it lies near the window.
    const bool inRange = int64_t(outer.Top) < int64_t(ARect.Bottom) + 200 && outer.Bottom >= -199;
    if (inRange && FCell->Count() > 0) {
        std::optional<TClipGuard> clip;
        if (FHideOverflow) {
            TDeviceContext* dc = Canvas->Handle();
            clip.emplace(dc);
            TRegion region = deviceRegion(dc, outer, printing);
            if (clip->HadClip()) region.Combine(region, clip->SavedClip(), RGN_AND);
            dc->SelectClipRgn(&region);
        }
        try {
            FCell->Draw(Canvas, ARect, sat32(int64_t(FWd) - FHzSpace - CellSpacingHorz),
                        sat32(int64_t(X) + CellSpacingHorz + FPad.Left + FBrd.Left),
                        sat32(int64_t(Y) + FPad.Top + FBrd.Top + FYIndent), ARect.Left, 0);
        } catch (const std::exception&) {
            // Content that fails to draw leaves the rest of the page drawn.
        }
    }
    FCell->DrawYY = Y;

    if (inRange && (FCell->Count() > 0 || FShowEmptyCells)) {
        try {
            DrawBorder(Canvas, outer, inner,
                       htColors(MargArray[BorderLeftColor], MargArray[BorderTopColor], MargArray[BorderRightColor],
                                MargArray[BorderBottomColor]),
                       htStyles(borderStyle(MargArray[BorderLeftStyle]), borderStyle(MargArray[BorderTopStyle]),
                                borderStyle(MargArray[BorderRightStyle]), borderStyle(MargArray[BorderBottomStyle])),
                       MargArray[BackgroundColor], doc ? doc->StyleElements() : AllStyleElements);
        } catch (const std::exception&) {}
    }
}

// ---- rows

int32_t TCellList::Draw(TCanvas* Canvas, ThtDocument* Document, const TRect& ARect, const TIntArray& Widths, int32_t X,
                        int32_t Y, int32_t YOffset, int32_t CellSpacingHorz, int32_t CellSpacingVert, bool Border,
                        TColor Light, TColor Dark, int32_t) {
    const int64_t result = int64_t(Y) + RowHeight;
    const int32_t half = CellSpacingVert / 2;
    const bool printing = Document && Document->Printing;
    if (printing) {
        const bool belowTop = int64_t(Y) - YOffset > ARect.Top;
        if (BreakBefore && belowTop) {
            shortenPage(Document, int64_t(Y) + half);
            return sat32(result);
        }
        if (KeepIntact && belowTop) {
            if (Document->PageBottom < int64_t(Y) + RowSpanHeight && RowSpanHeight < ARect.Height()) {
                shortenPage(Document, Y);
                return sat32(result);
            }
            if (Document->PageBottom < result && RowHeight < ARect.Height()) {
                shortenPage(Document, int64_t(Y) + half);
                return sat32(result);
            }
        } else if (BreakAfter && result > int64_t(ARect.Top) + YOffset && result + half < Document->PageBottom) {
            Document->PageBottom = sat32(result + half);
            Document->PageShortened = true;
        }
        // A row of 100 pixels or less waits for the next page; a taller one
        // is split.
        if (RowSpanHeight <= 100 && Document->PageBottom < int64_t(Y) + RowSpanHeight) {
            shortenPage(Document, Y);
            return sat32(result);
        }
    }
    const int64_t windowY = int64_t(Y) - YOffset;
    if (windowY + RowSpanHeight < ARect.Top || windowY >= ARect.Bottom || (printing && Y >= Document->PageBottom))
        return sat32(result);
    int64_t x = X;
    for (int i = 0; i < Count(); ++i) {
        if (TCellObjBase* slot = Items(i); slot && slot->FColSpan > 0 && slot->FRowSpan > 0)
            slot->DrawCell(Canvas, ARect, sat32(x), Y, CellSpacingHorz, CellSpacingVert, Border, Light, Dark);
        if (i < int(Widths.size())) x += Widths[size_t(i)];
    }
    return sat32(result);
}

// ---- tables

int32_t THtmlTable::DrawRows(TCanvas* Canvas, const TRect& ARect, int First, int Last, int32_t X, int32_t Y) {
    ThtDocument* doc = Document();
    const int32_t yOff = doc ? doc->YOff : 0;
    int32_t y = Y;
    for (int r = std::max(First, 0); r <= Last && r < Rows.Count(); ++r)
        if (TCellList* row = Rows.Items(r))
            y = row->Draw(Canvas, doc, ARect, Widths, X, y, yOff, CellSpacingHorz, CellSpacingVert, BorderWidth > 0,
                          BorderColorLight, BorderColorDark, r);
    return y;
}

bool THtmlTable::PartsFitPage(const TRect& ARect) const {
    int32_t topB = 0, botB = 0;
    ownerBorders(*this, topB, botB);
    const int64_t spacing = std::max(CellSpacingVert, 1);
    const int64_t head = int64_t(HeaderHeight) + topB;
    const int64_t foot = int64_t(FootHeight) + std::max(2 * CellSpacingVert, CellSpacingVert + 1) + botB;
    // A body row of 100 pixels or less must fit whole between them.
    int64_t tallest = 0;
    const int end = FootStartRow >= 0 ? FootStartRow : Rows.Count();
    for (int r = HeaderRowCount; r < end; ++r)
        if (const TCellList* row = Rows.GetItem(r))
            tallest = std::max<int64_t>(tallest, std::min(row->RowSpanHeight, 101));
    return head + foot + 2 * spacing + 2 * int64_t(botB) + 5 + tallest < ARect.Height();
}

void THtmlTable::DrawPrintedParts(TCanvas* Canvas, const TRect& ARect, int32_t X, int32_t Y) {
    ThtDocument* doc = Document();
    TTablePartRec& rec = *TablePartRec;
    const int last = Rows.Count() - 1;
    int32_t topB = 0, botB = 0;
    ownerBorders(*this, topB, botB);
    const int32_t spacing = std::max(CellSpacingVert, 1);
    auto footPart = [&] {
        rec.TablePart = TTablePart::DoFoot;
        rec.PartStart = sat32(int64_t(Y) + FootOffset);
        rec.PartHeight = sat32(int64_t(FootHeight) + std::max(2 * CellSpacingVert, CellSpacingVert + 1) + botB);
    };
    auto headPart = [&] {
        rec.TablePart = TTablePart::DoHead;
        rec.PartStart = sat32(int64_t(Y) - topB);
        rec.PartHeight = sat32(int64_t(HeaderHeight) + topB);
    };
    auto nextPart = [&] {
        if (FootStartRow >= 0) footPart();
        else headPart();
    };
    const bool restFits = int64_t(Y) + SectionHeight + botB < doc->PageBottom;

    switch (rec.TablePart) {
    case TTablePart::Normal:
        if (int64_t(doc->PageBottom) - Y >= int64_t(SectionHeight) + botB) {
            DrawRows(Canvas, ARect, 0, last, X, Y);
            doc->PrintingTable = nullptr;
            break;
        }
        if (!PartsFitPage(ARect)) {
            // Header and footer leave no room for the body on a page: they
            // are printed once, where they stand, and the body between them
            // breaks over the pages like any rows.
            DrawRows(Canvas, ARect, 0, last, X, Y);
            doc->PrintingTable = nullptr;
            break;
        }
        doc->PrintingTable = this;
        {
            const TCellList* firstBody = Rows.GetItem(HeaderRowCount);
            const int64_t rh = int64_t(firstBody ? firstBody->RowHeight : 0) + HeaderHeight + FootHeight;
            if (int64_t(Y) - doc->YOff > ARect.Top && int64_t(Y) + rh > doc->PageBottom && rh < ARect.Height()) {
                // The table starts on the next page.
                shortenPage(doc, int64_t(Y) + CellSpacingVert / 2);
                break;
            }
        }
        doc->PageBottom = sat32(int64_t(doc->PageBottom) - FootHeight - CellSpacingVert - botB - 5);
        DrawRows(Canvas, ARect, 0, last, X, Y);
        BodyBreak = doc->PageBottom;
        nextPart();
        break;
    case TTablePart::DoHead:
        DrawRows(Canvas, ARect, 0, HeaderRowCount - 1, X, Y);
        rec.TablePart = TTablePart::DoBody1;
        rec.PartStart = BodyBreak - 1;
        rec.FootHeight = sat32(int64_t(spacing) + FootHeight + botB);
        break;
    case TTablePart::DoBody1:
        if (restFits) {
            DrawRows(Canvas, ARect, 0, last, X, Y);
            rec.TablePart = TTablePart::Normal;
            break;
        }
        doc->PageBottom = sat32(int64_t(doc->PageBottom) + spacing - rec.FootHeight - botB);
        DrawRows(Canvas, ARect, 0, last, X, Y);
        BodyBreak = doc->PageBottom;
        nextPart();
        break;
    case TTablePart::DoBody2: {
        if (restFits) {
            DrawRows(Canvas, ARect, 0, last, X, Y);
            rec.TablePart = TTablePart::Normal;
            doc->PrintingTable = nullptr;
            break;
        }
        const int32_t pageBottom = doc->PageBottom;
        DrawRows(Canvas, ARect, 0, last, X, Y);
        BodyBreak = doc->PageBottom;
        if (FootStartRow >= 0) {
            footPart();
        } else {
            headPart();
            doc->PageBottom = pageBottom;
        }
        break;
    }
    case TTablePart::DoFoot:
        DrawRows(Canvas, ARect, FootStartRow, last, X, rec.PartStart);
        if (HeaderRowCount == 0) {
            rec.TablePart = TTablePart::DoBody3;
            rec.PartStart = BodyBreak - 1;
            rec.FootHeight = sat32(int64_t(spacing) + FootHeight);
        } else {
            headPart();
        }
        break;
    case TTablePart::DoBody3: break;
    }
    if (doc->TheOwner) doc->TheOwner->TablePartRec = TablePartRec.get();
}

int32_t THtmlTable::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager*, int32_t X, int32_t, int32_t) {
    ThtDocument* doc = Document();
    TTableNestScope nest(doc);
    const int32_t result = sat32(int64_t(YDraw) + SectionHeight);
    const int64_t yOff = doc ? doc->YOff : 0;
    const int32_t y = sat32(int64_t(YDraw) + (Float ? VSpace : 0));
    DrawX = X;
    DrawRect = box(X, int64_t(y) - yOff, int64_t(X) + TableWidth, int64_t(y) - yOff + DrawHeight);
    if (nest.Level() > MaxTableNestLevel || !Canvas) return result;
    const bool printing = doc && doc->Printing;
    const bool visible = int64_t(y) + DrawHeight - yOff >= ARect.Top && int64_t(y) - yOff < ARect.Bottom;
    if (!visible && !printing) return result;
    if (printing && nest.Level() == 1 && HeadOrFoot && y < doc->PageBottom &&
        (!doc->PrintingTable || doc->PrintingTable == this))
        DrawPrintedParts(Canvas, ARect, X, y);
    else DrawRows(Canvas, ARect, 0, Rows.Count() - 1, X, y);
    return result;
}

// ---- hit tests and queries

namespace {

// The cell's box (from its column's x, as last drawn) holds the point (document Y).
bool holds(const TCellObj* Cell, int64_t X0, int32_t X, int32_t Y) {
    return Cell && Cell->FCell && Cell->FColSpan > 0 && X >= X0 && X < X0 + Cell->FWd && Y >= Cell->FCell->DrawYY &&
           int64_t(Y) < int64_t(Cell->FCell->DrawYY) + Cell->FHt;
}

}  // namespace

TCellObj* THtmlTable::CellAt(int32_t X, int32_t Y) const {
    for (int r = 0; r < Rows.Count(); ++r) {
        const TCellList* row = Rows.Items(r);
        int64_t x = DrawX;
        for (int i = 0; row && i < row->Count(); ++i) {
            auto* cell = dynamic_cast<TCellObj*>(row->Items(i));
            if (holds(cell, x, X, Y)) return cell;
            if (i < int(Widths.size())) x += Widths[size_t(i)];
        }
    }
    return nullptr;
}

namespace {

bool inTable(const THtmlTable& T, int32_t X, int32_t Y) {
    return Y >= T.ContentTop && Y < T.ContentBot && X >= T.DrawX && int64_t(X) <= int64_t(T.DrawX) + T.TableWidth;
}

}  // namespace

ThtguResultType THtmlTable::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                   TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    UrlTarg.reset();
    FormControl = nullptr;
    if (ATitle) ATitle->clear();
    if (!inTable(*this, X, Y)) return 0;
    TCellObj* cell = CellAt(X, Y);
    return cell ? cell->FCell->GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle) : 0;
}

bool THtmlTable::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    if (inTable(*this, X, Y))
        if (TCellObj* cell = CellAt(X, Y); cell && cell->FCell->PtInObject(X, Y, Obj, IX, IY)) return true;
    return TSectionBase::PtInObject(X, Y, Obj, IX, IY);
}

int32_t THtmlTable::FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt,
                               bool& Intext) {
    Intext = false;
    if (!inTable(*this, X, Y)) return -1;
    // The first cell holding the point that finds a position.
    for (int r = 0; r < Rows.Count(); ++r) {
        const TCellList* row = Rows.Items(r);
        int64_t x = DrawX;
        for (int i = 0; row && i < row->Count(); ++i) {
            auto* cell = dynamic_cast<TCellObj*>(row->Items(i));
            if (holds(cell, x, X, Y))
                if (const int32_t p = cell->FCell->FindCursor(Canvas, X, Y, XR, YR, CaretHt, Intext); p >= 0) return p;
            if (i < int(Widths.size())) x += Widths[size_t(i)];
        }
    }
    return -1;
}

bool THtmlTable::CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) {
    if (Rows.Count() == 0 || Cursor < StartCurs || int64_t(Cursor) >= int64_t(StartCurs) + Len) return false;
    return forEachCell(Rows, false, [&](TCellObj& c) { return c.FCell->CursorToXY(Canvas, Cursor, X, Y); });
}

bool THtmlTable::GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) {
    Ch = 0;
    Obj = nullptr;
    if (Rows.Count() == 0 || Pos < StartCurs || int64_t(Pos) >= int64_t(StartCurs) + Len) return false;
    return forEachCell(Rows, false, [&](TCellObj& c) { return c.FCell->GetChAtPos(Pos, Ch, Obj); });
}

int32_t THtmlTable::FindString(int32_t From, std::u16string_view ToFind, bool MatchCase) {
    int32_t found = -1;
    forEachCell(Rows, false, [&](TCellObj& c) { return (found = c.FCell->FindString(From, ToFind, MatchCase)) >= 0; });
    return found;
}

int32_t THtmlTable::FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase) {
    int32_t found = -1;
    forEachCell(Rows, true, [&](TCellObj& c) { return (found = c.FCell->FindStringR(From, ToFind, MatchCase)) >= 0; });
    return found;
}

int32_t THtmlTable::FindSourcePos(int32_t DocPos) {
    int32_t found = -1;
    forEachCell(Rows, false, [&](TCellObj& c) { return (found = c.FCell->FindSourcePos(DocPos)) >= 0; });
    return found;
}

int32_t THtmlTable::FindDocPos(int32_t SourcePos, bool Prev) {
    int32_t found = -1;
    forEachCell(Rows, Prev, [&](TCellObj& c) { return (found = c.FCell->FindDocPos(SourcePos, Prev)) >= 0; });
    return found;
}

void THtmlTable::CopyToClipboard() {
    forEachCell(Rows, false, [](TCellObj& c) {
        c.FCell->CopyToClipboard();
        return false;
    });
}
