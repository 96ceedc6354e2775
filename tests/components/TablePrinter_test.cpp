#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <regex>

#include "components/CAdvancedListView.h"
#include "platform/framework/Forms.h"
#include "support/TempDir.h"

#include "CompoundFixture.h"

namespace {

// Pages as images of 100 pixels per inch, A4-sized (210 x 297 mm).
class RecordingPrinter : public TPrinter {
public:
    std::vector<std::unique_ptr<QImage>> pages;
    static constexpr int dpi = 100;

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
        auto img = std::make_unique<QImage>(827, 1169, QImage::Format_RGB32);
        img->fill(Qt::white);
        int dpm = int(dpi / 0.0254 + 0.5);
        img->setDotsPerMeterX(dpm);
        img->setDotsPerMeterY(dpm);
        pages.push_back(std::move(img));
        return pages.back().get();
    }
};

// Millimetres on the recording pages.
int mm(int v) { return int(v * (RecordingPrinter::dpi / 25.4)); }

struct Fetch {
    int page;
    TCCellTypes type;
    int row;
};

struct TablePrinterTest : ::testing::Test {
    TForm* form = nullptr;
    TCAdvancedListView* lv = nullptr;
    RecordingPrinter* rec = nullptr;
    TPrinter* old = nullptr;
    std::vector<Fetch> fetches;
    int newPages = 0;
    void SetUp() override {
        EnsureApplication();
        rec = new RecordingPrinter;
        old = SetPrinter(rec);
        form = CreateComponent<TForm>(Application);
        lv = add<TCAdvancedListView>(form, form, "list");
        for (auto [c, w] : {std::pair{"Имя", 100}, std::pair{"Значение", 300}}) {
            TListColumn* col = lv->Columns()->Add();
            col->SetCaption(c);
            col->SetWidth(w);
        }
        // Record every row asked for, with the page it is asked on.
        TCTablePrinter* p = lv->TablePrinter();
        auto inner = p->OnGetRow;
        p->OnGetRow = [this, inner, p](TObject* s, TCCellTypes t, int row, bool& cancel) {
            fetches.push_back({p->PageNumber(), t, row});
            inner(s, t, row, cancel);
        };
        lv->OnNewPage = [this](TObject*) { ++newPages; };
    }
    void TearDown() override {
        form->Free();
        SetPrinter(old);
        delete rec;
    }
    void rows(int n, const String& value = "v") {
        for (int i = 0; i < n; ++i) {
            TListItem* it = lv->Items()->Add();
            it->SetCaption("row " + std::to_string(i));
            it->SubItems()->Add(value);
        }
    }
    // The pages on which data row `row` was printed last (its final fetch).
    int pageOfRow(int row) const {
        int page = -1;
        for (auto& f : fetches)
            if (f.type == ctDataRow && f.row == row) page = f.page;
        return page;
    }
    int fetchCount(TCCellTypes t, int page) const {
        int n = 0;
        for (auto& f : fetches) n += f.type == t && f.page == page;
        return n;
    }
};

TEST_F(TablePrinterTest, RowsMoveToTheNextPageAndTheHeaderRepeatsOnlyWhenAsked) {
    rows(120);
    lv->PrinterSettings()->Printer()->SetPrintTableHeader(true);
    lv->Print("Таблица");
    ASSERT_GE(rec->pages.size(), 2u);
    EXPECT_EQ(newPages, int(rec->pages.size()));
    EXPECT_EQ(fetchCount(ctTableHeader, 1), 1);
    EXPECT_EQ(fetchCount(ctTableHeader, 2), 0);
    // The row that did not fit is fetched again on the next page and printed there.
    int firstOn2 = -1;
    for (auto& f : fetches)
        if (f.type == ctDataRow && f.page == 2) {
            firstOn2 = f.row;
            break;
        }
    ASSERT_GT(firstOn2, 0);
    int onPage1 = 0;
    for (auto& f : fetches) onPage1 += f.type == ctDataRow && f.page == 1 && f.row == firstOn2;
    EXPECT_EQ(onPage1, 1);
    EXPECT_EQ(pageOfRow(firstOn2), 2);
    EXPECT_EQ(pageOfRow(firstOn2 - 1), 1);
    // The job ended with the fetch past the last row.
    EXPECT_EQ(fetches.back().type, ctDataRow);
    EXPECT_EQ(fetches.back().row, 120);
    EXPECT_FALSE(rec->Printing());

    // RepeatTableHeader alone: pages 2 and later only.
    fetches.clear();
    newPages = 0;
    lv->PrinterSettings()->Printer()->SetPrintTableHeader(false);
    lv->PrinterSettings()->Printer()->SetRepeatTableHeader(true);
    lv->Print("Таблица");
    EXPECT_EQ(fetchCount(ctTableHeader, 1), 0);
    EXPECT_EQ(fetchCount(ctTableHeader, 2), 1);
    // The header's navy fill shows at the top of page 2's table area.
    const QImage& p2 = *rec->pages[1];
    int top = mm(20) + 4;
    int left = mm(25) + 20;
    EXPECT_EQ(p2.pixelColor(left, top), QColor(0, 0, 128));
    std::string png = testing::TempDir() + "/table-page2.png";
    p2.save(QString::fromStdString(png));
    // Clearing PrintTableHeader clears RepeatTableHeader.
    lv->PrinterSettings()->Printer()->SetPrintTableHeader(false);
    EXPECT_FALSE(lv->TablePrinter()->RepeatTableHeader());
}

