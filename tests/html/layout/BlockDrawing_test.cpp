// Painting blocks: the order of their children, the print-time page-break
// decisions, backgrounds and the visible band, the border styles (into real
// pixels) and the clip a field set leaves behind.
#include <gtest/gtest.h>

#include "FakeSections.h"
#include "html/layout/Borders.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/ScreenColors.h"
#include "platform/framework/DeviceContext.h"

// The Qt application (Forms.h cannot be included beside the style types).
void EnsureApplication();

namespace {

using namespace modeltest;

class BlockDrawingTest : public RecordingScreenTest {
protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        EnsureApplication();
    }
};

const TRect kPage = Rect(0, 0, 800, 600);

// A bitmap of one colour to draw borders on.
std::unique_ptr<TBitmap> surface(int W, int H, TColor Colour) {
    auto bmp = std::make_unique<TBitmap>(W, H);
    bmp->Canvas()->Brush()->SetColor(Colour);
    bmp->Canvas()->FillRect(Rect(0, 0, W, H));
    return bmp;
}

TEST_F(BlockDrawingTest, ChildrenPaintInZIndexOrder) {
    TBodyFixture fx;
    std::vector<std::string> log;
    auto p = props(DivSy, u"div");
    TBlock* b = addBlock(fx.cell(), *p);
    const std::pair<const char*, int32_t> children[] = {{"a", 0}, {"b", 2}, {"c", -1}, {"d", 1}, {"e", 0}, {"f", 2}};
    for (const auto& [name, z] : children) addFake(b->MyCell.get(), name, 10, 0, 0, &log)->ZIndex = z;
    fx.layout();
    fx.doc->Draw(&fx.canvas, kPage, 800, 0, 0, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"draw c", "draw a", "draw e", "draw d", "draw b", "draw f"}));
    EXPECT_EQ(b->MyCell->GetItem(0)->OwnerBlock(), b);
}

TEST_F(BlockDrawingTest, PrintedPagesEndWherePageBreaksAsk) {
    const auto always = ThtVariant(std::u16string(u"always"));
    const struct {
        const char* what;
        TPropValues second;  // the second of three blocks, each 100 high
        int32_t pageHeight, yOff;
        std::vector<std::string> drawn;
        int32_t pageBottom;
    } cases[] = {
        {"break before ends the page above the block", {{PageBreakBefore, always}}, 150, 0, {"draw a"}, 100},
        {"break before at the page top draws it",
         {{PageBreakBefore, always}},
         150,
         100,
         {"draw a", "draw b", "draw c"},
         250},
        {"kept whole moves to the next page",
         {{PageBreakInside, std::u16string(u"avoid")}},
         150,
         0,
         {"draw a", "draw c"},
         100},
        {"kept whole at the page top is drawn",
         {{PageBreakInside, std::u16string(u"avoid")}},
         150,
         100,
         {"draw a", "draw b", "draw c"},
         250},
        {"break after ends the page below the block",
         {{PageBreakAfter, always}},
         250,
         0,
         {"draw a", "draw b", "draw c"},
         200},
        {"no break", {}, 150, 0, {"draw a", "draw b", "draw c"}, 150},
    };
    for (const auto& c : cases) {
        TBodyFixture fx;
        std::vector<std::string> log;
        fx.block({}, 100, nullptr, 0, &log, "a");
        fx.block(c.second, 100, nullptr, 0, &log, "b");
        fx.block({}, 100, nullptr, 0, &log, "c");
        fx.layout();
        fx.doc->Printing = true;
        fx.doc->YOff = c.yOff;
        fx.doc->Draw(&fx.canvas, Rect(0, 0, 800, c.pageHeight), 800, 0, 0, 0, 0);
        EXPECT_EQ(log, c.drawn) << c.what;
        EXPECT_EQ(fx.doc->PageBottom, c.pageBottom) << c.what;
    }
}

TEST_F(BlockDrawingTest, APageMarkerEndsThePrintedPageUnlessItIsAtTheTop) {
    for (const auto& [yOff, want] : {std::pair{0, 100}, std::pair{100, 250}}) {
        TBodyFixture fx;
        addFake(fx.cell(), "a", 100);
        auto pageProps = props(PageSy, u"page");
        fx.cell()->Add(std::make_unique<TPage>(fx.cell(), nullptr, pageProps.get()), 0);
        addFake(fx.cell(), "b", 100);
        fx.layout();
        fx.doc->Printing = true;
        fx.doc->YOff = yOff;
        fx.doc->Draw(&fx.canvas, Rect(0, 0, 800, 150), 800, 0, 0, 0, 0);
        EXPECT_EQ(fx.doc->PageBottom, want) << yOff;
    }
}

