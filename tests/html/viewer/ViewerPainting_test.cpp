// The viewer's painting and scrolling positions on real pages: the
// background colour, a tiled picture fixed to the window or scrolling with
// the page, the positions kept in range, ScrollXY and pan gestures.
#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "html/viewer/ViewerInput.h"
#include "platform/runtime/Log.h"

namespace viewertest {
namespace {

using ViewerPainting = RealViewerTest;

// A tile of W × H: the top row and the left column red, the rest green.
std::unique_ptr<TBitmap> Tile(int W, int H) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) b->Canvas()->SetPixel(x, y, y == 0 || x == 0 ? clRed : clLime);
    return b;
}

std::u16string TallBody(const std::u16string& Style) {
    std::u16string html = u"<body style=\"" + Style + u"\">";
    for (int i = 0; i < 60; ++i) html += u"<p>Line</p>";
    return html;
}

QImage grabPanel(THtmlViewer* v) { return v->PaintPanel()->Handle()->grab().toImage(); }

bool red(const QImage& img, int x, int y) { return img.pixelColor(x, y) == QColor(255, 0, 0); }
bool green(const QImage& img, int x, int y) { return img.pixelColor(x, y) == QColor(0, 255, 0); }

class ViewerBackground : public ViewerPainting {
protected:
    // A tall page with a 4 × 4 (or thin) tile as its body's background.
    THtmlViewer* showTiled(const std::u16string& Style, int W = 4, int H = 4) {
        tile_ = Tile(W, H);
        auto* v = new THtmlViewer(form);
        v->SetParent(form);
        v->SetBorderStyle(htNone);
        v->SetBounds(0, 0, 300, 200);
        v->SetOnBitmapRequest([this](TObject*, const std::u16string&, TBitmap*& Bitmap, TColor& Color) {
            Bitmap = tile_.get();
            Color = TColor(-1);
        });
        form->Show();
        v->LoadFromString(TallBody(u"background-image: url(tile.bmp);" + Style));
        return v;
    }
    std::unique_ptr<TBitmap> tile_;
};

