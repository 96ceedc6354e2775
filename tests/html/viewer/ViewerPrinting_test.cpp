// The viewer's printing: the page geometry, the page loop on a document whose
// pages the test decides (printed on the recording test printer), page
// counts and off-screen pictures, and real documents printed into PDF files
// read back with poppler.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "html/layout/Document.h"
#include "html/text/Lengths.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/MetaFilePrinter.h"
#include "html/viewer/PrinterFixture.h"
#include "html/viewer/ViewerFixture.h"
#include "html/viewer/ViewerPrinting.h"
#include "platform/core/x509/X509Fixtures.h"
#include "platform/core/x509/ZrX509.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Metafile.h"
#include "platform/runtime/Utf16.h"
#include "support/TempDir.h"

namespace {

// ---- page geometry

struct GeometryCase {
    const char* name;
    ThtPageMetrics metrics;
    ThtPrintMargins margins;
    int sppi;
    int MLd, MLl, Wd, Wl, MTd, MTl, Hd, Hl;
};

// A4 at 300 dpi with a 50-pixel unprintable border, and at 600 dpi without one.
constexpr ThtPageMetrics A4at300{2380, 3408, 2480, 3508, 50, 50, 300, 300};
constexpr ThtPageMetrics A4at600{4961, 7016, 4961, 7016, 0, 0, 600, 600};

TEST(PageGeometry, FollowsPaperMarginsAndScale) {
    const GeometryCase cases[] = {
        {"A4 300 dpi, 2 cm", A4at300, {2, 2, 2, 2}, 96, 186, 59, 2008, 642, 186, 59, 3036, 971},
        {"print scale 2 fits twice as much", A4at300, {2, 2, 2, 2}, 192, 186, 119, 2008, 1285, 186, 119, 3036, 1943},
        {"A4 600 dpi", A4at600, {2, 2, 2, 2}, 96, 472, 75, 4017, 642, 472, 75, 6072, 971},
        // Margins inside the unprintable border or below 0 start at the printable edge.
        {"margins inside the border", A4at300, {0.1, -1, 1, 3}, 96, 0, 0, 2380, 761, 68, 21, 3036, 971},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ThtPageGeometry g = PageGeometry(c.metrics, c.margins, c.sppi);
        EXPECT_EQ(g.MLd, c.MLd);
        EXPECT_EQ(g.MLl, c.MLl);
        EXPECT_EQ(g.Wd, c.Wd);
        EXPECT_EQ(g.Wl, c.Wl);
        EXPECT_EQ(g.MTd, c.MTd);
        EXPECT_EQ(g.MTl, c.MTl);
        EXPECT_EQ(g.Hd, c.Hd);
        EXPECT_EQ(g.Hl, c.Hl);
        EXPECT_EQ(g.ARect.Left, c.MLl);
        EXPECT_EQ(g.ARect.Bottom, c.MTl + c.Hl);
        EXPECT_EQ(g.MarginClip.Right, std::min(c.metrics.PageWidth, c.Wd + c.MLd + 2));
        EXPECT_EQ(g.MarginClip.Bottom, std::min(c.metrics.PageHeight, c.MTd + c.Hd));
    }
}

TEST(PageGeometry, MarginsThatLeaveNoRoomRaise) {
    EXPECT_THROW(PageGeometry(A4at300, {15, 10, 2, 2}, 96), EIllegalArgument);
    EXPECT_THROW(PageGeometry(A4at300, {2, 2, 20, 10}, 96), EIllegalArgument);
    EXPECT_THROW(PageGeometry(ThtPageMetrics{}, {2, 2, 2, 2}, 96), EIllegalArgument);
    const ThtPageGeometry g = PageGeometry(A4at300, {2, 2, 2, 2}, 96);
    EXPECT_THROW(ShiftTopMargin(g, 30, A4at300), EIllegalArgument);
}

TEST(PageGeometry, TopMarginMovedByAnEvent) {
    const ThtPageGeometry ref = PageGeometry(A4at300, {2, 2, 2, 2}, 96);
    const ThtPageGeometry g = ShiftTopMargin(ref, 1.0, A4at300);  // 1 cm: 118 device pixels, 37 logical
    EXPECT_EQ(g.MTd, ref.MTd + 118);
    EXPECT_EQ(g.MTl, ref.MTl + 37);
    EXPECT_EQ(g.Hd, ref.Hd - 118);
    EXPECT_EQ(g.Hl, ref.Hl - 37);
    EXPECT_EQ(g.ARect.Top, g.MTl);
    EXPECT_EQ(g.ARect.Bottom, ref.ARect.Bottom);
}

TEST(PageGeometry, LogicalUnitsPerInchRoundHalfToEven) {
    EXPECT_EQ(PrintPixelsPerInch(96, 1), 96);
    EXPECT_EQ(PrintPixelsPerInch(96, 2), 192);
    EXPECT_EQ(PrintPixelsPerInch(96, 0.125), 12);
    EXPECT_EQ(PrintPixelsPerInch(100, 1.005), 100);   // 100.5
    EXPECT_EQ(PrintPixelsPerInch(96, 1.015625), 98);  // 97.5
    EXPECT_EQ(PrintPixelsPerInch(96, 0), 1);
}

// ---- the page loop

struct DrawCall {
    int YOff, X;
    TRect R;
    TPoint Origin;
};

struct PageLog {
    std::vector<DrawCall> Draws;
    std::vector<int> LayoutWidths;
};

// A print copy whose layout is Total high and ContentWidth wide; each draw
// ends the page at the text rectangle's bottom (or never below Stuck).
class PagedDocument : public ThtDocument {
public:
    PagedDocument(ThtDocumentOwner* Owner, std::shared_ptr<PageLog> Log, int Total, int ContentWidth, int Stuck)
        : ThtDocument(Owner, nullptr), FLog(std::move(Log)), FTotal(Total), FContentWidth(ContentWidth), FStuck(Stuck) {
    }
    int32_t DoLogic(TCanvas*, int32_t, int32_t Width, int32_t, int32_t, int32_t& ScrollWidth, int32_t&) override {
        FLog->LayoutWidths.push_back(Width);
        ScrollWidth = std::max(Width, FContentWidth);
        return FTotal;
    }
    int32_t Draw(TCanvas* Canvas, const TRect& ARect, int32_t, int32_t X, int32_t Y, int32_t, int32_t) override {
        PageBottom = YOff + ARect.Bottom;
        if (FStuck > 0) PageBottom = std::min(PageBottom, FStuck);
        FLog->Draws.push_back({YOff, X, ARect, Canvas->Handle()->GetWindowOrg()});
        return Y;
    }

private:
    std::shared_ptr<PageLog> FLog;
    int FTotal, FContentWidth, FStuck;
};

class PagedViewer : public THtmlViewer {
public:
    explicit PagedViewer(TComponent* AOwner) : THtmlViewer(AOwner) {
        // The screen document needs a section to be printed at all.
        SectionList()->Add(std::make_unique<viewertest::FixedSection>(SectionList(), 0), 0);
        SetMarginHeight(0);
    }
    std::shared_ptr<PageLog> Log = std::make_shared<PageLog>();
    int Total = 500, ContentWidth = 0, Stuck = 0;

protected:
    std::unique_ptr<ThtDocument> CreatePrintCopy() override {
        return std::make_unique<PagedDocument>(this, Log, Total, ContentWidth, Stuck);
    }
};

// On the 600-dpi Letter test printer with 2 cm margins at 96 logical units
// per inch, the text is 664 × 904 logical units at (51, 59).
constexpr int Wl = 664, Hl = 904, MLl = 51, MTl = 59;

class ViewerPrinting : public printertest::PrinterFixture {
protected:
    void SetUp() override {
        PrinterFixture::SetUp();
        FOldPPI = SetScreenPixelsPerInch(96);
        form = CreateComponent<TForm>(Application);
        v = new PagedViewer(form);
        v->SetParent(form);
    }
    void TearDown() override {
        form->Free();
        SetScreenPixelsPerInch(FOldPPI);
        PrinterFixture::TearDown();
    }
    std::vector<int> headerPages;
    void countHeaders() {
        v->SetOnPrintHeader([this](TObject*, TCanvas*, int Page, int, int, bool&) { headerPages.push_back(Page); });
    }
    TForm* form = nullptr;
    PagedViewer* v = nullptr;

private:
    int FOldPPI = 96;
};

TEST_F(ViewerPrinting, OnePagePrintsOneSheetInAJobOfItsOwn) {
    countHeaders();
    int printed = 0;
    v->SetOnPrinted([&](TObject*) { ++printed; });
    v->Print(1, 9999);
    EXPECT_EQ(Log->Titles.size(), 1u);
    EXPECT_EQ(Log->PagesStarted, 1);
    EXPECT_EQ(Log->Finished, 1);
    EXPECT_EQ(v->PrintPage(), 1);
    EXPECT_EQ(v->LastPagesPrinted(), 1);
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(headerPages, std::vector<int>{1});
    ASSERT_EQ(v->Log->LayoutWidths, std::vector<int>{Wl});  // laid out once, at the text width
    ASSERT_EQ(v->Log->Draws.size(), 1u);
    EXPECT_EQ(v->Log->Draws[0].X, MLl);
    EXPECT_EQ(v->Log->Draws[0].YOff, -MTl);
    EXPECT_EQ(v->Log->Draws[0].R.Bottom, MTl + Hl);
}

TEST_F(ViewerPrinting, PagesBeforeTheRangeAreDrawnOutOfSightOnTheFirstSheet) {
    countHeaders();
    v->Total = 2 * Hl + 100;  // three pages
    v->Print(2, 2);
    EXPECT_EQ(Log->PagesStarted, 1);
    EXPECT_EQ(Log->Finished, 1);
    EXPECT_EQ(v->LastPagesPrinted(), 2);
    ASSERT_EQ(v->Log->Draws.size(), 2u);
    EXPECT_EQ(v->Log->Draws[0].X, 3 * Wl + MLl);  // page 1, outside the clip
    EXPECT_EQ(v->Log->Draws[1].X, MLl);
    EXPECT_EQ(v->Log->Draws[1].YOff, Hl - MTl);
    // Page 1's bands would land on page 2's sheet.
    EXPECT_EQ(headerPages, std::vector<int>{2});
}

TEST_F(ViewerPrinting, ARangePastTheLastPageAbortsTheJob) {
    v->Total = Hl + 100;  // two pages
    v->Print(3, 3);
    EXPECT_EQ(Log->Aborted, 1);
    EXPECT_EQ(Log->Finished, 0);
    EXPECT_EQ(Log->PagesStarted, 1);
    EXPECT_EQ(v->LastPagesPrinted(), 2);

    // The last page exactly in range is printed.
    v->Print(2, 5);
    EXPECT_EQ(Log->Finished, 1);
    EXPECT_EQ(Log->Aborted, 1);
}

TEST_F(ViewerPrinting, AWideDocumentTakesSheetsSideBySide) {
    v->ContentWidth = Wl + Wl / 2;
    v->Print(1, 9999);
    EXPECT_EQ(Log->PagesStarted, 2);
    ASSERT_EQ(v->Log->Draws.size(), 2u);
    EXPECT_EQ(v->Log->Draws[0].Origin.X, 0);
    EXPECT_EQ(v->Log->Draws[1].Origin.X, Wl);
    EXPECT_EQ(v->Log->Draws[1].R.Left, MLl + Wl);

    v->Log->Draws.clear();
    v->SetPrintMaxHPages(1);  // the right part is cut
    v->Print(1, 9999);
    EXPECT_EQ(Log->PagesStarted, 3);
    EXPECT_EQ(v->Log->Draws.size(), 1u);
}

TEST_F(ViewerPrinting, MarginBandsAreErasedAndTheBackgroundPrintedOnRequest) {
    v->SetDefBackground(TColor(0x00FF00));
    v->SetHtOptions(v->HtOptions() | htoSet(htPrintBackground));
    std::vector<std::string> fills, rectangles;
    v->SetOnPrintFooter([&](TObject*, TCanvas*, int, int, int, bool&) {
        fills = Log->Jobs.back()->Calls("FillRect");
        rectangles = Log->Jobs.back()->Calls("Rectangle");
    });
    v->Print(1, 9999);
    const std::string text = "FillRect 51 59 715 963 " + std::to_string(int64_t(uint32_t(v->PaintPanel()->Color())));
    EXPECT_NE(std::find(fills.begin(), fills.end(), text), fills.end()) << ::testing::PrintToString(fills);
    // Above the text, and below its last line to the text's bottom.
    EXPECT_NE(std::find(rectangles.begin(), rectangles.end(), "Rectangle 51 0 716 57"), rectangles.end())
        << ::testing::PrintToString(rectangles);
    EXPECT_NE(std::find(rectangles.begin(), rectangles.end(), "Rectangle 51 963 716 964"), rectangles.end());
}

TEST_F(ViewerPrinting, PrintScaleTwoLaysOutTwiceAsMuchPerLine) {
    v->SetPrintScale(2);
    v->Print(1, 9999);
    // 192 logical units per inch: the text is 1329 units wide, 1809 high.
    EXPECT_EQ(v->Log->LayoutWidths, std::vector<int>{1329});
    ASSERT_EQ(v->Log->Draws.size(), 1u);
    EXPECT_EQ(v->Log->Draws[0].R.Bottom - v->Log->Draws[0].R.Top, 1809);
}

TEST_F(ViewerPrinting, ATopMarginChangedInTheHeaderMovesTheFollowingPages) {
    v->Total = 3 * Hl;
    v->SetOnPrintHeader([&](TObject*, TCanvas*, int Page, int, int, bool&) {
        if (Page == 1) v->SetPrintMarginTop(3.0);
    });
    v->Print(1, 9999);
    ASSERT_GE(v->Log->Draws.size(), 2u);
    const DrawCall& second = v->Log->Draws[1];
    EXPECT_EQ(second.R.Top, MTl + 37);  // 1 cm lower
    EXPECT_EQ(second.R.Bottom, MTl + Hl);
    EXPECT_EQ(second.YOff, Hl - (MTl + 37));
    EXPECT_EQ(v->PrintMarginTop(), 2.0);  // put back after the job
}

TEST_F(ViewerPrinting, APageThatMakesNoProgressEndsTheJob) {
    v->Total = 1000000;
    v->Stuck = 300;
    v->Print(1, 9999);
    EXPECT_EQ(v->LastPagesPrinted(), 2);
    EXPECT_EQ(Log->Finished, 1);
}

TEST_F(ViewerPrinting, StoppingAndWrongPrintersAreSaid) {
    bool stopFirst = true;
    int printed = 0;
    v->SetOnPrinting([&](TObject*, bool& Stop) { Stop = stopFirst; });
    v->SetOnPrinted([&](TObject*) { ++printed; });
    v->Print(1, 9999);
    EXPECT_TRUE(Log->Titles.empty());
    EXPECT_EQ(printed, 0);

    EXPECT_THROW(v->Print(nullptr, 1, 1, ppSinglePrint), EIllegalArgument);
    TvwPrinter device;
    try {
        v->Print(&device, 1, 1, ppPreview);
        FAIL() << "a preview on the system printer";
    } catch (const EIllegalArgument& e) {
        EXPECT_NE(std::string(e.what()).find("TvwPrinter"), std::string::npos) << e.what();
    }
    EXPECT_THROW(v->Print(&device, 1, 1, ppNoOutput), EIllegalArgument);

    // Margins that leave no room: nothing comes out, the margin is as it was.
    stopFirst = false;
    v->SetPrintMarginLeft(30);
    EXPECT_THROW(v->Print(1, 9999), EIllegalArgument);
    EXPECT_EQ(Log->Finished, 0);
    EXPECT_EQ(v->PrintMarginLeft(), 30);
}

TEST_F(ViewerPrinting, StopFromThePageEventFinishesThePage) {
    v->Total = 10 * Hl;
    std::vector<int> events;
    v->OnPageEvent = [&](TObject*, int Page, bool& Stop) {
        events.push_back(Page);
        if (Page == 2) Stop = true;
    };
    v->Print(1, 9999);
    EXPECT_EQ(events, (std::vector<int>{0, 1, 1, 2}));
    EXPECT_EQ(v->LastPagesPrinted(), 2);
    EXPECT_EQ(Log->PagesStarted, 2);
    EXPECT_EQ(Log->Finished, 1);
}

TEST_F(ViewerPrinting, LoadsAskedWhilePrintingAreRefused) {
    v->Total = 3 * Hl;
    v->OnPageEvent = [&](TObject*, int Page, bool&) {
        if (Page > 0) v->LoadFromString(u"<p>другий");
    };
    v->Print(1, 9999);
    EXPECT_EQ(v->LastPagesPrinted(), 3);
    EXPECT_TRUE(v->DocumentSource().empty());
    EXPECT_FALSE(v->IsProcessing());
}

TEST_F(ViewerPrinting, PageCountsDrawNothingAndLeaveThePageEvent) {
    v->Total = 2 * Hl + 100;
    int events = 0;
    v->OnPageEvent = [&](TObject*, int, bool&) { ++events; };
    double ratio = 0;
    EXPECT_EQ(v->NumPrinterPages(ratio), 3);
    EXPECT_EQ(events, 0);
    ASSERT_TRUE(v->OnPageEvent);
    EXPECT_DOUBLE_EQ(ratio, 1.0);
    EXPECT_TRUE(Log->Titles.empty());  // no job on the printer

    // Recorded pages, one per page, with the layout's size.
    TMetaFilePrinter recorder(nullptr);
    int w = 0, h = 0;
    EXPECT_EQ(v->NumPrinterPages(&recorder, w, h), 3);
    EXPECT_EQ(w, Wl);
    EXPECT_EQ(h, 2 * Hl + 100);
    EXPECT_EQ(recorder.GetMetaFile(2)->Width(), 4800);
    EXPECT_EQ(events, 0);
    v->OnPageEvent(v, 0, *std::make_unique<bool>().get());
    EXPECT_EQ(events, 1);

    // Wider than the text: the ratio in steps of a logical unit.
    v->ContentWidth = Wl + Wl / 2;
    v->NumPrinterPages(ratio);
    EXPECT_NEAR(ratio, 1.5, 1.0 / 96 + 1e-9);
}

TEST_F(ViewerPrinting, OpenPrintCollectsPrintsIntoOneJob) {
    v->OpenPrint();
    v->Print(1, 9999);
    v->Print(1, 9999);
    EXPECT_EQ(Log->Titles.size(), 1u);
    EXPECT_EQ(Log->PagesStarted, 2);
    EXPECT_EQ(Log->Finished, 0);
    v->ClosePrint();
    EXPECT_EQ(Log->Finished, 1);

    v->OpenPrint();
    v->Print(1, 9999);
    v->AbortPrint();
    EXPECT_EQ(Log->Aborted, 1);
}

TEST_F(ViewerPrinting, OffscreenPicturesHaveLimits) {
    EXPECT_NE(v->MakeBitmap(0, 200, 200, 4000), nullptr);
    EXPECT_THROW(v->MakeBitmap(0, 200, 200, 4001), EExcessiveSizeError);
    EXPECT_THROW(v->MakeBitmap(0, 200, 70000, 100), EExcessiveSizeError);
    EXPECT_THROW(v->MakeBitmap(0, 200, 20000, 4000), EExcessiveSizeError);
    EXPECT_THROW(v->MakeMetaFile(0, 200, 200, 4001), EExcessiveSizeError);
    EXPECT_EQ(v->FullDisplaySize(0).cx, 0);
}

// ---- real documents

class RealViewer : public viewertest::ViewerTest {
protected:
    THtmlViewer* makeReal() {
        auto* r = new THtmlViewer(form);
        r->SetParent(form);
        r->SetBounds(0, 0, 400, 300);
        r->SetDefBackground(clWhite);
        r->SetMarginHeight(0);
        r->SetMarginWidth(0);
        return r;
    }
};

TColor pixel(TBitmap& B, int X, int Y) {
    const uint8_t* row = B.ScanLine(Y);
    return TColor(row[3 * X + 2] | (row[3 * X + 1] << 8) | (row[3 * X] << 16));
}

TEST_F(RealViewer, MakeBitmapDrawsThePageFromItsTop) {
    THtmlViewer* r = makeReal();
    r->LoadFromString(u"<body style='margin:0'><div style='background:#0000ff;height:50px'></div></body>");
    std::unique_ptr<TBitmap> b = r->MakeBitmap(0, 300, 300, 100);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->PixelFormat(), pf24bit);
    EXPECT_EQ(pixel(*b, 10, 10), TColor(0xFF0000));
    EXPECT_EQ(pixel(*b, 10, 80), clWhite);
    b = r->MakeBitmap(30, 300, 300, 100);
    EXPECT_EQ(pixel(*b, 10, 10), TColor(0xFF0000));
    EXPECT_EQ(pixel(*b, 10, 25), clWhite);
    EXPECT_EQ(r->FullDisplaySize(300).cy, 50);

