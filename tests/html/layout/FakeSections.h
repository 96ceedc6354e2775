// Stand-ins for the document model's tests of blocks, cells and the
// document: a section of fixed size that records what is asked of it, fake
// window services (a timer that fires on demand, a settable left button, a
// count of repaints), and the helpers that build blocks from property sets
// as the parser would.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ModelFixture.h"
#include "html/layout/Blocks.h"
#include "html/layout/Document.h"
#include "html/layout/DocumentServices.h"
#include "html/layout/FloatManager.h"
#include "html/layout/SpecialBlocks.h"
#include "html/text/Properties.h"
#include "platform/framework/RecordingDC.h"

namespace modeltest {

// A section of fixed height and width that covers a fixed number of document
// positions (mapped one to one from source positions starting at
// SourceStart) and writes what it is asked into a shared log.
class TFakeSection : public TSectionBase {
public:
    TFakeSection(TCellBasic* Parent, std::string AName, int32_t AHeight, int32_t AWidth = 0, int32_t APositions = 0,
                 std::vector<std::string>* ALog = nullptr)
        : TSectionBase(Parent, nullptr, nullptr), Name(std::move(AName)), Height(AHeight), Width(AWidth),
          Positions(APositions), Log(ALog) {
        FDisplay = pdBlock;
    }

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override {
        auto copy = std::make_unique<TFakeSection>(Parent, Name, Height, Width, Positions, Log);
        copy->FDisplay = FDisplay;
        copy->ZIndex = ZIndex;
        copy->SourceStart = SourceStart;
        return copy;
    }
    int32_t DrawLogic1(TCanvas*, int32_t X, int32_t Y, int32_t, int32_t, int32_t AWidth, int32_t, int32_t,
                       TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override {
        LaidX = X;
        LaidWidth = AWidth;
        ++Layouts;
        if (OnLayout) OnLayout(IMgr, X, Y);
        YDraw = DrawTop = ContentTop = Y;
        StartCurs = Curs;
        Len = Positions;
        Curs += Positions;
        ContentBot = DrawBot = Y + Height;
        SectionHeight = DrawHeight = Height;
        MaxWidth = Width;
        DrawRect = Rect(X, Y, X + Width, Y + Height);
        return Height;
    }
    int32_t Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t X, int32_t, int32_t) override {
        DrawnX = X;
        // Like text, a drawn section is something on the printed page.
        if (FDocument) FDocument->FirstPageItem = false;
        if (OnDraw) OnDraw();
        if (Log) Log->push_back("draw " + Name);
        return YDraw + SectionHeight;
    }
    void MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) override {
        Min = MinWidth;
        Max = Width;
    }
    bool CursorToXY(TCanvas*, int32_t Cursor, int32_t& X, int32_t& Y) override {
        if (Cursor < StartCurs || Cursor >= StartCurs + Len) return false;
        X = 10 * (Cursor - StartCurs);
        Y = YDraw;
        return true;
    }
    int32_t FindDocPos(int32_t SourcePos, bool) override {
        if (SourcePos < SourceStart || SourcePos >= SourceStart + Positions) return -1;
        return StartCurs + SourcePos - SourceStart;
    }
    ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                           TFormControlObjBase*& FormControl, std::u16string* ATitle) override {
        if (OnGetURL) return OnGetURL(UrlTarg, ATitle);
        return TSectionBase::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
    }
    // Its name is its text.
    void CopyToClipboard() override {
        if (Log) Log->push_back("copy " + Name);
        if (FDocument && FDocument->CB) FDocument->CB->AddText(std::u16string(Name.begin(), Name.end()));
    }

    std::string Name;
    int32_t Height, Width, Positions;
    int32_t MinWidth = 0;
    int32_t SourceStart = 0;
    std::vector<std::string>* Log;
    // Runs first in every layout (may add floats or raise).
    std::function<void(TIndentManager* IMgr, int32_t X, int32_t Y)> OnLayout;
    std::function<ThtguResultType(std::unique_ptr<TUrlTarget>&, std::u16string*)> OnGetURL;
    std::function<void()> OnDraw;
    int32_t LaidX = -1, LaidWidth = -1, DrawnX = -1;
    int Layouts = 0;
};

