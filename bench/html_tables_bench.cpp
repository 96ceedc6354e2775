// Table layout where its cost can run away: nested tables, whose cells every
// level asks for widths and heights again (the time must grow linearly with
// the depth), beside QTextDocument laying out the same nesting of tables;
// and the column widths of a wide table with spanning cells.
//
// In the first nest our cells stand for laid-out content of fixed widths and
// height, so the numbers measure the table code alone; in the second every
// table sits in its table block inside a cell, beside a cell of text, laid
// out through the document as a page is. Qt's cells hold a short text. Qt's
// time grows exponentially with the depth (20 levels take many seconds), so
// it runs only to 12.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QString>
#include <QTextDocument>
#include <memory>

#include "html/layout/Blocks.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Sections.h"
#include "html/layout/TableBlocks.h"
#include "html/layout/Tables.h"
#include "html/layout/TokenBuffers.h"
#include "html/text/Properties.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/Graphics.h"

namespace {

// Content of fixed widths and height.
class TFixedCell : public TCellObjCell {
public:
    explicit TFixedCell(TBlock* Parent) : TCellObjCell(Parent) {}
    void MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) override {
        Min = 40;
        Max = 120;
    }
    int32_t DoLogic(TCanvas*, int32_t, int32_t, int32_t, int32_t, int32_t& ScrollWidth, int32_t&) override {
        ScrollWidth = 0;
        return 16;
    }
};

// Content that is a nested table.
class TNestedCell : public TCellObjCell {
public:
    explicit TNestedCell(TBlock* Parent) : TCellObjCell(Parent) {
        auto inner = std::make_unique<THtmlTable>(this, nullptr, nullptr);
        Inner = inner.get();
        Add(std::move(inner), 0);
    }
    void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) override { Inner->MinMaxWidth(Canvas, Min, Max); }
    int32_t DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t, int32_t, int32_t& ScrollWidth,
                    int32_t& Curs) override {
        Room.Init(0, Width);
        return Inner->DrawLogic1(Canvas, 0, Y, 0, 0, Width, 0, 0, &Room, ScrollWidth, Curs);
    }
    THtmlTable* Inner;
    TIndentManager Room;
};

struct TNest {
    std::unique_ptr<ThtDocument> Doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    TBlock* Block = nullptr;
    THtmlTable* Outer = nullptr;
    TIndentManager Room;

    explicit TNest(int Depth) {
        Block = new TBlock(Doc.get(), nullptr, nullptr);
        Doc->Add(std::unique_ptr<TSectionBase>(Block), 0);
        auto outer = std::make_unique<THtmlTable>(Block->MyCell.get(), nullptr, nullptr);
        Outer = outer.get();
        Block->MyCell->Add(std::move(outer), 0);
        THtmlTable* table = Outer;
        for (int level = 1; level <= Depth; ++level) {
            auto* row = new TCellList(nullptr, nullptr);
            table->Rows.Add(row);
            THtmlTable* inner = nullptr;
            if (level < Depth) {
                auto* cell = new TCellObj(Block, aTop, nullptr, nullptr);
                auto nested = std::make_unique<TNestedCell>(Block);
                inner = nested->Inner;
                cell->FCell = std::move(nested);
                row->Add(cell);
            }
            auto* own = new TCellObj(Block, aTop, nullptr, nullptr);
            own->FCell = std::make_unique<TFixedCell>(Block);
            row->Add(own);
            table = inner;
        }
    }
    int32_t LayOut() {
        ++Doc->CycleNumber;
        Room.Init(0, 800);
        int32_t maxWidth = 0, curs = 0;
        return Outer->DrawLogic1(nullptr, 0, 0, 0, 0, 800, 0, 0, &Room, maxWidth, curs);
    }
};

