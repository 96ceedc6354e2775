// Drawing and printing tables: pages printed by a loop that drives the
// table as the viewer's printing does (header and footer repeated, rows
// moved to the next page), cells outside the clip, overflow clipping that
// survives a failing cell, backgrounds with and without their picture, the
// tiled picture through its mask, and the hit geometry at the edges.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "TableFixture.h"
#include "html/layout/Images.h"
#include "html/layout/SizeableObjs.h"
#include "platform/framework/Region.h"

namespace {

using namespace tabletest;

// The viewer as printing needs it: it keeps the table-part record.
class TTestOwner : public ThtDocumentOwner {
public:
    TObject* SenderObject() override { return nullptr; }
    std::u16string HtmlExpandFilename(std::u16string_view F) override { return std::u16string(F); }
    bool ShowFocusRect() override { return false; }
    void ControlMouseMove(TObject*, TShiftState, int, int) override {}
    void htProgress(int32_t) override {}
    void FollowLinkByKey(const TUrlTarget&) override {}
    void ViewerKeyDown(uint16_t&, TShiftState) override {}
    std::unique_ptr<ThtFrameViewer> CreateIFrameControl() override { return nullptr; }
    TStyleElements StyleElements() override { return AllStyleElements; }
    bool UseQuirksMode() override { return false; }
};

TCellSpec rowOf(int32_t Height) {
    TCellSpec s;
    s.Min = s.Max = 100;
    s.Height = Height;
    return s;
}

class TablePrintTest : public TableTest {
protected:
    ThtDocumentOwner* Owner() override { return &TheOwner; }

    struct TPrinted {
        int Page;
        int Row;
        int Top;  // window y of the cell's top on that page
    };

    void Build(int32_t Head, int Bodies, int32_t BodyHeight, int32_t Foot) {
        NewTable();
        if (Head) Stubs.push_back(AddCell(AddRow(TRowType::THead), rowOf(Head)));
        for (int i = 0; i < Bodies; ++i) Stubs.push_back(AddCell(AddRow(), rowOf(BodyHeight)));
        if (Foot) Stubs.push_back(AddCell(AddRow(TRowType::TFoot), rowOf(Foot)));
        LayOut(PageWidth);
    }

    // One draw of the document as its Draw does it: the page bottom from the rectangle.
    void Draw(int Page, const TRect& R, int32_t X, bool EraseBelowPageBottom) {
        Doc->PageBottom = Doc->YOff + R.Bottom;
        Doc->PageShortened = false;
        Doc->FirstPageItem = true;
        Doc->TableNestLevel = 0;
        std::vector<size_t> before;
        for (TStubCell* s : Stubs) before.push_back(s->Draws.size());
        Table->Draw1(&Canvas, R, nullptr, X, 0, 0);
        const int32_t erasedFrom = Doc->PageBottom - Doc->YOff;
        for (size_t i = 0; i < Stubs.size(); ++i)
            for (size_t k = before[i]; k < Stubs[i]->Draws.size(); ++k) {
                const TRect& box = Stubs[i]->Draws[k].MyRect;
                // The body goes on one pixel above the part's top (it
                // overlaps the header's last line): a row that only reaches
                // that pixel was printed on the page before.
                const bool visible = box.Left < PageWidth && box.Bottom > R.Top + 1 && box.Top < R.Bottom;
                if (visible && !(EraseBelowPageBottom && box.Top >= erasedFrom))
                    Printed.push_back({Page, int(i), box.Top});
            }
    }