    // Paged: each page a metafile of the size asked.
    r->LoadFromString(u"<body style='margin:0'><div style='height:250px'>x</div></body>");
    std::vector<std::unique_ptr<TMetafile>> pages = r->MakePagedMetaFiles(300, 100);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0]->Width(), 300);
    EXPECT_EQ(pages[2]->Height(), 100);

    r->Clear();
    EXPECT_EQ(r->MakeBitmap(0, 300, 300, 100), nullptr);
}

// Real viewers printed through the framework's printer into a PDF file.
class PrintToPdf : public viewertest::ViewerTest {
protected:
    void SetUp() override {
        ViewerTest::SetUp();
        FIndex = Printer()->PrinterIndex();
        FOutput = Printer()->OutputFileName();
        Printer()->SetPrinterIndex(-1);
        Printer()->SetOutputFileName(pdf);
        v = new THtmlViewer(form);
        v->SetParent(form);
        v->SetBounds(0, 0, 600, 400);
    }
    void TearDown() override {
        Printer()->SetPrinterIndex(FIndex);
        Printer()->SetOutputFileName(FOutput);
        ViewerTest::TearDown();
    }
    static std::string run(const std::string& Cmd) {
        std::string out;
        if (FILE* p = popen(Cmd.c_str(), "r")) {
            char buf[4096];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
            pclose(p);
        }
        return out;
    }
    int pageCount() {
        const std::string info = run("pdfinfo '" + pdf + "'");
        const size_t at = info.find("Pages:");
        return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
    }
    // The text of each page.
    std::vector<std::string> pages() {
        const std::string text = run("pdftotext -layout '" + pdf + "' -");
        std::vector<std::string> result;
        size_t from = 0;
        for (size_t ff; (ff = text.find('\f', from)) != std::string::npos; from = ff + 1)
            result.push_back(text.substr(from, ff - from));
        return result;
    }
    static int occurrences(const std::string& Text, const std::string& Word) {
        int n = 0;
        for (size_t at = Text.find(Word); at != std::string::npos; at = Text.find(Word, at + 1)) ++n;
        return n;
    }
    zrxtest::TempDir dir;
    const std::string pdf = dir.file("print.pdf");
    THtmlViewer* v = nullptr;

private:
    int FIndex = 0;
    String FOutput;
};

