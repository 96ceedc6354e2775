// The system printer as the viewer prints on it: its document states and
// their errors, the title the spooler gets, Abort (also from the user
// interface while a page goes out), the device kept from one document to the
// next, and a real print into a PDF file read back with poppler.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "html/text/HtmlText.h"
#include "html/viewer/MetaFilePrinter.h"
#include "html/viewer/PrinterFixture.h"
#include "html/viewer/PrinterRegistry.h"
#include "html/viewer/VwPrinter.h"
#include "support/TempDir.h"

namespace {

using printertest::FakePrinter;
using printertest::PrinterFixture;

using VwPrinter = PrinterFixture;

// The message of what `op` raises ("" when nothing), checking its type.
template <class E> String raised(const std::function<void()>& op) {
    try {
        op();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

intptr_t keyOf(TvwPrinter& p) { return reinterpret_cast<intptr_t>(p.DC()); }

TEST(PrinterMap, PutReplacesAndRemoveAnswersWhatWasThere) {
    vwprinter::TMap map;
    int a = 0, b = 0;
    EXPECT_EQ(map.Put(7, &a), nullptr);
    EXPECT_EQ(map.Put(7, &b), &a);
    EXPECT_EQ(map.Count(), 1);
    EXPECT_EQ(map.Get(7), &b);
    EXPECT_EQ(map.Remove(8), nullptr);
    EXPECT_EQ(map.Remove(7), &b);
    EXPECT_EQ(map.Get(7), nullptr);
    EXPECT_EQ(map.Count(), 0);
}

TEST_F(VwPrinter, TheSpoolerGetsTheTitleCutTo31Characters) {
    const std::u16string latin40 = u"Certificate of the test user number 0001";
    const std::u16string cyrillic40 = u"Сертификат тестового пользователя 000001";
    ASSERT_EQ(latin40.size(), 40u);
    ASSERT_EQ(cyrillic40.size(), 40u);
    const struct {
        std::u16string title, spooled;
    } cases[] = {
        {latin40, latin40.substr(0, 31)},
        {latin40.substr(0, 31), latin40.substr(0, 31)},
        {cyrillic40, cyrillic40.substr(0, 31)},  // characters, not bytes
        {u"Запрос", u"Запрос"},
        {u"", u""},
        {std::u16string(u"Key\0hidden", 10), u"Key"},
        // A pair across the cut is left out whole.
        {std::u16string(30, u'a') + u"\U0001F600" + u"b", std::u16string(30, u'a')},
    };
    TvwPrinter prn;  // one printer prints one document after another
    for (const auto& c : cases) {
        prn.SetTitle(c.title);
        prn.BeginDoc();
        prn.EndDoc();
        ASSERT_FALSE(Log->Titles.empty());
        EXPECT_EQ(Log->Titles.back(), htmltext::toUtf8(c.spooled)) << htmltext::toUtf8(c.title);
    }
    EXPECT_EQ(Log->Finished, int(std::size(cases)));
    EXPECT_EQ(prn.Title(), cases[std::size(cases) - 1].title);  // the printer keeps its title whole
}

TEST_F(VwPrinter, OperationsOutsideTheirDocumentStateRaise) {
    const String notPrinting = "Printer is not currently printing", inProgress = "Printing in progress";
    TvwPrinter prn;
    TCanvas* canvas = prn.Canvas();
    EXPECT_EQ(raised<EPrinter>([&] { prn.NewPage(); }), notPrinting);
    EXPECT_EQ(raised<EPrinter>([&] { prn.EndDoc(); }), notPrinting);
    EXPECT_EQ(raised<EPrinter>([&] { prn.Abort(); }), notPrinting);
    EXPECT_EQ(raised<EPrinter>([&] { canvas->FillRect(Rect(0, 0, 10, 10)); }), notPrinting);
    // Measuring needs no document, and measures at the printer's resolution.
    canvas->Font()->SetSize(10);
    EXPECT_EQ(canvas->TextHeight("X"), TRecordingDC::Metrics(TLogFont{"", -MulDiv(10, 600, 72)}).Height);

    prn.BeginDoc();
    EXPECT_EQ(raised<EPrinter>([&] { prn.BeginDoc(); }), inProgress);
    EXPECT_TRUE(prn.Printing());
    EXPECT_EQ(prn.PageNumber(), 1);
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(Rect(0, 0, 10, 10));
    prn.NewPage();
    EXPECT_EQ(prn.PageNumber(), 2);
    canvas->FillRect(Rect(0, 0, 10, 10));
    ASSERT_EQ(Log->Jobs.size(), 1u);
    EXPECT_EQ(Log->Jobs[0]->Calls("=fill").size(), 2u);  // both pages drew on the job
    prn.EndDoc();
    EXPECT_FALSE(prn.Printing());
    EXPECT_EQ(prn.PageNumber(), 0);
    EXPECT_EQ(Log->PagesStarted, 2);
    EXPECT_EQ(raised<EPrinter>([&] { canvas->FillRect(Rect(0, 0, 10, 10)); }), notPrinting);
}

TEST_F(VwPrinter, AbortCancelsTheJobWithoutEndingItsPage) {
    TvwPrinter prn;
    prn.BeginDoc();
    prn.Canvas()->FillRect(Rect(0, 0, 10, 10));
    prn.NewPage();
    prn.Abort();
    EXPECT_FALSE(prn.Printing());
    EXPECT_FALSE(prn.Aborted());
    EXPECT_EQ(prn.PageNumber(), 0);
    EXPECT_EQ(Log->Aborted, 1);
    EXPECT_EQ(Log->Finished, 0);
    EXPECT_EQ(Log->PagesStarted, 2);  // no page went out after the abort
    EXPECT_EQ(PrinterRegistry()->Get(keyOf(prn)), nullptr);
    // The printer prints again.
    prn.BeginDoc();
    prn.EndDoc();
    EXPECT_EQ(Log->Finished, 1);
}

TEST_F(VwPrinter, AbortFromTheUserInterfaceWhileAPageGoesOut) {
    // A cancel button clicked while the page is being output: its click is
    // handled from inside the page output, and the job stops there.
    const struct {
        const char* name;
        std::function<void(TvwPrinter&)> pageOut;
    } cases[] = {
        {"NewPage", [](TvwPrinter& p) { p.NewPage(); }},
        {"EndDoc", [](TvwPrinter& p) { p.EndDoc(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        *Log = printertest::DeviceLog();
        TvwPrinter prn;
        prn.BeginDoc();
        EXPECT_TRUE(PrinterAbortProc(keyOf(prn), 0));
        bool clicked = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&] {
                clicked = true;
                prn.Abort();
            },
            Qt::QueuedConnection);
        c.pageOut(prn);
        EXPECT_TRUE(clicked);
        EXPECT_FALSE(prn.Printing());
        EXPECT_EQ(prn.PageNumber(), 0);
        EXPECT_EQ(Log->Aborted, 1);
        EXPECT_EQ(Log->Finished, 0);
        EXPECT_EQ(Log->PagesStarted, 1);
        EXPECT_FALSE(PrinterAbortProc(keyOf(prn), 0));
        EXPECT_EQ(raised<EPrinter>([&] { prn.Canvas()->FillRect(Rect(0, 0, 5, 5)); }),
                  "Printer is not currently printing");
    }
}

TEST_F(VwPrinter, TheDeviceMadeForTheFirstDocumentServesTheNextOnes) {
    TvwPrinter prn;
    EXPECT_EQ(prn.State(), psNoHandle);
    TDeviceContext* info = prn.Handle();
    EXPECT_EQ(prn.State(), psHandleIC);
    EXPECT_EQ(Modes.size(), 1u);
    EXPECT_EQ(prn.Handle(), info);
    // The document replaces the information context by a device context.
    prn.BeginDoc();
    EXPECT_EQ(prn.State(), psHandleDC);
    ASSERT_EQ(Modes.size(), 2u);
    TPrinter* device = prn.DC();
    EXPECT_EQ(PrinterRegistry()->Get(keyOf(prn)), &prn);
    EXPECT_EQ(prn.Handle(), Log->Jobs.back());
    prn.EndDoc();
    TDeviceContext* after = prn.Handle();
    EXPECT_EQ(prn.State(), psHandleDC);
    EXPECT_EQ(after, device->Handle());
    prn.BeginDoc();
    prn.EndDoc();
    EXPECT_EQ(prn.Handle(), after);
    EXPECT_EQ(prn.DC(), device);
    EXPECT_EQ(Modes.size(), 2u);  // no device made after the first document's
}

TEST_F(VwPrinter, DevicesAreMadeForThePrinterChosenInTheFramework) {
    Printer()->SetOutputFileName("/tmp/chosen.pdf");
    Printer()->SetOrientation(poLandscape);
    Printer()->SetPrinterIndex(-1);
    TvwPrinter prn;
    prn.Handle();
    ASSERT_EQ(Modes.size(), 1u);
    EXPECT_TRUE(Modes[0].Pdf);
    EXPECT_EQ(Modes[0].Device, Printer()->Printers()->Get(Printer()->PrinterIndex()));
    EXPECT_EQ(Modes[0].OutputFileName, "/tmp/chosen.pdf");
    EXPECT_EQ(Modes[0].Orientation, poLandscape);
}

TEST_F(VwPrinter, DestroyingItInTheMiddleOfADocumentEndsTheDocument) {
    auto prn = std::make_unique<TvwPrinter>();
    prn->BeginDoc();
    const intptr_t key = keyOf(*prn);
    prn.reset();
    EXPECT_EQ(Log->Finished, 1);
    EXPECT_EQ(Log->Aborted, 0);
    EXPECT_EQ(PrinterRegistry()->Get(key), nullptr);
}

TEST_F(VwPrinter, NoPrinterOrAnUnusableOneIsReported) {
    {
        auto old = SetPrinterListQuery([](TPrinter&) { return std::vector<String>{}; });
        TvwPrinter prn;
        EXPECT_EQ(raised<Exception>([&] { prn.BeginDoc(); }), "Printer not available");
        EXPECT_FALSE(prn.Printing());
        EXPECT_EQ(Log->PagesStarted, 0);
        SetPrinterListQuery(old);
    }
    {
        RefuseDevices = true;
        TvwPrinter prn;
        EXPECT_EQ(raised<EPrinter>([&] { prn.Handle(); }), "Printer selected is not valid");
        EXPECT_EQ(prn.State(), psNoHandle);
    }
    {
        // A device already made stays when no other can be made.
        RefuseDevices = false;
        TvwPrinter prn;
        TDeviceContext* info = prn.Handle();
        RefuseDevices = true;
        EXPECT_EQ(raised<EPrinter>([&] { prn.BeginDoc(); }), "Printer selected is not valid");
        EXPECT_EQ(prn.State(), psHandleIC);
        EXPECT_FALSE(prn.Printing());
        EXPECT_EQ(prn.Handle(), info);
    }
}

TEST_F(VwPrinter, ItsMetricsAreTheChosenPrintersAndAssignCopiesThem) {
    TvwPrinter prn;
    prn.SetTitle(u"Job");
    prn.BeginDoc();
    const TDeviceCaps f = FakePrinter::Facts();
    EXPECT_EQ(prn.PixelsPerInchX(), f.LogPixelsX);
    EXPECT_EQ(prn.PixelsPerInchY(), f.LogPixelsY);
    EXPECT_EQ(prn.PaperWidth(), f.PhysicalWidth);
    EXPECT_EQ(prn.PaperHeight(), f.PhysicalHeight);
    EXPECT_EQ(prn.OffsetX(), f.PhysicalOffsetX);
    EXPECT_EQ(prn.OffsetY(), f.PhysicalOffsetY);
    EXPECT_EQ(prn.PageWidth(), f.HorzRes);
    EXPECT_EQ(prn.PageHeight(), f.VertRes);

    TMetaFilePrinter copy(nullptr);
    copy.Assign(&prn);
    EXPECT_EQ(copy.PixelsPerInchX(), 600);
    EXPECT_EQ(copy.PaperWidth(), 5100);
    EXPECT_EQ(copy.OffsetY(), 100);
    EXPECT_EQ(copy.PageHeight(), 6400);
    EXPECT_TRUE(copy.Title().empty());
    EXPECT_FALSE(static_cast<ThtPrinter&>(copy).Printing());
    TStringList notAPrinter;
    EXPECT_THROW(copy.Assign(&notAPrinter), EConvertError);
    prn.EndDoc();
}

// The real framework printer into a PDF file, read back with poppler.
class VwPrinterToPdf : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        FIndex = Printer()->PrinterIndex();
        FOutput = Printer()->OutputFileName();
        Printer()->SetPrinterIndex(-1);
        Printer()->SetOutputFileName(Dir.file("job.pdf"));
    }
    void TearDown() override {
        Printer()->SetPrinterIndex(FIndex);
        Printer()->SetOutputFileName(FOutput);
    }
    static String run(const String& cmd) {
        String out;
        if (FILE* p = popen(cmd.c_str(), "r")) {
            char buf[4096];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
            pclose(p);
        }
        return out;
    }
    static int pageCount(const String& pdf) {
        const String info = run("pdfinfo '" + pdf + "'");
        const size_t at = info.find("Pages:");
        return at == String::npos ? -1 : std::atoi(info.c_str() + at + 6);
    }
    zrxtest::TempDir Dir;

private:
    int FIndex = 0;
    String FOutput;
};

TEST_F(VwPrinterToPdf, PrintsItsPagesIntoTheFile) {
    const String pdf = Dir.file("job.pdf");
    {
        TvwPrinter prn;
        prn.SetTitle(u"Сертификат пользователя");
        prn.BeginDoc();
        TCanvas* c = prn.Canvas();
        c->Font()->SetName("DejaVu Sans");
        c->Font()->SetSize(12);
        c->TextOut(prn.PixelsPerInchX(), prn.PixelsPerInchY(), "Первая страница");
        prn.NewPage();
        c->TextOut(prn.PixelsPerInchX(), prn.PixelsPerInchY(), "Second page");
        prn.EndDoc();
    }
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(pageCount(pdf), 2);
    const String text = run("pdftotext -layout '" + pdf + "' -");
    const size_t first = text.find("Первая страница"), second = text.find("Second page"), ff = text.find('\f');
    ASSERT_NE(first, String::npos) << text;
    ASSERT_NE(second, String::npos) << text;
    EXPECT_LT(first, ff);  // each on its own page
    EXPECT_GT(second, ff);
}

}  // namespace