TEST_F(BlockDrawingTest, ABlockBelowTheVisibleBandStillKnowsWhereItIs) {
    TBodyFixture fx;
    fx.block({}, 2000);
    TBlock* far = fx.block({{BackgroundColor, int64_t(RGB(255, 0, 0))}, {PaddingTop, int64_t(4)}}, 50);
    fx.layout();
    fx.doc->Draw(&fx.canvas, kPage, 800, 0, 0, 0, 0);
    EXPECT_EQ(far->MyRect.Top, 2000);
    EXPECT_EQ(far->MyRect.Bottom, 2054);
    EXPECT_EQ(far->DrawRect.Top, 2000);
    EXPECT_TRUE(fx.dc.Calls("FillRect").empty());

    // Scrolled into view, the padding box's visible band is filled.
    fx.dc.ClearLog();
    fx.doc->YOff = 1800;
    fx.doc->Draw(&fx.canvas, kPage, 800, 0, 0, 0, 0);
    EXPECT_EQ(far->MyRect.Top, 200);
    const auto fills = fx.dc.Calls("FillRect");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rfind("FillRect 0 200 800 254", 0), 0u) << fills[0];
}

TEST_F(BlockDrawingTest, BeveledStylesShadeTheirOwnColour) {
    const TColor dark = RGB(125, 63, 0), light = RGB(228, 178, 128);
    const struct {
        ThtBorderStyle style;
        // left, top, right, bottom at 2 pixels in; then left and right at 7 pixels in
        TColor l, t, r, b, innerL, innerR;
    } cases[] = {
        {bssInset, dark, dark, light, light, dark, light},
        {bssOutset, light, light, dark, dark, light, dark},
        {bssGroove, dark, dark, light, light, light, dark},
        {bssRidge, light, light, dark, dark, dark, light},
    };
    for (const auto& c : cases) {
        auto bmp = surface(100, 100, clWhite);
        const TColor base = RGB(200, 100, 0);
        DrawBorder(bmp->Canvas(), Rect(10, 10, 90, 90), Rect(20, 20, 80, 80), htColors(base, base, base, base),
                   htStyles(c.style, c.style, c.style, c.style), clNone, 0);
        TCanvas* cv = bmp->Canvas();
        EXPECT_EQ(cv->Pixel(12, 50), c.l) << c.style;
        EXPECT_EQ(cv->Pixel(50, 12), c.t) << c.style;
        EXPECT_EQ(cv->Pixel(87, 50), c.r) << c.style;
        EXPECT_EQ(cv->Pixel(50, 87), c.b) << c.style;
        EXPECT_EQ(cv->Pixel(17, 50), c.innerL) << c.style;
        EXPECT_EQ(cv->Pixel(82, 50), c.innerR) << c.style;
        EXPECT_EQ(cv->Pixel(50, 50), clWhite) << c.style;
    }
}

TEST_F(BlockDrawingTest, DoubleBordersSplitIntoThirds) {
    const struct {
        int w;
        const char* row;  // from the outer edge inwards: B line, W gap (background)
    } cases[] = {{3, "BWB"}, {5, "BBWBB"}, {2, "BB"}, {6, "BBWWBB"}};
    for (const auto& c : cases) {
        auto bmp = surface(100, 100, clLime);
        DrawBorder(bmp->Canvas(), Rect(10, 10, 90, 90), Rect(10 + c.w, 10 + c.w, 90 - c.w, 90 - c.w),
                   htColors(clBlack, clBlack, clBlack, clBlack), htStyles(bssDouble, bssDouble, bssDouble, bssDouble),
                   clWhite, 0);
        std::string row;
        for (int x = 10; x < 10 + c.w; ++x) {
            const TColor p = bmp->Canvas()->Pixel(x, 50);
            row += p == clBlack ? 'B' : p == clWhite ? 'W' : '?';
        }
        EXPECT_EQ(row, c.row) << c.w;
        EXPECT_EQ(bmp->Canvas()->Pixel(10 + c.w, 50), clLime) << c.w;
    }
}

