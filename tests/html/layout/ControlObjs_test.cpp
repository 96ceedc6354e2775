// Control objects and inline frames: the control sized from its natural
// size, the printed placeholder, frame attributes, the nested viewer made
// and loaded through the document's owner with the outer parse state kept,
// and frames that frame each other stopped.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "SectionFixture.h"
#include "html/layout/AttributeList.h"
#include "html/layout/ControlObjs.h"
#include "html/layout/Document.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/RecordingDC.h"

// The Qt application (Forms.h cannot be included beside the style types:
// both name an enumerator wsNormal).
void EnsureApplication();

namespace {

using namespace modeltest;
using namespace sectiontest;

std::unique_ptr<TAttributeList> attrs(std::initializer_list<std::pair<TAttrSymb, const char16_t*>> list) {
    auto l = std::make_unique<TAttributeList>();
    for (const auto& [sym, value] : list) l->Add(attr(sym, u"X", value, std::u16string(value) == u"0" ? 0 : 5));
    return l;
}

// Pages by address and the frame each holds; loading a page builds its
// document (and so its frames) at once, as the viewer's parse does.
struct Site {
    std::map<std::u16string, std::u16string> frameOf;
    std::vector<std::u16string> loads;
    std::function<void(const std::u16string&)> onLoad;
    FakeOwner owner;
    int pictures = 0;
};

class FakeFrameViewer : public ThtFrameViewer {
public:
    explicit FakeFrameViewer(Site& S) : site(S) {}
    ~FakeFrameViewer() override {
        frame.reset();  // before the page it belongs to
        page.reset();
        if (panel) panel->Free();
    }
    TWinControl* Control() override { return panel; }
    void Load(const std::u16string& Url) override {
        site.loads.push_back(Url);
        if (site.onLoad) site.onLoad(Url);
        frame.reset();
        page = std::make_unique<ThtDocument>(&site.owner, nullptr);
        auto it = site.frameOf.find(Url);
        if (it == site.frameOf.end()) return;
        auto l = attrs({{SrcSy, it->second.c_str()}});
        frame = std::make_unique<TFrameObj>(page.get(), 0, l.get(), nullptr);
    }
    TColor BackgroundColor() override { return clYellow; }
    bool DrawPicture(TCanvas*, int, int, int, int) override {
        ++site.pictures;
        return true;
    }

    Site& site;
    TPanel* panel = nullptr;
    std::unique_ptr<ThtDocument> page;
    std::unique_ptr<TFrameObj> frame;
};

class ControlObjsTest : public RecordingScreenTest {
protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        EnsureApplication();
        site.owner.makeViewer = [this] { return std::make_unique<FakeFrameViewer>(site); };
        doc = std::make_unique<ThtDocument>(&site.owner, nullptr);
    }
    void TearDown() override {
        doc.reset();
        RecordingScreenTest::TearDown();
    }
    std::unique_ptr<TFrameObj> frame(std::initializer_list<std::pair<TAttrSymb, const char16_t*>> list) {
        auto l = attrs(list);
        return std::make_unique<TFrameObj>(doc.get(), 0, l.get(), nullptr);
    }

    Site site;
    std::unique_ptr<ThtDocument> doc;
};

TEST_F(ControlObjsTest, FrameAttributes) {
    struct Case {
        const char16_t* scrolling;
        bool noScroll;
    } cases[] = {{u"no", true}, {u"No", true}, {u" NO ", true}, {u"yes", false}, {u"auto", false}};
    for (const Case& c : cases) EXPECT_EQ(frame({{ScrollingSy, c.scrolling}})->NoScroll, c.noScroll);
    auto f = frame({{FrameBorderSy, u"0"}, {MarginWidthSy, u"5"}, {MarginHeightSy, u"5"}, {AltSy, u"Map\n"}});
    EXPECT_TRUE(f->NoBorder);
    EXPECT_EQ(f->frMarginWidth, 5);
    EXPECT_EQ(f->frMarginHeight, 5);
    EXPECT_EQ(f->Alt(), u"Map");
    EXPECT_EQ(f->GetBackgroundColor(), clYellow);
}

