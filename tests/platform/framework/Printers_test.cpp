// The printer's facts before and during a job, and the one context a job
// draws through from its first page to its last: on Qt's PDF printer, on
// pages that are images, and on a printer whose contexts are recordings.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

#include "platform/framework/Printers.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/RecordingDC.h"
#include "support/PrinterFacts.h"
#include "support/TempDir.h"

namespace {

// Pages as images of 100 pixels per inch.
class ImagePrinter : public TPrinter {
public:
    std::vector<std::unique_ptr<QImage>> pages;

protected:
    QPaintDevice* StartDevice() override {
        pages.clear();
        return newPage();
    }
    bool NextDevicePage(QPainter& p) override {
        p.end();
        return p.begin(newPage());
    }
    void FinishDevice(bool) override {}

private:
    QImage* newPage() {
        auto img = std::make_unique<QImage>(200, 300, QImage::Format_RGB32);
        img->fill(Qt::white);
        const int dpm = int(100 / 0.0254 + 0.5);
        img->setDotsPerMeterX(dpm);
        img->setDotsPerMeterY(dpm);
        pages.push_back(std::move(img));
        return pages.back().get();
    }
};

// A 600-dpi printer whose information and job contexts are recordings.
class RecordedPrinter : public TPrinter {
public:
    TRecordingDC* job = nullptr;
    static TDeviceCaps Facts() { return zrxtest::LetterPrinterAt600Dpi(); }

protected:
    QPaintDevice* StartDevice() override { return &FPage; }
    bool NextDevicePage(QPainter&) override { return true; }
    void FinishDevice(bool) override {}
    TDeviceCaps PrinterCaps() const override { return Facts(); }
    std::unique_ptr<TDeviceContext> CreateInfoContext() const override {
        return std::make_unique<TRecordingDC>(Facts().HorzRes, Facts().VertRes, Facts());
    }
    std::unique_ptr<TDeviceContext> CreateJobContext(QPainter*) override {
        auto dc = std::make_unique<TRecordingDC>(Facts().HorzRes, Facts().VertRes, Facts());
        job = dc.get();
        return dc;
    }

private:
    QImage FPage{4, 4, QImage::Format_RGB32};
};

TEST(Printer, TheCanvasMeasuresAsThePrinterBeforeAJobAsDuringIt) {
    ensureQtApp();
    zrxtest::TempDir dir;
    TPrinter p;
    p.SetPrinterIndex(-1);  // the PDF file printer
    p.SetOutputFileName(dir.file("facts.pdf"));
    TCanvas* c = p.Canvas();
    c->Font()->SetName("DejaVu Sans");
    c->Font()->SetSize(10);
    TDeviceContext* info = c->Handle();
    const int dpi = info->GetDeviceCaps(LOGPIXELSY);
    EXPECT_EQ(dpi, p.PixelsPerInchY());
    EXPECT_GT(dpi, 96);  // the printer's resolution, not the screen's
    EXPECT_GT(info->GetDeviceCaps(PHYSICALWIDTH), info->GetDeviceCaps(HORZRES));
    EXPECT_GT(info->GetDeviceCaps(PHYSICALHEIGHT), info->GetDeviceCaps(VERTRES));
    // A 10-point font is 10/72 inch high at that resolution.
    EXPECT_GE(c->TextHeight("X"), MulDiv(10, dpi, 72));
    const int width = c->TextWidth("Printer");
    const int caps[] = {LOGPIXELSX,    LOGPIXELSY,     HORZRES,         VERTRES,
                        PHYSICALWIDTH, PHYSICALHEIGHT, PHYSICALOFFSETX, PHYSICALOFFSETY};
    std::vector<int> before;
    for (int i : caps) before.push_back(info->GetDeviceCaps(i));

    p.BeginDoc();
    TDeviceContext* page = c->Handle();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_NEAR(page->GetDeviceCaps(caps[i]), before[i], 1) << "index " << caps[i];
    EXPECT_EQ(c->TextWidth("Printer"), width);
    p.EndDoc();
    EXPECT_EQ(p.Canvas()->Handle()->GetDeviceCaps(LOGPIXELSY), dpi);
}

TEST(Printer, AnswersItsPhysicalOffsetsAndTurnsWithTheOrientation) {
    ensureQtApp();
    TPrinter p;
    p.SetPrinterIndex(-1);
    EXPECT_EQ(p.PhysicalOffsetX(), p.Handle()->GetDeviceCaps(PHYSICALOFFSETX));
    EXPECT_EQ(p.PhysicalOffsetY(), p.Handle()->GetDeviceCaps(PHYSICALOFFSETY));
    EXPECT_GE(p.PhysicalOffsetX(), 0);
    EXPECT_LE(p.PhysicalOffsetX() + p.PageWidth(), p.PhysicalWidth());
    EXPECT_LE(p.PhysicalOffsetY() + p.PageHeight(), p.PhysicalHeight());
    EXPECT_LT(p.PhysicalWidth(), p.PhysicalHeight());
    const int w = p.PhysicalWidth(), h = p.PhysicalHeight();
    p.SetOrientation(poLandscape);
    EXPECT_EQ(p.PhysicalWidth(), h);
    EXPECT_EQ(p.PhysicalHeight(), w);
    EXPECT_EQ(p.Canvas()->Handle()->GetDeviceCaps(PHYSICALWIDTH), h);
}

TEST(Printer, TheMappingGivenToAJobHoldsOnEveryPage) {
    ensureQtApp();
    ImagePrinter p;
    p.BeginDoc();
    TCanvas* c = p.Canvas();
    TDeviceContext* dc = c->Handle();
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(1, 1);
    dc->SetViewportExt(4, 4);
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 10, 10));
    p.NewPage();
    EXPECT_EQ(c->Handle()->GetMapMode(), MM_ANISOTROPIC);
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(0, 0, 10, 10));
    p.EndDoc();
    ASSERT_EQ(p.pages.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const QImage& page = *p.pages[i];
        EXPECT_EQ(fromQColor(page.pixelColor(39, 39)), i == 0 ? clRed : clBlue) << "page " << i + 1;
        EXPECT_EQ(fromQColor(page.pixelColor(40, 40)), clWhite) << "page " << i + 1;
    }
}