TEST_F(PrintToPdf, EveryLineOnceOnTheCountedPages) {
    std::u16string html = u"<html><head><title>Рядки</title></head><body>";
    for (int i = 1; i <= 200; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "<div>Line L%03dX</div>", i);
        html += zrx_utf8::toUtf16(line);
    }
    v->LoadFromString(html);
    const int expected = v->NumPrinterPages();
    v->Print(1, 9999);
    ASSERT_GT(expected, 1);
    EXPECT_EQ(pageCount(), expected);
    EXPECT_EQ(v->LastPagesPrinted(), expected);
    std::string all;
    for (const std::string& page : pages()) all += page;
    for (int i = 1; i <= 200; ++i) {
        char word[16];
        std::snprintf(word, sizeof word, "L%03dX", i);
        EXPECT_EQ(occurrences(all, word), 1) << word;
    }

    // A range: the second page alone.
    v->Print(2, 2);
    EXPECT_EQ(pageCount(), 1);
    EXPECT_EQ(occurrences(run("pdftotext '" + pdf + "' -"), "L001X"), 0);
}

TEST_F(PrintToPdf, TableHeaderRowsRepeatOnEveryPage) {
    std::u16string html = u"<table border=1><thead><tr><th>ЗАГОЛОВОК</th><th>Значення</th></tr></thead><tbody>";
    for (int i = 1; i <= 150; ++i) {
        char row[96];
        std::snprintf(row, sizeof row, "<tr><td>R%03dX</td><td>value</td></tr>", i);
        html += zrx_utf8::toUtf16(row);
    }
    v->LoadFromString(html + u"</tbody></table>");
    v->Print(1, 9999);
    const std::vector<std::string> text = pages();
    ASSERT_GT(text.size(), 1u);
    for (size_t i = 0; i < text.size(); ++i) EXPECT_EQ(occurrences(text[i], "ЗАГОЛОВОК"), 1) << "page " << i + 1;
    std::string all;
    for (const std::string& page : text) all += page;
    for (int i = 1; i <= 150; ++i) {
        char word[16];
        std::snprintf(word, sizeof word, "R%03dX", i);
        EXPECT_EQ(occurrences(all, word), 1) << word;
    }
}

