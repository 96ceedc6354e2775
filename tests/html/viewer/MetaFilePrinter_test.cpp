// The page recorder of previews and page counts: which pages a document
// leaves, the page event, its own printing flag, and what a recorded page
// holds when played back.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "html/layout/GpImage.h"
#include "html/text/Lengths.h"
#include "html/viewer/MetaFilePrinter.h"
#include "html/viewer/PrinterFixture.h"
#include "platform/framework/TypInfo.h"

namespace {

using printertest::FakePrinter;
using MetaFilePrinter = printertest::PrinterFixture;

void drawOn(TMetaFilePrinter& prn) {
    TCanvas* c = prn.Canvas();
    c->Brush()->SetColor(clRed);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Rect(600, 600, 1200, 1200));
}

// Steps: B BeginDoc, d draw on the canvas, N NewPage, E EndDoc, A Abort.
void play(TMetaFilePrinter& prn, const std::string& steps) {
    for (char s : steps) {
        switch (s) {
        case 'B': prn.BeginDoc(); break;
        case 'd': drawOn(prn); break;
        case 'N': prn.NewPage(); break;
        case 'E': prn.EndDoc(); break;
        case 'A': prn.Abort(); break;
        }
    }
}

TEST_F(MetaFilePrinter, KeepsThePagesDrawnOn) {
    const struct {
        const char* steps;
        int pages;
    } cases[] = {
        {"BdNE", 1},  // the page opened last and never drawn on is dropped
        {"BdNdE", 2},    {"BdNdNE", 2}, {"BE", 0},     {"BNNdE", 3},  // pages before the one drawn on stay
        {"BdNEE", 1},                                                 // a second EndDoc has no page of its own to drop
        {"BdNdEBE", 0},                                               // a new document discards the earlier pages
        {"BdNdEBdE", 1}, {"BdNdA", 0},  {"BdNdEA", 0},
    };
    for (const auto& c : cases) {
        TMetaFilePrinter prn(nullptr);
        play(prn, c.steps);
        EXPECT_EQ(prn.PageNumber(), c.pages) << c.steps;
        EXPECT_EQ(prn.LastAvailablePage(), c.pages) << c.steps;
    }
}

TEST_F(MetaFilePrinter, ThePageEventNumbersEachNewPage) {
    TMetaFilePrinter prn(nullptr);
    std::vector<int> seen;
    prn.OnPageEvent = [&](TObject* Sender, int NumPage, bool& StopPrinting) {
        EXPECT_EQ(Sender, &prn);
        EXPECT_FALSE(StopPrinting);
        seen.push_back(NumPage);
        StopPrinting = true;  // not the printer's business
    };
    play(prn, "BdNdNdE");
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(prn.PageNumber(), 3);
    seen.clear();
    play(prn, "BE");
    EXPECT_EQ(seen, (std::vector<int>{1}));
}

TEST_F(MetaFilePrinter, ItsPrintingFlagIsItsOwn) {
    TMetaFilePrinter prn(nullptr);
    ThtPrinter& base = prn;
    EXPECT_FALSE(prn.Printing());
    base.BeginDoc();
    EXPECT_TRUE(prn.Printing());
    EXPECT_FALSE(base.Printing());  // a caller through the base always begins anew
    base.EndDoc();
    EXPECT_FALSE(prn.Printing());
    base.BeginDoc();
    base.Abort();
    EXPECT_FALSE(prn.Printing());
}

TEST_F(MetaFilePrinter, NoPrinterMeansNoDocument) {
    auto old = SetPrinterListQuery([](TPrinter&) { return std::vector<String>{}; });
    TMetaFilePrinter prn(nullptr);
    try {
        prn.BeginDoc();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Printer not available");
    }
    EXPECT_FALSE(prn.Printing());
    EXPECT_EQ(prn.PageNumber(), 0);
    EXPECT_EQ(prn.Canvas(), nullptr);
    SetPrinterListQuery(old);
}

TEST_F(MetaFilePrinter, APageIsTheChosenPrintersPrintableAreaPaintedWhite) {
    const int screenPpi = SetScreenPixelsPerInch(96);
    const TDeviceCaps f = FakePrinter::Facts();
    for (bool gdiPlus : {false, true}) {
        SCOPED_TRACE(gdiPlus ? "measured on the printer" : "measured on the screen");
        if (gdiPlus) RetainGdiPlus();
        TMetaFilePrinter prn(nullptr);
        prn.BeginDoc();
        EXPECT_EQ(prn.PixelsPerInchX(), f.LogPixelsX);
        EXPECT_EQ(prn.PaperWidth(), f.PhysicalWidth);
        EXPECT_EQ(prn.PageHeight(), f.VertRes);
        // The first page: text at 10 points of the screen in Arial, no fill behind it.
        TCanvas* first = prn.Canvas();
        EXPECT_EQ(first->Font()->Name(), "Arial");
        EXPECT_EQ(first->Font()->Height(), -MulDiv(10, 96, 72));
        EXPECT_EQ(first->Brush()->Style(), bsClear);
        drawOn(prn);
        prn.NewPage();
        EXPECT_EQ(prn.Canvas()->Brush()->Style(), bsSolid);  // later pages keep the canvas's own
        prn.EndDoc();
        if (gdiPlus) ReleaseGdiPlus();

        ASSERT_EQ(prn.PageNumber(), 2);
        for (int i = 0; i < 2; ++i) {
            const TMetafile* page = prn.GetMetaFile(i);
            EXPECT_EQ(page->Width(), f.HorzRes);
            EXPECT_EQ(page->Height(), f.VertRes);
            EXPECT_EQ(page->ReferenceCaps().LogPixelsX, gdiPlus ? f.LogPixelsX : 96);
        }
        // Played back at a twelfth of its size: white, with the red square of
        // the first page at 50 to 100 pixels.
        const struct {
            int page, x, y;
            TColor colour;
        } pixels[] = {{0, 75, 75, clRed}, {0, 30, 30, clWhite}, {0, 350, 500, clWhite}, {1, 75, 75, clWhite}};
        for (const auto& p : pixels) {
            TBitmap bmp(f.HorzRes / 12, f.VertRes / 12);
            bmp.Canvas()->Brush()->SetColor(clBlue);
            bmp.Canvas()->FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
            bmp.Canvas()->StretchDraw(Rect(0, 0, bmp.Width(), bmp.Height()), prn.GetMetaFile(p.page));
            EXPECT_EQ(bmp.Canvas()->Pixel(p.x, p.y), p.colour) << "page " << p.page + 1 << " at " << p.x << "," << p.y;
        }
        EXPECT_THROW(prn.GetMetaFile(2), std::out_of_range);
        EXPECT_THROW(prn.GetMetaFile(-1), std::out_of_range);
    }
    SetScreenPixelsPerInch(screenPpi);
}

TEST_F(MetaFilePrinter, UnitsCarryTheirConversionFactor) {
    const struct {
        const char* name;
        TUnits units;
        double factor;
    } cases[] = {{"unCentimeters", unCentimeters, 2.54}, {"unInches", unInches, 1.0}};
    TMetaFilePrinter prn(nullptr);
    EXPECT_EQ(prn.Units(), unInches);
    EXPECT_EQ(prn.ConvFac(), 1.0);
    for (const auto& c : cases) {
        SetEnumProp(&prn, "Units", c.name);  // published: forms and stored state set it by name
        EXPECT_EQ(prn.Units(), c.units);
        EXPECT_DOUBLE_EQ(prn.ConvFac(), c.factor);
        EXPECT_EQ(GetEnumProp(&prn, "Units"), c.name);
    }
}

}  // namespace