    // Pages of PageHeight printed as the viewer's print loop drives them
    // (no margins); answers the number of pages.
    int Print(int32_t PageHeight) {
        const TRect page = Rect(0, 0, PageWidth, PageHeight);
        Doc->Printing = true;
        TheOwner.TablePartRec = nullptr;
        int32_t pageBottom = 0, lastBottom = 0;
        int pages = 0;
        while (pages < 50) {
            ++pages;
            Doc->YOff = pageBottom;
            TTablePartRec* rec = nullptr;
            for (int step = 0; step < 20; ++step) {
                rec = TheOwner.TablePartRec;
                switch (rec ? rec->TablePart : TTablePart::Normal) {
                case TTablePart::Normal: Draw(pages, page, 0, true); break;
                case TTablePart::DoHead: {
                    Doc->YOff = rec->PartStart;
                    TRect r = page;
                    r.Bottom = r.Top + rec->PartHeight;
                    Draw(pages, r, 0, false);
                    break;
                }
                case TTablePart::DoBody1:
                case TTablePart::DoBody3: {
                    TRect r = page;
                    r.Top = Doc->PageBottom - 1 - Doc->YOff;
                    Doc->YOff = rec->PartStart - r.Top;
                    Draw(pages, r, 3 * PageWidth, false);  // measures, shows nothing
                    rec->TablePart = TTablePart::DoBody2;
                    r.Bottom = Doc->PageBottom - Doc->YOff + 1;
                    Draw(pages, r, 0, false);
                    if (TheOwner.TablePartRec->TablePart != TTablePart::Normal) {
                        // The band below the body's last whole row stays blank.
                        const int32_t from = Doc->PageBottom - Doc->YOff;
                        std::erase_if(Printed, [&](const TPrinted& p) { return p.Page == pages && p.Top >= from; });
                    }
                    break;
                }
                case TTablePart::DoFoot: {
                    const int32_t saved = Doc->PageBottom;
                    TRect r = page;
                    r.Top = Doc->PageBottom - Doc->YOff;
                    r.Bottom = r.Top + rec->PartHeight;
                    Doc->YOff = rec->PartStart - r.Top;
                    Draw(pages, r, 0, false);
                    Doc->PageBottom = saved;
                    break;
                }
                case TTablePart::DoBody2: break;
                }
                rec = TheOwner.TablePartRec;
                const TTablePart part = rec ? rec->TablePart : TTablePart::Normal;
                if (part != TTablePart::DoBody1 && part != TTablePart::DoBody2 && part != TTablePart::DoFoot) break;
            }
            pageBottom = Doc->PageBottom;
            if (pageBottom >= Table->SectionHeight || pageBottom <= lastBottom) break;
            lastBottom = pageBottom;
        }
        FinalBottom = pageBottom;
        Doc->Printing = false;
        return pages;
    }

    // The pages on which the row's top was printed.
    std::vector<int> PagesOf(int Row) const {
        std::vector<int> pages;
        for (const TPrinted& p : Printed)
            if (p.Row == Row) pages.push_back(p.Page);
        return pages;
    }