TEST_F(PrintToPdf, HeaderAndFooterBandsOnEveryPage) {
    std::u16string html;
    for (int i = 1; i <= 120; ++i) html += u"<p>текст</p>";
    v->LoadFromString(html);
    std::vector<int> lastPages;
    v->OnPrintHTMLHeader = [&](TObject*, THtmlViewer* Band, int Page, bool LastPage, int&, int&, bool&) {
        Band->LoadFromString(u"<p>ШАПКА " + zrx_utf8::toUtf16(std::to_string(Page)) + u"</p>");
        if (LastPage) lastPages.push_back(Page);
    };
    v->SetOnPrintFooter([&](TObject*, TCanvas* Canvas, int Page, int, int, bool&) {
        Canvas->Font()->SetName("DejaVu Sans");
        Canvas->TextOut(40, 10, "ПІДВАЛ " + std::to_string(Page));
    });
    v->Print(1, 9999);
    const std::vector<std::string> text = pages();
    ASSERT_GT(text.size(), 1u);
    for (size_t i = 0; i < text.size(); ++i) {
        EXPECT_EQ(occurrences(text[i], "ШАПКА " + std::to_string(i + 1)), 1) << text[i];
        EXPECT_EQ(occurrences(text[i], "ПІДВАЛ " + std::to_string(i + 1)), 1) << text[i];
    }
    EXPECT_EQ(lastPages, std::vector<int>{int(text.size())});
}

TEST_F(PrintToPdf, TheProgramsCertificatePage) {
    x509fx::Pki pki;
    TZrX509 ee(pki.ee);
    TCString html;
    ee.htmlView(html, 1);
    v->LoadFromString(zrx_utf8::toUtf16(html.str()));
    v->Print(1, 9999);
    ASSERT_GE(pageCount(), 1);
    EXPECT_EQ(pageCount(), v->LastPagesPrinted());
    const std::string text = run("pdftotext '" + pdf + "' -");
    EXPECT_NE(text.find("Петренко Иван"), std::string::npos) << text;
}

}  // namespace