TEST_F(BlockDrawingTest, DottedSidesOfOneKindAreStrokedAsOneClosedFigure) {
    const struct {
        const char* what;
        TColor right;
        size_t strokes, closes;
    } cases[] = {{"all alike", clRed, 1, 1}, {"right side differs", clBlue, 3, 0}};
    for (const auto& c : cases) {
        TRecordingDC dc(200, 200);
        TCanvas canvas;
        canvas.SetDevice(&dc);
        DrawBorder(&canvas, Rect(10, 10, 90, 90), Rect(12, 12, 88, 88), htColors(clRed, clRed, c.right, clRed),
                   htStyles(bssDotted, bssDotted, bssDotted, bssDotted), clNone, 0);
        EXPECT_EQ(dc.Calls("StrokePath").size(), c.strokes) << c.what;
        EXPECT_EQ(dc.Calls("CloseFigure").size(), c.closes) << c.what;
        EXPECT_EQ(dc.Calls("BeginPath").size(), c.strokes) << c.what;
        // The pen the path was stroked with is gone again.
        EXPECT_EQ(dc.CurrentPen().Style, TLogPen().Style) << c.what;
        canvas.SetDevice(nullptr);
    }
}

TEST_F(BlockDrawingTest, BordersFarDownATallCanvasAreDrawn) {
    auto tall = surface(100, 7000, clWhite);
    DrawBorder(tall->Canvas(), Rect(10, 6000, 90, 6050), Rect(15, 6005, 85, 6045), htColors(clRed, clRed, clRed, clRed),
               htStyles(bssSolid, bssSolid, bssSolid, bssSolid), clNone, 0);
    EXPECT_EQ(tall->Canvas()->Pixel(50, 6002), clRed);
    EXPECT_EQ(tall->Canvas()->Pixel(12, 6025), clRed);
    EXPECT_EQ(tall->Canvas()->Pixel(50, 6025), clWhite);
}

TEST_F(BlockDrawingTest, AFieldsetKeepsItsLegendFreeAndGivesTheClipBack) {
    TBodyFixture fx;
    auto fsProps = props(FieldsetSy, u"fieldset");
    auto* fieldset = addBlock<TFieldsetBlock>(fx.cell(), *fsProps);
    addFake(fieldset->Legend(), "legend", 30, 60);
    TFakeSection* inside = addFake(fieldset->MyCell.get(), "inside", 20);
    TFakeSection* after = addFake(fx.cell(), "after", 20);
    int insideClip = -1, afterClip = -1;
    TRegion seen;
    inside->OnDraw = [&] { insideClip = fx.dc.GetClipRgn(seen); };
    after->OnDraw = [&] {
        TRegion r;
        afterClip = fx.dc.GetClipRgn(r);
    };
    fx.layout();
    fx.doc->Draw(&fx.canvas, kPage, 800, 0, 0, 0, 0);
    EXPECT_EQ(insideClip, 1);
    const int32_t lx =
        fieldset->MargArray[MarginLeft] + fieldset->MargArray[BorderLeftWidth] + fieldset->MargArray[PaddingLeft];
    EXPECT_FALSE(seen.PtIn(lx, 5));  // in the legend's box
    EXPECT_TRUE(seen.PtIn(lx, 100));
    EXPECT_EQ(afterClip, 0);
}

TEST_F(BlockDrawingTest, TiledBackgroundsFillThePaddingBox) {
    const struct {
        const char* what;
        const char16_t* repeat;
        TColor colour;       // background colour, or clNone
        TColor atTile, far;  // at (1, 1) and at (60, 30) of the page
    } cases[] = {
        {"repeated", u"repeat", clNone, clBlue, clBlue},
        {"once over a colour", u"no-repeat", clYellow, clBlue, clYellow},
        {"once, nothing behind", u"no-repeat", clNone, clBlue, clWhite},
    };
    for (const auto& c : cases) {
        TBodyFixture fx(100, 100);
        TBlock* b = fx.block(
            {{BackgroundImage, std::u16string(u"url(tile.png)")}, {BackgroundRepeat, std::u16string(c.repeat)}}, 40);
        if (c.colour != clNone) b->MargArrayO[BackgroundColor] = int64_t(c.colour);
        ASSERT_NE(b->BGImage, nullptr);
        auto* tile = new TBitmap(4, 4);
        tile->Canvas()->Brush()->SetColor(clBlue);
        tile->Canvas()->FillRect(Rect(0, 0, 4, 4));
        b->BGImage->FImage = std::make_shared<ThtBitmapImage>(tile, NotTransp, true);
        fx.layout(100, 100);
        EXPECT_TRUE(b->NeedDoImageStuff) << c.what;
        auto page = surface(100, 100, clWhite);
        fx.doc->Draw(page->Canvas(), Rect(0, 0, 100, 100), 100, 0, 0, 0, 0);
        EXPECT_FALSE(b->NeedDoImageStuff) << c.what;
        EXPECT_EQ(page->Canvas()->Pixel(1, 1), c.atTile) << c.what;
        EXPECT_EQ(page->Canvas()->Pixel(60, 30), c.far) << c.what;
        EXPECT_EQ(page->Canvas()->Pixel(60, 60), clWhite) << c.what;  // below the block
    }
}