    static constexpr int32_t PageWidth = 500;
    TTestOwner TheOwner;
    std::vector<TStubCell*> Stubs;
    std::vector<TPrinted> Printed;
    int32_t FinalBottom = 0;
};

TEST_F(TablePrintTest, HeaderRepeatsOnEveryPageAndFooterEndsEveryPage) {
    Build(30, 20, 40, 25);
    const int pages = Print(300);
    EXPECT_EQ(pages, 4);
    EXPECT_GE(FinalBottom, Table->SectionHeight);
    std::vector<int> everyPage;
    for (int p = 1; p <= pages; ++p) everyPage.push_back(p);
    EXPECT_EQ(PagesOf(0), everyPage);                      // the header
    EXPECT_EQ(PagesOf(int(Stubs.size()) - 1), everyPage);  // the footer
    for (int r = 1; r <= 20; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(PagesOf(r).size(), 1u);  // every body row printed once
    }
    for (const TPrinted& p : Printed) {
        if (p.Row == 0) {
            EXPECT_EQ(p.Top, 0);  // at the top of its page
        }
        if (p.Row == 21 && p.Page < pages) {
            EXPECT_EQ(p.Top, 270);  // at the bottom of a page that breaks
        }
        EXPECT_LE(p.Top + Stubs[size_t(p.Row)]->Height, 300);
    }
    EXPECT_EQ(Doc->PrintingTable, nullptr);
    EXPECT_EQ(Table->TablePartRec->TablePart, TTablePart::Normal);
}

TEST_F(TablePrintTest, HeaderAndFooterTooTallToRepeatArePrintedOnce) {
    Build(200, 10, 40, 80);
    const int pages = Print(300);
    EXPECT_GE(FinalBottom, Table->SectionHeight);  // the job ran to the end
    EXPECT_EQ(PagesOf(0), std::vector<int>{1});
    EXPECT_EQ(PagesOf(11), std::vector<int>{pages});
    for (int r = 1; r <= 10; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(PagesOf(r).size(), 1u);
    }
}

TEST_F(TablePrintTest, KeepIntactRowMovesToTheNextPageUnlessTallerThanAPage) {
    NewTable();
    Stubs.push_back(AddCell(AddRow(), rowOf(200)));
    TCellList* kept = AddRow();
    kept->KeepIntact = true;
    Stubs.push_back(AddCell(kept, rowOf(150)));
    TCellList* huge = AddRow();
    huge->KeepIntact = true;
    Stubs.push_back(AddCell(huge, rowOf(350)));
    LayOut(PageWidth);
    Print(300);
    EXPECT_EQ(PagesOf(1), std::vector<int>{2});
    EXPECT_EQ(PagesOf(2), (std::vector<int>{2, 3}));  // split over the pages
    EXPECT_GE(FinalBottom, Table->SectionHeight);
}

class TableDrawTest : public TableTest {};

TEST_F(TableDrawTest, CellBelowTheClipIsNotDrawnButKnowsItsPlace) {
    NewTable();
    Table->CellSpacingVert = 2;
    TStubCell* first = AddCell(AddRow(), rowOf(50));
    TStubCell* second = AddCell(AddRow(), rowOf(50));
    LayOut(300);
    ASSERT_EQ(Table->Rows.GetItem(1)->RowHeight, 52);
    // The second row starts inside the clip, its cell one pixel below it.
    Table->Draw1(&Canvas, Rect(0, 0, 300, 53), nullptr, 10, 0, 0);
    EXPECT_EQ(first->Draws.size(), 1u);
    EXPECT_TRUE(second->Draws.empty());
    EXPECT_EQ(Str(second->MyRect), "(10,54,110,104)");
    EXPECT_EQ(Str(first->MyRect), "(10,2,110,52)");
}

TEST_F(TableDrawTest, OverflowClipIsUndoneAlsoWhenTheContentFails) {
    NewTable();
    TStubCell* stub = AddCell(AddRow(), rowOf(50));
    CellAt(0, 0)->FHideOverflow = true;
    stub->ThrowOnDraw = true;
    LayOut(300);
    TDeviceContext* dc = Canvas.Handle();
    for (bool clipped : {false, true}) {
        SCOPED_TRACE(clipped ? "a clip in force" : "no clip");
        const TRegion outer = TRegion::Rect(0, 0, 300, 30);
        dc->SelectClipRgn(clipped ? &outer : nullptr);
        stub->Draws.clear();
        EXPECT_NO_THROW(Table->Draw1(&Canvas, Rect(0, 0, 300, 300), nullptr, 5, 0, 0));
        ASSERT_EQ(stub->Draws.size(), 1u);
        // While the content drew, the clip was its box (within the clip in force).
        EXPECT_EQ(Str(stub->Draws[0].Clip), clipped ? "(5,0,105,30)" : "(5,0,105,50)");
        TRegion after;
        EXPECT_EQ(dc->GetClipRgn(after), clipped ? 1 : 0);
        if (clipped) {
            EXPECT_TRUE(after == outer);
        }
    }
    dc->SelectClipRgn(nullptr);
}

TEST_F(TableDrawTest, FailedBackgroundPictureLeavesTheColour) {
    NewTable();
    TStubCell* stub = AddCell(AddRow(), rowOf(50));
    TCellObj* cell = CellAt(0, 0);
    stub->BkGnd = true;
    stub->BkColor = clRed;
    LayOut(300);
    // The picture turned out broken after the layout had asked for it.
    cell->BGImage = std::make_unique<TImageObj>(stub, u"missing.png");
    cell->BGImage->FImage = ThtImagePtr(&BrokenImage(), [](ThtImage*) {});
    cell->NeedDoImageStuff = true;
    DC.ClearLog();
    Table->Draw1(&Canvas, Rect(0, 0, 300, 300), nullptr, 0, 0, 0);
    EXPECT_EQ(cell->BGImage, nullptr);
    EXPECT_FALSE(cell->NeedDoImageStuff);
    EXPECT_EQ(DC.Calls("FillRect"), std::vector<std::string>{"FillRect 0 0 100 50 255"});
    EXPECT_TRUE(DC.Calls("BitBlt").empty());
    EXPECT_TRUE(DC.Calls("StretchDrawMasked").empty());
}

TEST_F(TableDrawTest, HitsAtTheTablesEdges) {
    // With collapsed spacing the last cell reaches past the table's bottom
    // and to its right edge: the table's box decides.
    NewTable();
    Table->CellSpacingHorz = Table->CellSpacingVert = -1;
    TCellList* top = AddRow();
    AddCell(top, rowOf(20));
    AddCell(top, rowOf(20));
    TCellList* bottom = AddRow();
    AddCell(bottom, rowOf(20));
    TStubCell* corner = AddCell(bottom, rowOf(20));
    corner->Link = true;
    LayOut(400, 100);
    Table->Draw1(&Canvas, Rect(0, 0, 400, 400), nullptr, 10, 0, 0);
    const int32_t right = Table->DrawX + Table->TableWidth;
    ASSERT_EQ(Table->TableWidth, 99 + 99 - 1);
    ASSERT_EQ(Table->ContentBot, 100 + 19 + 19 - 1);
    std::unique_ptr<TUrlTarget> target;
    TFormControlObjBase* control = nullptr;
    std::u16string title;
    struct Case {
        int32_t x, y;
        ThtguResultType want;
    } cases[] = {
        {right, Table->ContentBot - 1, guUrl},  // the right edge is inside
        {right + 1, Table->ContentBot - 1, 0},
        {right, Table->ContentBot, 0},         // the bottom edge is outside
        {Table->DrawX, Table->ContentTop, 0},  // a cell without a link
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(Table->GetURL(&Canvas, c.x, c.y, target, control, &title), c.want);
    }
    int32_t xr = 0, yr = 0, ht = 0;
    bool intext = true;
    EXPECT_EQ(Table->FindCursor(&Canvas, right + 1, 110, xr, yr, ht, intext), -1);
    EXPECT_FALSE(intext);
}

TEST_F(TableDrawTest, TiledPictureThroughItsMaskOverTheColour) {
    // A 2×2 red picture whose top-left pixel is transparent, tiled over a
    // blue cell: on the screen and composed off-screen in a print copy.
    for (bool printCopy : {false, true}) {
        SCOPED_TRACE(printCopy ? "print copy" : "screen");
        NewTable();
        TStubCell* stub = AddCell(AddRow(), rowOf(10));
        stub->Min = stub->Max = 10;
        TCellObj* cell = CellAt(0, 0);
        stub->BkGnd = true;
        stub->BkColor = clBlue;
        LayOut(100);
        auto* picture = new TBitmap(2, 2);
        picture->Canvas()->Brush()->SetColor(clRed);
        picture->Canvas()->FillRect(Rect(0, 0, 2, 2));
        picture->ReleaseCanvas();
        auto* mask = new TBitmap(2, 2);
        mask->Canvas()->Brush()->SetColor(clBlack);
        mask->Canvas()->FillRect(Rect(0, 0, 2, 2));
        mask->Canvas()->SetPixel(0, 0, clWhite);
        mask->ReleaseCanvas();
        mask->SetPixelFormat(pf1bit);
        cell->BGImage = std::make_unique<TImageObj>(stub, u"tile.png");
        cell->BGImage->FImage = std::make_shared<ThtBitmapImage>(picture, mask, TrGif);
        cell->FPRec.X = PositionRec{bpDim, 0, true, false};
        cell->FPRec.Y = PositionRec{bpDim, 0, true, false};
        cell->NeedDoImageStuff = true;
        Doc->IsCopy = Doc->Printing = printCopy;
        Doc->PageBottom = 20;

        TBitmap target(20, 20);
        target.Canvas()->Brush()->SetColor(clWhite);
        target.Canvas()->FillRect(Rect(0, 0, 20, 20));
        Table->Draw1(target.Canvas(), Rect(0, 0, 20, 20), nullptr, 0, 0, 0);
        target.ReleaseCanvas();
        Doc->IsCopy = Doc->Printing = false;

        const struct {
            int x, y;
            TColor want;
        } pixels[] = {{0, 0, clBlue}, {1, 0, clRed}, {0, 1, clRed},  {2, 2, clBlue},
                      {3, 3, clRed},  {9, 9, clRed}, {8, 8, clBlue}, {10, 5, clWhite}};
        for (const auto& p : pixels) {
            SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
            EXPECT_EQ(ColorToRGB(target.Canvas()->Pixel(p.x, p.y)), p.want);
        }
    }
}

}  // namespace