TEST_F(TablePrinterTest, OverTallRowIsPrintedClippedAndTheJobEnds) {
    rows(1);
    String huge;
    for (int i = 0; i < 4000; ++i) huge += "слово ";
    TListItem* big = lv->Items()->Add();
    big->SetCaption("big");
    big->SubItems()->Add(huge);
    TListItem* after = lv->Items()->Add();
    after->SetCaption("after");
    after->SubItems()->Add("x");
    lv->Print("clip");
    ASSERT_EQ(rec->pages.size(), 3u);
    EXPECT_EQ(pageOfRow(0), 1);
    EXPECT_EQ(pageOfRow(1), 2);  // on a fresh page, clipped
    EXPECT_EQ(pageOfRow(2), 3);
    // Nothing is drawn below the table area's bottom edge.
    const QImage& p2 = *rec->pages[1];
    int below = p2.height() - mm(20) + 3;
    int above = p2.height() - mm(20) - 10;
    int inked = 0;
    for (int x = 0; x < p2.width(); ++x) inked += p2.pixelColor(x, above) != QColor(Qt::white);
    EXPECT_GT(inked, 0);  // the clipped row reaches the edge
    for (int x = 0; x < p2.width(); x += 7) ASSERT_EQ(p2.pixelColor(x, below), QColor(Qt::white)) << x;
}

TEST_F(TablePrinterTest, EmptyListPrintsTheFixedRowsOfPageOne) {
    lv->SetTitle("Заголовок");
    EXPECT_TRUE(lv->TablePrinter()->PrintTitle());
    lv->PrinterSettings()->Printer()->SetPrintTableHeader(true);
    int headers = 0;
    lv->OnGetPageHeader = [&](TObject*, TCTablePrinter* p, bool&) {
        ++headers;
        p->AddCell("страница", 1, 0, clWhite);
    };
    lv->PrinterSettings()->Printer()->SetPrintHeader(true);
    lv->Print("empty");
    EXPECT_EQ(rec->pages.size(), 1u);
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(fetchCount(ctTitle, 1), 1);
    EXPECT_EQ(fetchCount(ctTableHeader, 1), 1);
    // An empty title: no title row.
    lv->SetTitle("");
    EXPECT_FALSE(lv->TablePrinter()->PrintTitle());
}

TEST_F(TablePrinterTest, RowCellsFollowTheColumns) {
    rows(1);
    lv->Items()->Item(0)->SubItems()->Add("beyond the columns");
    lv->Columns()->Items(1)->SetAlignment(taRightJustify);
    TCTablePrinter* p = lv->TablePrinter();
    ASSERT_TRUE(p->GetRow(ctDataRow, 0));
    ASSERT_EQ(p->Cells().Count(), 2);  // the extra sub-item is left out
    EXPECT_EQ(p->Cells().At(0)->Alignment, 2);
    EXPECT_EQ(p->Cells().At(1)->Alignment, 1);
    EXPECT_FLOAT_EQ(p->Cells().At(0)->WidthShare, 0.25f);
    EXPECT_FLOAT_EQ(p->Cells().At(1)->WidthShare, 0.75f);
    EXPECT_EQ(p->Cells().At(1)->FrameColor, clBlack);
    EXPECT_FALSE(p->GetRow(ctDataRow, 1));  // past the last row
    // Columns of width 0: equal shares, no division by zero.
    lv->Columns()->Items(0)->SetWidth(0);
    lv->Columns()->Items(1)->SetWidth(0);
    ASSERT_TRUE(p->GetRow(ctTableHeader, -1));
    EXPECT_FLOAT_EQ(p->Cells().At(0)->WidthShare, 0.5f);
    zrxtest::TempDir dir;
    lv->PrinterSettings()->Printer()->SetPrintTableHeader(true);
    ASSERT_EQ(lv->SaveToHTML(dir.file("z.htm")), 0);
    EXPECT_NE(zrxtest::readFile(dir.file("z.htm")).find("WIDTH=\"50%\""), std::string::npos);
}

