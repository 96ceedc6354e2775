// Helpers of the table tests: content cells that stand for laid-out content
// (fixed minimum and maximum width and height; they count and record what
// the table asks of them), content cells that hold a nested table, and a
// fixture with a document, a block and one table to fill.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ModelFixture.h"
#include "html/layout/Blocks.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Tables.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/RecordingDC.h"

namespace tabletest {

// Something in a content cell, so that the cell has content to place and draw.
class TStubSection : public TSectionBase {
public:
    explicit TStubSection(TCellBasic* Parent) : TSectionBase(Parent, nullptr, nullptr) {}
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override {
        return std::make_unique<TStubSection>(Parent);
    }
    int32_t DrawLogic1(TCanvas*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, TIndentManager*,
                       int32_t& MaxWidth, int32_t&) override {
        MaxWidth = 0;
        return 0;
    }
};

// A table cell's content with fixed widths and height.
class TStubCell : public TCellObjCell {
public:
    struct TLayout {
        int32_t Y, Width, AHeight;
    };
    struct TDraw {
        int32_t X, Y;
        TRect MyRect, ARect;
        TRect Clip;  // the clip box while the content drew
    };

    TStubCell(TBlock* Parent, int32_t AMin, int32_t AMax, int32_t AHeight)
        : TCellObjCell(Parent), Min(AMin), Max(AMax), Height(AHeight) {
        Add(std::make_unique<TStubSection>(this), 0);
    }
    void MinMaxWidth(TCanvas*, int32_t& AMin, int32_t& AMax) override {
        ++MinMaxCalls;
        AMin = Min;
        AMax = Max;
    }
    int32_t DoLogic(TCanvas*, int32_t Y, int32_t Width, int32_t AHeight, int32_t, int32_t& ScrollWidth,
                    int32_t& Curs) override {
        Layouts.push_back({Y, Width, AHeight});
        if (ThrowOnLayout || (ThrowOnPlacement && Y != 0)) throw std::runtime_error("layout fails");
        ScrollWidth = Width;
        StartCurs = Curs;
        Curs += Positions;
        Len = Positions;
        return Height;
    }
    int32_t Draw(TCanvas* Canvas, const TRect& ARect, int32_t, int32_t X, int32_t Y, int32_t, int32_t) override {
        Draws.push_back({X, Y, MyRect, ARect, Canvas->Handle()->GetClipBox()});
        if (ThrowOnDraw) throw std::runtime_error("drawing fails");
        return Y + Height;
    }
    // A link over the whole cell when Link is set.
    ThtguResultType GetURL(TCanvas*, int32_t, int32_t, std::unique_ptr<TUrlTarget>&, TFormControlObjBase*&,
                           std::u16string*) override {
        ++UrlCalls;
        return Link ? guUrl : 0;
    }
    // Layouts at y 0 measure; the others place.
    int Measures() const {
        int n = 0;
        for (const TLayout& l : Layouts) n += l.Y == 0;
        return n;
    }