TEST_F(BlockDrawingTest, RectanglesScaleWithTiesToEven) {
    TRect r;
    ScaleRectBy(Rect(1, 3, 5, 7), r, 0.5, 0.5);
    EXPECT_EQ(r.Left, 0);    // 0.5
    EXPECT_EQ(r.Top, 2);     // 1.5
    EXPECT_EQ(r.Right, 2);   // 2.5
    EXPECT_EQ(r.Bottom, 4);  // 3.5

    // Logical to device: the window origin, and when printing the extents' ratio.
    TRecordingDC dc(400, 400);
    TCanvas canvas;
    canvas.SetDevice(&dc);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(100, 100);
    dc.SetViewportExt(300, 200);
    dc.SetWindowOrg(10, 20);
    TRect device;
    LogicalToDeviceRect(&canvas, Rect(10, 20, 20, 30), true, device);
    EXPECT_EQ(device.Left, 0);
    EXPECT_EQ(device.Right, 30);
    EXPECT_EQ(device.Bottom, 20);
    LogicalToDeviceRect(&canvas, Rect(10, 20, 20, 30), false, device);
    EXPECT_EQ(device.Right, 10);

    // A clip region for a rectangle meets the clip already in force.
    dc.SetMapMode(MM_TEXT);
    dc.SetWindowOrg(0, 0);
    TRegion old = TRegion::Rect(0, 0, 50, 50);
    dc.SelectClipRgn(&old);
    TRegion saved, made;
    bool hadOld = false;
    MakeClipRegion(&canvas, Rect(40, 40, 100, 100), false, saved, hadOld, made);
    EXPECT_TRUE(hadOld);
    EXPECT_TRUE(made.PtIn(45, 45));
    EXPECT_FALSE(made.PtIn(60, 60));
    canvas.SetDevice(nullptr);
}

TEST_F(BlockDrawingTest, AnInlineBoxHasNoSideBorderWhereItGoesOnAcrossALine) {
    const struct {
        bool openStart, openEnd;
        size_t quads;
    } cases[] = {{false, false, 4}, {true, false, 3}, {true, true, 2}};
    for (const auto& c : cases) {
        TRecordingDC dc(200, 200);
        TCanvas canvas;
        canvas.SetDevice(&dc);
        ThtBorderRec box;
        box.BRect = Rect(20, 20, 60, 40);
        box.OpenStart = c.openStart;
        box.OpenEnd = c.openEnd;
        for (int i = BorderTopWidth; i <= BorderLeftWidth; ++i) box.MargArray[i] = 2;
        for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i) box.MargArray[i] = bssSolid;
        for (int i = BorderTopColor; i <= BorderLeftColor; ++i) box.MargArray[i] = clRed;
        box.MargArray[BackgroundColor] = clYellow;
        box.DrawTheBorder(&canvas, 5, 10, 0);
        EXPECT_EQ(dc.Calls("FillRgn").size(), c.quads);
        const auto fills = dc.Calls("FillRect");
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].rfind("FillRect 25 10 65 30", 0), 0u) << fills[0];
        EXPECT_EQ(box.MargArray[BorderLeftStyle], c.openStart ? bssNone : bssSolid);
        canvas.SetDevice(nullptr);
    }
}

TEST_F(BlockDrawingTest, RaisedColoursFollowThePrinterAndThePage) {
    TDocFixture fx;
    TColor light = 1, dark = 1;
    fx.doc->BackGround = clWhite;
    GetRaisedColors(fx.doc.get(), &fx.canvas, light, dark);
    EXPECT_EQ(light, RGB(192, 192, 192));
    EXPECT_EQ(dark, ThemedColor(clBtnShadow, true));
    fx.doc->BackGround = clBlack;
    GetRaisedColors(fx.doc.get(), &fx.canvas, light, dark);
    EXPECT_EQ(light, ThemedColor(clBtnHighlight, true));

    TDeviceCaps mono;
    mono.BitsPixel = 1;
    TRecordingDC printer(100, 100, mono);
    TCanvas canvas;
    canvas.SetDevice(&printer);
    fx.doc->Printing = true;
    fx.doc->PrintMonoBlack = true;
    GetRaisedColors(fx.doc.get(), &canvas, light, dark);
    EXPECT_EQ(light, clBlack);
    EXPECT_EQ(dark, clBlack);
    EXPECT_EQ(GetRaisedColorArray(fx.doc.get(), &canvas, true), htColors(clBlack, clBlack, clBlack, clBlack));
    canvas.SetDevice(nullptr);
}

}  // namespace