TEST_F(ControlObjsTest, NestedViewerMadeAndLoaded) {
    // Without SRC the viewer is made and nothing is loaded.
    auto empty = frame({});
    EXPECT_EQ(site.owner.framesMade, 1);
    EXPECT_NE(empty->FViewer, nullptr);
    EXPECT_TRUE(empty->FUrl.empty());
    EXPECT_TRUE(site.loads.empty());

    site.owner.prefix = u"/base/";
    auto f = frame({{SrcSy, u" page.htm "}});
    EXPECT_EQ(f->FSource, u"page.htm");
    EXPECT_EQ(f->FUrl, u"/base/page.htm");
    EXPECT_EQ(site.loads, std::vector<std::u16string>({u"/base/page.htm"}));

    // A print copy gets a viewer of its own and loads nothing again.
    auto copy = f->CreateCopy(doc.get());
    EXPECT_EQ(site.owner.framesMade, 3);
    EXPECT_EQ(site.loads.size(), 1u);

    doc->ExpandName = [](TObject*, const std::u16string& Src, std::u16string& Result) { Result = u"app:" + Src; };
    EXPECT_EQ(frame({{SrcSy, u"x.htm"}})->FUrl, u"app:x.htm");
    doc->ExpandName = nullptr;

    // An owner that makes no viewer: the frame stands without one.
    site.owner.makeViewer = nullptr;
    auto none = frame({{SrcSy, u"y.htm"}});
    EXPECT_EQ(none->GetControl(), nullptr);
    EXPECT_EQ(none->GetBackgroundColor(), clNone);
}

class MiniStack : public ThtModelPropStack {
public:
    TProperties* PushNewProp(TElemSymb, std::u16string_view, std::u16string_view, std::u16string_view,
                             std::u16string_view, TProperties*) override {
        return nullptr;
    }
    void PopAProp(TElemSymb) override {}
};

TEST_F(ControlObjsTest, OuterParseStateSurvivesTheNestedLoad) {
    auto stack = std::make_unique<MiniStack>();
    MiniStack* outer = stack.get();
    doc->SetPropStack(std::move(stack));
    ThtmlFormBase form(doc.get());
    doc->SetCurrentForm(&form);
    doc->SetNoBreak(true);
    doc->SetCurrentStyle(fsSet(fsBold));
    bool sawOuterStack = true;
    site.onLoad = [&](const std::u16string& Url) {
        sawOuterStack = doc->PropStack() == outer;
        doc->SetNoBreak(false);
        doc->SetCurrentForm(nullptr);
        doc->SetCurrentStyle(0);
        if (Url == u"bad.htm") throw std::runtime_error("load failed");
    };
    auto check = [&] {
        EXPECT_EQ(doc->PropStack(), outer);
        EXPECT_EQ(doc->CurrentForm(), &form);
        EXPECT_TRUE(doc->NoBreak());
        EXPECT_EQ(doc->CurrentStyle(), fsSet(fsBold));
    };
    frame({{SrcSy, u"good.htm"}});
    EXPECT_FALSE(sawOuterStack);
    check();
    EXPECT_THROW(frame({{SrcSy, u"bad.htm"}}), std::runtime_error);
    check();
    // The failed load left no trace in the chain of frames being loaded.
    site.onLoad = nullptr;
    site.loads.clear();
    frame({{SrcSy, u"bad.htm"}});
    EXPECT_EQ(site.loads.size(), 1u);
    doc->SetCurrentForm(nullptr);
    doc->SetPropStack(nullptr);
}

TEST_F(ControlObjsTest, FramesThatFrameEachOtherStop) {
    LogCapture log;
    site.frameOf = {{u"a.htm", u"b.htm"}, {u"b.htm", u"A.HTM"}};
    frame({{SrcSy, u"a.htm"}});
    EXPECT_EQ(site.loads, std::vector<std::u16string>({u"a.htm", u"b.htm"}));
    ASSERT_EQ(LogCapture::records().size(), 1u);
    EXPECT_NE(LogCapture::records()[0].second.find("A.HTM"), std::string::npos);

    // A chain of different pages stops a few levels down.
    site.loads.clear();
    site.frameOf.clear();
    for (int i = 1; i < 20; ++i)
        site.frameOf[u"p" + std::u16string(1, char16_t(u'a' + i))] = u"p" + std::u16string(1, char16_t(u'a' + i + 1));
    frame({{SrcSy, u"pb"}});
    EXPECT_EQ(site.loads.size(), TFrameObj::MaxFrameNesting);
    EXPECT_EQ(LogCapture::records().size(), 2u);
}