    int32_t Min, Max, Height;
    int32_t Positions = 0;
    bool ThrowOnLayout = false, ThrowOnPlacement = false, ThrowOnDraw = false;
    bool Link = false;
    int MinMaxCalls = 0, UrlCalls = 0;
    std::vector<TLayout> Layouts;
    std::vector<TDraw> Draws;
};

// A table cell whose content is a nested table (as a block without a
// height would lay it out: no height available to it).
class TNestCell : public TCellObjCell {
public:
    explicit TNestCell(TBlock* Parent) : TCellObjCell(Parent) {
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
    int32_t Draw(TCanvas* Canvas, const TRect& ARect, int32_t, int32_t X, int32_t, int32_t XRef,
                 int32_t YRef) override {
        return Inner->Draw1(Canvas, ARect, &Room, X, XRef, YRef);
    }

    THtmlTable* Inner;
    TIndentManager Room;
};

// What a cell is made of in the tests.
struct TCellSpec {
    int32_t Min = 0, Max = 0, Height = 0;
    int32_t ColSpan = 1, RowSpan = 1;
    const char16_t* Width = nullptr;       // WIDTH as written ("50%", "2*", "120")
    const char16_t* HeightSpec = nullptr;  // HEIGHT as written
};

// Puts the stub in place of the cell's content.
inline TStubCell* UseStub(TCellObj* Cell, TBlock* Block, int32_t Min, int32_t Max, int32_t Height) {
    auto stub = std::make_unique<TStubCell>(Block, Min, Max, Height);
    TStubCell* raw = stub.get();
    Cell->FCell = std::move(stub);
    return raw;
}

// A rectangle as "(left,top,right,bottom)", for comparisons.
inline std::string Str(const TRect& R) {
    return "(" + std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
           std::to_string(R.Bottom) + ")";
}

inline TSpecWidth SpecOf(const char16_t* Text) {
    if (!Text) return TSpecWidth();
    const std::u16string t(Text);
    return MakeSpecFromText(std::stoi(std::string(t.begin(), t.end())), t);
}

class TableTest : public modeltest::RecordingScreenTest {
protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        Doc = std::make_unique<ThtDocument>(Owner(), nullptr);
        Block = new TBlock(Doc.get(), nullptr, nullptr);
        Doc->Add(std::unique_ptr<TSectionBase>(Block), 0);
        Canvas.SetDevice(&DC);
    }
    void TearDown() override {
        Canvas.SetDevice(nullptr);
        Doc.reset();
        RecordingScreenTest::TearDown();
    }
    // The document's owner (none unless a test needs one).
    virtual ThtDocumentOwner* Owner() { return nullptr; }

    // A table without padding and spacing, so that widths and heights are the cells' own.
    THtmlTable* NewTable(TAttributeList* Attr = nullptr, TProperties* Prop = nullptr, bool Plain = true) {
        auto table = std::make_unique<THtmlTable>(Block->MyCell.get(), Attr, Prop);
        Table = table.get();
        Block->MyCell->Add(std::move(table), 0);
        if (Plain) {
            Table->CellPadding = 0;
            Table->CellSpacingHorz = Table->CellSpacingVert = 0;
        }
        return Table;
    }
    TCellList* AddRow(TRowType Type = TRowType::TBody) {
        auto* row = new TCellList(nullptr, nullptr);
        row->RowType = Type;
        Table->Rows.Add(row);
        return row;
    }
    TStubCell* AddCell(TCellList* Row, const TCellSpec& S) {
        auto* cell = new TCellObj(Block, aTop, nullptr, nullptr);
        cell->FColSpan = S.ColSpan;
        cell->FRowSpan = S.RowSpan;
        cell->FSpecWd = SpecOf(S.Width);
        cell->FSpecHt = SpecOf(S.HeightSpec);
        TStubCell* stub = UseStub(cell, Block, S.Min, S.Max, S.Height);
        Row->Add(cell);
        return stub;
    }
    TCellObj* CellAt(int Row, int Slot) const {
        TCellList* row = Table->Rows.GetItem(Row);
        return row ? dynamic_cast<TCellObj*>(row->GetCellObj(Slot)) : nullptr;
    }
    // A new layout pass of the document.
    void NextPass() {
        ++Doc->CycleNumber;
        Doc->TableNestLevel = 0;
        Doc->InLogic2 = false;
    }
    // Lays the table out at Y in a room of Width.
    int32_t LayOut(int32_t Width, int32_t Y = 0, int32_t AHeight = 0) {
        NextPass();
        Room.Init(0, Width);
        int32_t maxWidth = 0, curs = 0;
        return Table->DrawLogic1(&Canvas, 0, Y, 0, 0, Width, AHeight, 0, &Room, maxWidth, curs);
    }

    std::unique_ptr<ThtDocument> Doc;
    TBlock* Block = nullptr;
    THtmlTable* Table = nullptr;
    TIndentManager Room;
    TRecordingDC DC{2000, 2000};
    TCanvas Canvas;
};

}  // namespace tabletest