TEST(Printer, ARecordingPrinterKeepsItsFactsAndContextOverPages) {
    ensureQtApp();
    RecordedPrinter p;
    EXPECT_EQ(p.PixelsPerInchX(), 600);
    EXPECT_EQ(p.PageWidth(), 4800);
    EXPECT_EQ(p.PhysicalWidth(), 5100);
    EXPECT_EQ(p.PhysicalOffsetX(), 150);
    EXPECT_EQ(p.PhysicalOffsetY(), 100);
    TCanvas* c = p.Canvas();
    c->Font()->SetSize(10);
    TLogFont at600;
    at600.Height = -MulDiv(10, 600, 72);
    EXPECT_EQ(c->TextWidth("m"), TRecordingDC::Advance(at600, u'm'));

    p.BeginDoc();
    ASSERT_NE(p.job, nullptr);
    EXPECT_EQ(p.Handle(), p.job);
    p.job->SetMapMode(MM_ANISOTROPIC);
    p.job->SetWindowExt(96, 96);
    p.job->SetViewportExt(600, 600);
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 96, 96));
    p.NewPage();
    p.NewPage();
    EXPECT_EQ(p.Handle(), p.job);
    EXPECT_EQ(p.job->GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(p.job->LPtoDP(Point(96, 96)).X, 600);
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(0, 0, 96, 96));
    EXPECT_EQ(p.job->Calls("SetMapMode").size(), 1u);
    EXPECT_EQ(p.job->Calls("=fill").size(), 2u);
    EXPECT_EQ(p.PageNumber(), 3);
    p.EndDoc();
    EXPECT_EQ(p.Canvas()->Handle()->GetDeviceCaps(PHYSICALOFFSETY), 100);
}

}  // namespace