// Appends a fake section to a cell; answers it.
inline TFakeSection* addFake(TCellBasic* Cell, std::string Name, int32_t Height, int32_t Width = 0,
                             int32_t Positions = 0, std::vector<std::string>* Log = nullptr) {
    auto s = std::make_unique<TFakeSection>(Cell, std::move(Name), Height, Width, Positions, Log);
    TFakeSection* p = s.get();
    Cell->Add(std::move(s), 0);
    return p;
}

// A block of the element made in Cell and appended to it (collapsing its
// margins with what is there, as the parser does).
template <class TB = TBlock, class... Extra> TB* addBlock(TCellBasic* Cell, TProperties& Prop, Extra... extra) {
    auto* block = new TB(Cell, nullptr, &Prop, extra...);
    Cell->Add(std::unique_ptr<TSectionBase>(block), 0);
    return block;
}

using TPropValues = std::vector<std::pair<ThtPropertyIndex, ThtVariant>>;

// A property set of the element with the given values (as set on the element).
inline std::unique_ptr<TProperties> boxProps(TElemSymb Sym, const char16_t* Tag, const TPropValues& Values) {
    auto p = props(Sym, Tag);
    for (const auto& [index, value] : Values) {
        p->Props[size_t(index)] = value;
        p->Originals[size_t(index)] = true;
    }
    return p;
}

class TFakeTimer : public ThtDocTimer {
public:
    explicit TFakeTimer(std::function<void()> Tick) : OnTick(std::move(Tick)) {}
    void SetEnabled(bool Value) override { FEnabled = Value; }
    bool Enabled() const override { return FEnabled; }
    void SetInterval(uint32_t Milliseconds) override { FInterval = Milliseconds; }
    uint32_t Interval() const override { return FInterval; }
    void Fire() {
        if (OnTick) OnTick();
    }
    std::function<void()> OnTick;

private:
    bool FEnabled = false;
    uint32_t FInterval = 0;
};

class TFakeServices : public ThtDocumentServices {
public:
    std::unique_ptr<ThtDocTimer> CreateTimer(std::function<void()> OnTick) override {
        auto t = std::make_unique<TFakeTimer>(std::move(OnTick));
        LastTimer = t.get();
        ++TimersMade;
        return t;
    }
    bool LeftButtonDown() override { return LeftDown; }
    void Invalidate(TWinControl*) override { ++Invalidations; }

    TFakeTimer* LastTimer = nullptr;  // valid while the document keeps it
    int TimersMade = 0;
    bool LeftDown = false;
    int Invalidations = 0;
};

// A hand-built document measured on a recording context of the given size.
struct TDocFixture {
    explicit TDocFixture(int W = 800, int H = 600) : dc(W, H) {
        canvas.SetDevice(&dc);
        doc->SetServices(services);
    }
    ~TDocFixture() { canvas.SetDevice(nullptr); }
    int32_t layout(int32_t Width = 800, int32_t Height = 600) {
        int32_t scroll = 0, curs = 0;
        return doc->DoLogic(&canvas, 0, Width, Height, 0, scroll, curs);
    }

    std::shared_ptr<TFakeServices> services = std::make_shared<TFakeServices>();
    std::unique_ptr<ThtDocument> doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    TRecordingDC dc;
    TCanvas canvas;
};

// A document with a body whose cell receives the blocks of a test.
struct TBodyFixture : TDocFixture {
    explicit TBodyFixture(int W = 800, int H = 600, const TPropValues& BodyValues = {}) : TDocFixture(W, H) {
        auto bodyProps = boxProps(BodySy, u"body", BodyValues);
        body = addBlock<TBodyBlock>(doc.get(), *bodyProps);
    }
    TCellBasic* cell() const { return body->MyCell.get(); }
    // A DIV with the given values holding one fake section.
    TBlock* block(const TPropValues& Values, int32_t Height = 50, TCellBasic* In = nullptr, int32_t Width = 0,
                  std::vector<std::string>* Log = nullptr, const char* Name = "in") {
        auto p = boxProps(DivSy, u"div", Values);
        TBlock* b = addBlock(In ? In : cell(), *p);
        addFake(b->MyCell.get(), Name, Height, Width, 0, Log);
        return b;
    }
    TBodyBlock* body = nullptr;
};

}  // namespace modeltest