TEST_F(ViewerPainting, TheBackgroundColourFillsThePanel) {
    THtmlViewer* v = showPage(u"<body bgcolor=\"#0000FF\"><p>x</p>", 300, 200);
    const QImage img = grabPanel(v);
    EXPECT_EQ(img.pixelColor(290, 190), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_FALSE(v->ViewerState() & vsSet(vsBGFixed));
}

TEST_F(ViewerBackground, ATiledPictureScrollsWithThePage) {
    THtmlViewer* v = showTiled(u"");
    const int x = v->PaintPanel()->Width() - 3;  // right of the text: tile column 1 or 2
    QImage img = grabPanel(v);
    EXPECT_TRUE(red(img, x - x % 4, 1));  // the left column of a tile
    EXPECT_TRUE(red(img, x, 0));
    EXPECT_TRUE(green(img, x, 1));
    EXPECT_TRUE(red(img, x, 8));
    EXPECT_FALSE(v->ViewerState() & vsSet(vsBGFixed));
    v->SetVScrollBarPosition(1);
    img = grabPanel(v);
    EXPECT_TRUE(green(img, x, 0));  // document row 1
    EXPECT_TRUE(red(img, x, 3));    // document row 4
}

TEST_F(ViewerBackground, AFixedPictureStaysWithTheWindow) {
    THtmlViewer* v = showTiled(u"background-attachment: fixed");
    const int x = v->PaintPanel()->Width() - 3;
    grabPanel(v);
    EXPECT_TRUE(v->ViewerState() & vsSet(vsBGFixed));
    v->SetVScrollBarPosition(1);
    const QImage img = grabPanel(v);
    EXPECT_TRUE(red(img, x, 0));
    EXPECT_TRUE(green(img, x, 1));
    EXPECT_TRUE(red(img, x, 4));
}

TEST_F(ViewerBackground, AOnePixelWidePictureStillTiles) {
    THtmlViewer* v = showTiled(u"", 1, 4);
    const QImage img = grabPanel(v);
    for (int x : {3, 50, 250}) {
        EXPECT_TRUE(red(img, x, 0)) << x;
        EXPECT_TRUE(red(img, x, 4)) << x;
    }
    // Its only column is red too: a single pixel is the whole width.
    EXPECT_TRUE(red(img, 250, 2));
}

TEST_F(ViewerPainting, PositionsAreKeptWithinTheDocument) {
    THtmlViewer* v = showPage(TallBody(u""), 300, 200);
    const int32_t range = v->MaxVertical() - v->PaintPanel()->Height();
    ASSERT_GT(range, 100);
    struct Case {
        int32_t set, want;
    } cases[] = {{-5, 0}, {40, 40}, {range + 500, range}, {0, 0}};
    for (const Case& c : cases) {
        v->SetVScrollBarPosition(c.set);
        EXPECT_EQ(v->VScrollBarPosition(), c.want) << c.set;
        EXPECT_EQ(v->SectionList()->YOff, c.want) << c.set;
    }
    // A page no wider than the window cannot scroll sideways.
    v->SetHScrollBarPosition(-5);
    EXPECT_EQ(v->HScrollBarPosition(), 0);
    v->SetHScrollBarPosition(50);
    EXPECT_EQ(v->HScrollBarPosition(), 0);

    v->ScrollXY(TSize{0, 30});
    EXPECT_EQ(v->VScrollBarPosition(), 30);
    v->ScrollXY(TSize{0, -100});
    EXPECT_EQ(v->VScrollBarPosition(), 0);
    EXPECT_EQ(v->SectionList()->YOff, 0);

    // A finger moving 30 pixels up scrolls the page 30 pixels down.
    bool handled = false;
    TGestureEventInfo pan;
    pan.GestureID = igiPan;
    pan.Location = TPoint{100, 150};
    pan.Flags = gfBegin;
    v->PanGesture(pan, handled);
    EXPECT_FALSE(handled);
    pan.Location = TPoint{100, 120};
    pan.Flags = 0;
    v->PanGesture(pan, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(v->VScrollBarPosition(), 30);
}

TEST_F(ViewerPainting, NothingIsPaintedWhileTheDocumentIsPrinting) {
    THtmlViewer* v = showPage(u"<body bgcolor=\"#0000FF\"><p>x</p>", 300, 200);
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(20, 20);
    picture.Canvas()->Brush()->SetColor(clWhite);
    picture.Canvas()->FillRect(Rect(0, 0, 20, 20));
    v->SectionList()->Printing = true;
    v->PaintDocument(picture.Canvas(), Rect(0, 0, 20, 20));
    v->SectionList()->Printing = false;
    EXPECT_EQ(picture.Canvas()->Pixel(5, 5), clWhite);
    picture.Canvas()->Brush()->SetColor(clBlue);
    v->PaintDocument(picture.Canvas(), Rect(0, 0, 20, 20));
    EXPECT_EQ(picture.Canvas()->Pixel(5, 5), clBlue);
}

// A document whose drawing fails.
class BrokenDocument : public FakeDocument {
public:
    using FakeDocument::FakeDocument;
    int32_t Draw(TCanvas*, const TRect&, int32_t, int32_t, int32_t, int32_t, int32_t) override {
        throw EhtException("drawing failed");
    }
};

class BrokenViewer : public THtmlViewer {
public:
    explicit BrokenViewer(TComponent* AOwner)
        : THtmlViewer(AOwner, [](THtmlViewer& V) -> std::unique_ptr<ThtDocument> {
              return std::make_unique<BrokenDocument>(&V, V.PaintPanel());
          }) {}
};

std::vector<std::string> gLogged;
int logRecord(uint32_t, const char* text) {
    gLogged.push_back(text);
    return 0;
}

TEST_F(ViewerPainting, AFailedPaintSkipsTheFrameAndIsLogged) {
    auto* v = new BrokenViewer(form);
    v->SetParent(form);
    v->SetBounds(0, 0, 200, 100);
    form->Show();
    gLogged.clear();
    const KV_HLogOutFunc old = csSetKV_HLogOutFunc(logRecord);
    v->PaintPanel()->Handle()->grab();
    v->PaintPanel()->Handle()->grab();  // and again: the viewer goes on
    csSetKV_HLogOutFunc(old);
    ASSERT_EQ(gLogged.size(), 2u);
    EXPECT_NE(gLogged[0].find("drawing failed"), std::string::npos);
}

}  // namespace
}  // namespace viewertest