void BM_NestedTables(benchmark::State& state) {
    TNest nest(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(nest.LayOut());
}
BENCHMARK(BM_NestedTables)->Arg(5)->Arg(10)->Arg(20)->Arg(40)->Unit(benchmark::kMicrosecond);

// Tables in table blocks nested in cells, each beside a cell of text, as the
// parser builds them; laid out through the document on the screen's metrics.
struct TBlockNest {
    std::unique_ptr<ThtDocument> Doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    std::unique_ptr<TProperties> TableProp = std::make_unique<TProperties>();
    std::unique_ptr<TProperties> TextProp = std::make_unique<TProperties>();
    std::unique_ptr<TDeviceContext> Screen = GetScreenDC();
    TCanvas Canvas;

    explicit TBlockNest(int Depth) {
        TableProp->PropSym = TableSy;
        TableProp->PropTag = u"table";
        TextProp->PropSym = PSy;
        TextProp->PropTag = u"p";
        Canvas.SetDevice(Screen.get());
        TCellBasic* cell = Doc.get();
        for (int level = 1; level <= Depth; ++level) {
            auto table = std::make_unique<THtmlTable>(cell, nullptr, TableProp.get());
            auto block = std::make_unique<TTableBlock>(cell, nullptr, TableProp.get(), table.get(), level);
            THtmlTable* t = table.get();
            TTableBlock* b = block.get();
            block->MyCell->Add(std::move(table), 0);
            cell->Add(std::move(block), 0);
            auto* row = new TCellList(nullptr, nullptr);
            t->Rows.Add(row);
            TCellObjCell* next = nullptr;
            if (level < Depth) {
                auto* nested = new TCellObj(b, aTop, nullptr, nullptr);
                row->Add(nested);
                next = nested->FCell.get();
            }
            auto* own = new TCellObj(b, aTop, nullptr, nullptr);
            std::unique_ptr<TSection> text =
                std::make_unique<TSection>(own->FCell.get(), nullptr, TextProp.get(), nullptr, false);
            TTokenObj token;
            const std::u16string words = u"cell text";
            for (size_t i = 0; i < words.size(); ++i) token.AddUnicodeChar(words[i], int32_t(i));
            text->AddTokenObj(token);
            own->FCell->AddSection(text, 0);
            row->Add(own);
            cell = next;
        }
    }
    ~TBlockNest() { Canvas.SetDevice(nullptr); }
    int32_t LayOut(int32_t Width) {
        int32_t scroll = 0, curs = 0;
        return Doc->DoLogic(&Canvas, 0, Width, 600, 0, scroll, curs);
    }
};

void BM_NestedTablesInBlocks(benchmark::State& state) {
    TBlockNest nest(int(state.range(0)));
    int32_t width = 800;
    for (auto _ : state) {
        width = width == 800 ? 801 : 800;
        benchmark::DoNotOptimize(nest.LayOut(width));
    }
}
BENCHMARK(BM_NestedTablesInBlocks)->Arg(5)->Arg(10)->Arg(20)->Arg(40)->Unit(benchmark::kMicrosecond);

void BM_QtNestedTables(benchmark::State& state) {
    QString html;
    for (int i = 0; i < state.range(0); ++i) html += "<table border=1><tr><td>";
    for (int i = 0; i < state.range(0); ++i) html += "</td><td>cell text</td></tr></table>";
    QTextDocument doc;
    doc.setHtml(html);
    qreal width = 800;
    for (auto _ : state) {
        width = width == 800 ? 801 : 800;  // a new width: a new layout
        doc.setTextWidth(width);
        benchmark::DoNotOptimize(doc.size());
    }
}
BENCHMARK(BM_QtNestedTables)->Arg(5)->Arg(10)->Arg(12)->Unit(benchmark::kMicrosecond);

// One table of 200 rows by 50 columns, every fifth row with a cell across
// five columns: the widths for a room, every pass gathering anew.
void BM_WideTableWidths(benchmark::State& state) {
    ThtDocument doc(nullptr, nullptr);
    auto* block = new TBlock(&doc, nullptr, nullptr);
    doc.Add(std::unique_ptr<TSectionBase>(block), 0);
    auto owned = std::make_unique<THtmlTable>(block->MyCell.get(), nullptr, nullptr);
    THtmlTable* table = owned.get();
    block->MyCell->Add(std::move(owned), 0);
    for (int r = 0; r < 200; ++r) {
        auto* row = new TCellList(nullptr, nullptr);
        table->Rows.Add(row);
        for (int c = 0; c < 50;) {
            auto* cell = new TCellObj(block, aTop, nullptr, nullptr);
            cell->FCell = std::make_unique<TFixedCell>(block);
            cell->FColSpan = r % 5 == 0 && c % 10 == 0 ? 5 : 1;
            c += cell->FColSpan;
            row->Add(cell);
        }
    }
    TIndentManager room;
    room.Init(0, 3000);
    for (auto _ : state) {
        ++doc.CycleNumber;
        benchmark::DoNotOptimize(table->FindTableWidth(nullptr, &room, 0));
    }
}
BENCHMARK(BM_WideTableWidths)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