std::vector<int> bounds(const TControl* C) { return {C->Left(), C->Top(), C->Width(), C->Height()}; }

// A control object over a panel.
class PanelObj : public TControlObj {
public:
    PanelObj(TCellBasic* Parent, TAttributeList* L, TPanel* P) : TControlObj(Parent, 0, L, nullptr), panel(P) {}
    PanelObj(TCellBasic* Parent, const PanelObj& S) : TControlObj(Parent, S), panel(S.panel) {}
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override {
        return std::make_unique<PanelObj>(Parent, *this);
    }
    TWinControl* GetControl() override { return panel; }
    TPanel* panel;
};

TEST_F(ControlObjsTest, ControlSizedFromItsNaturalSize) {
    TPanel* panel = new TPanel(nullptr);
    panel->SetBounds(7, 9, 50, 20);
    PanelObj obj(doc.get(), nullptr, panel);
    obj.SetWidth = 0;  // a control of no width yet
    obj.SetHeight = 30;
    obj.DrawLogicInline(nullptr, nullptr, 400, 400);
    EXPECT_EQ(obj.ClientWidth(), 0);
    EXPECT_EQ(bounds(panel), std::vector<int>({7, 9, 50, 20}));  // not resized
    obj.SetWidth = 80;
    obj.DrawLogicInline(nullptr, nullptr, 400, 400);
    EXPECT_EQ(bounds(panel), std::vector<int>({7, 9, 80, 30}));  // resized where it stands
    // A percentage follows the room on every layout.
    TAttributeList pct;
    pct.Add(attr(WidthSy, u"WIDTH", u"50%", 50));
    PanelObj half(doc.get(), &pct, panel);
    half.SetWidth = 80;
    half.SetHeight = 30;
    half.DrawLogicInline(nullptr, nullptr, 400, 400);
    EXPECT_EQ(panel->Width(), 200);
    half.DrawLogicInline(nullptr, nullptr, 100, 400);
    EXPECT_EQ(panel->Width(), 50);
    // On screen drawing moves the control.
    half.DrawInline(nullptr, 3, 4, 0, nullptr);
    EXPECT_EQ(panel->Left(), 3);
    EXPECT_EQ(panel->Top(), 4);
    EXPECT_EQ(half.DrawXX, 3);
    panel->Free();
}

TEST_F(ControlObjsTest, PrintCopiesShowAPlaceholderOrTheFramesPicture) {
    TRecordingDC dc(400, 400);
    TCanvas canvas;
    canvas.SetDevice(&dc);
    ThtDocument printed(&site.owner, nullptr);
    printed.IsCopy = true;
    auto alt = attrs({{AltSy, u"Chart"}});
    PanelObj obj(&printed, alt.get(), nullptr);
    obj.SetClientWidth(80);
    obj.SetClientHeight(30);
    obj.DrawInline(&canvas, 10, 20, 0, nullptr);
    EXPECT_EQ(dc.Calls("Rectangle"), std::vector<std::string>({"Rectangle 10 20 90 50"}));

    // A frame prints its viewer's picture in a copy only.
    auto screenFrame = frame({{SrcSy, u"f.htm"}});
    screenFrame->SetClientWidth(40);
    screenFrame->SetClientHeight(30);
    screenFrame->DrawInline(&canvas, 0, 0, 0, nullptr);
    EXPECT_EQ(site.pictures, 0);
    auto printedFrame = screenFrame->CreateCopy(&printed);
    auto* pf = static_cast<TFrameObj*>(printedFrame.get());
    dc.ClearLog();
    pf->DrawInline(&canvas, 5, 6, 0, nullptr);
    EXPECT_EQ(site.pictures, 1);
    EXPECT_TRUE(dc.Calls("Rectangle").empty());
    // A picture too large to make: the placeholder is printed instead.
    pf->SetClientWidth(70000);
    pf->DrawInline(&canvas, 5, 6, 0, nullptr);
    EXPECT_EQ(dc.Calls("Rectangle"), std::vector<std::string>({"Rectangle 5 6 70005 36"}));
    canvas.SetDevice(nullptr);
}

}  // namespace