// Whether a page has ink (anything not white) in the box.
bool inked(const QImage& page, int left, int top, int right, int bottom) {
    for (int y = std::max(top, 0); y < std::min(bottom, page.height()); ++y)
        for (int x = std::max(left, 0); x < std::min(right, page.width()); ++x)
            if (page.pixel(x, y) != qRgb(255, 255, 255)) return true;
    return false;
}

// A column dragged shut, or several: the row stays between the margins and
// every open column's text is printed, each in its own share of the row.
TEST_F(TablePrinterTest, ShutColumnsTakeNoRoomOnThePage) {
    struct Case {
        std::vector<int> widths;
    } cases[] = {{{100, 0, 300}}, {{0, 200, 200}}, {{200, 200, 0}}, {{0, 0, 400}}, {{0, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.widths[0] << "," << c.widths[1] << "," << c.widths[2]);
        lv->Columns()->Clear();
        lv->Items()->Clear();
        for (int w : c.widths) lv->Columns()->Add()->SetWidth(w);
        TListItem* it = lv->Items()->Add();
        it->SetCaption("WWWWWWWWWWWWWWWW");
        it->SubItems()->Add("WWWWWWWWWWWWWWWW");
        it->SubItems()->Add("WWWWWWWWWWWWWWWW");
        lv->Print("shut");
        ASSERT_EQ(rec->pages.size(), 1u);
        const QImage& page = *rec->pages[0];
        const int left = mm(25), right = page.width() - mm(20), top = mm(20);
        // Nothing beyond the right margin but the last frame's own edge.
        EXPECT_FALSE(inked(page, right + mm(1) + 2, 0, page.width(), page.height()));
        // Each open column's text within its share; all shut: equal shares.
        int total = 0;
        for (int w : c.widths) total += w;
        int x = left;
        for (size_t i = 0; i < c.widths.size(); ++i) {
            const int share = total ? (right - left) * c.widths[i] / total : (right - left) / 3;
            if (share > 0) {
                EXPECT_TRUE(inked(page, x + 4, top + 2, x + share - 4, top + mm(15))) << "column " << i;
            }
            x += share;
        }
    }
}

TEST_F(TablePrinterTest, DefPrintAsksThePrintDialog) {
    rows(3);
    lv->PrinterSettings()->SetJobTitle("Журнал");
    int asked = 0;
    TModalHook prev = SetModalHook([&](TObject* w) {
        asked += dynamic_cast<TPrintDialog*>(w) != nullptr;
        return asked == 1 ? int(mrCancel) : int(mrOk);
    });
    lv->DefPrint();  // cancelled: nothing printed
    EXPECT_TRUE(rec->pages.empty());
    lv->DefPrint();
    SetModalHook(prev);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(rec->pages.size(), 1u);
    EXPECT_EQ(rec->Title(), "Журнал");
}

TEST(TablePrinterPdf, RealJobToPdf) {
    EnsureApplication();
    zrxtest::TempDir dir;
    auto* real = new TPrinter;
    TPrinter* old = SetPrinter(real);
    real->SetPrinterIndex(-1);
    ASSERT_TRUE(real->IsPdf());
    real->SetOutputFileName(dir.file("table.pdf"));
    auto* form = CreateComponent<TForm>(Application);
    auto* lv = add<TCAdvancedListView>(form, form, "list");
    lv->Columns()->Add()->SetCaption("Номер");
    lv->Columns()->Add()->SetCaption("Владелец");
    for (int i = 0; i < 150; ++i) {
        TListItem* it = lv->Items()->Add();
        it->SetCaption(std::to_string(i));
        it->SubItems()->Add("Иванов Иван Иванович");
    }
    lv->PrinterSettings()->Printer()->SetPrintTableHeader(true);
    lv->PrinterSettings()->Printer()->SetRepeatTableHeader(true);
    int begins = 0, ends = 0;
    lv->OnBeginDoc = [&](TObject*) { ++begins; };
    lv->OnEndDoc = [&](TObject*) { ++ends; };
    lv->Print("Список");
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    std::string pdf = zrxtest::readFile(dir.file("table.pdf"));
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    std::regex page("/Type\\s*/Page[^s]");
    auto n = std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator());
    EXPECT_GE(n, 2);
    form->Free();
    SetPrinter(old);
    delete real;
}

}  // namespace
