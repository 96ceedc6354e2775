// A printer without a printer: framework printers whose pages are a small
// image and whose contexts are recordings, at 600 pixels per inch on a page
// with margins, logging what the job asked of them. The fixture puts one in
// place of the framework's printer and makes the devices of TvwPrinter the
// same way; it restores the framework's printer, the device maker and the
// printer-list query afterwards.
#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <vector>

#include "html/viewer/HtmlPrinter.h"
#include "html/viewer/VwPrinter.h"
#include "platform/framework/Printers.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/RecordingDC.h"
#include "support/PrinterFacts.h"

namespace printertest {

struct DeviceLog {
    std::vector<String> Titles;  // one per document started
    int PagesStarted = 0;
    int Finished = 0;
    int Aborted = 0;
    std::vector<TRecordingDC*> Jobs;  // valid while their job runs
};

class FakePrinter : public TPrinter {
public:
    explicit FakePrinter(std::shared_ptr<DeviceLog> Log) : FLog(std::move(Log)) {}
    static TDeviceCaps Facts() { return zrxtest::LetterPrinterAt600Dpi(); }

protected:
    QPaintDevice* StartDevice() override {
        FLog->Titles.push_back(Title());
        ++FLog->PagesStarted;
        return &FPage;
    }
    bool NextDevicePage(QPainter&) override {
        ++FLog->PagesStarted;
        return true;
    }
    void FinishDevice(bool aborted) override { ++(aborted ? FLog->Aborted : FLog->Finished); }
    TDeviceCaps PrinterCaps() const override { return Facts(); }
    std::unique_ptr<TDeviceContext> CreateInfoContext() const override {
        return std::make_unique<TRecordingDC>(Facts().HorzRes, Facts().VertRes, Facts());
    }
    std::unique_ptr<TDeviceContext> CreateJobContext(QPainter*) override {
        auto dc = std::make_unique<TRecordingDC>(Facts().HorzRes, Facts().VertRes, Facts());
        FLog->Jobs.push_back(dc.get());
        return dc;
    }

private:
    std::shared_ptr<DeviceLog> FLog;
    QImage FPage{4, 4, QImage::Format_RGB32};
};

class PrinterFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        FOldPrinter = SetPrinter(new FakePrinter(std::make_shared<DeviceLog>()));
        FOldFactory = SetPrinterDeviceFactory([this](const TPrinterDeviceMode& Mode) -> std::unique_ptr<TPrinter> {
            Modes.push_back(Mode);
            if (RefuseDevices) return nullptr;
            return std::make_unique<FakePrinter>(Log);
        });
        FOldQuery = SetPrinterListQuery(nullptr);
    }
    void TearDown() override {
        SetPrinterListQuery(FOldQuery);
        SetPrinterDeviceFactory(FOldFactory);
        delete SetPrinter(FOldPrinter);
    }

    std::shared_ptr<DeviceLog> Log = std::make_shared<DeviceLog>();
    std::vector<TPrinterDeviceMode> Modes;  // one per device made
    bool RefuseDevices = false;

private:
    TPrinter* FOldPrinter = nullptr;
    TPrinterDeviceFactory FOldFactory;
    TPrinterListQuery FOldQuery;
};

}  // namespace printertest
