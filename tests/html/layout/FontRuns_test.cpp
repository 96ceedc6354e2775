// Font runs and link lists: which run styles a position, italic overhang,
// link states over runs of one link, copies for printing, and the link's tab
// stop surviving a run that merges away.
#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "html/layout/Document.h"
#include "html/layout/FontRuns.h"
#include "html/layout/Sections.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Graphics.h"

// The Qt application (Forms.h itself cannot be included beside the style
// types: both name an enumerator wsNormal).
void EnsureApplication();

namespace {

using namespace modeltest;

std::unique_ptr<ThtFont> fakeFont(int32_t height, TFontStyles style = 0, TColor color = clBlack) {
    auto f = std::make_unique<ThtFont>();
    f->tmHeight = height;
    f->tmDescent = height / 4;
    f->tmExternalLeading = 2;
    f->tmMaxCharWidth = height;
    f->SetStyle(style);
    f->SetColor(color);
    return f;
}

// Link fonts whose states differ by colour: plain, visited, hover, both.
void giveLinkFonts(TFontObj& run) {
    run.CreateFIArray();
    const TColor colours[4] = {clRed, clPurple, clBlue, clGreen};
    for (int i = 0; i < 4; ++i) {
        run.FIArray->Ar[size_t(i)].iColor = colours[i];
        run.FIArray->Ar[size_t(i)].iSize = 12;
    }
}

TEST(FontRunsTest, MetricsAndItalicOverhang) {
    TFontObj plain(nullptr, fakeFont(25), 0);
    EXPECT_EQ(plain.FontHeight, 27);
    EXPECT_EQ(plain.Overhang, 0);
    int32_t desc = -1;
    EXPECT_EQ(plain.GetHeight(desc), 27);
    EXPECT_EQ(desc, 6);
    TFontObj italic(nullptr, fakeFont(25, fsSet(fsItalic) | fsSet(fsBold)), 0);
    EXPECT_EQ(italic.GetOverhang(), 2);  // a tenth of the height, rounded down
    italic.ReplaceFont(fakeFont(39, fsSet(fsItalic)));
    EXPECT_EQ(italic.Overhang, 3);
    italic.ReplaceFont(fakeFont(39));
    EXPECT_EQ(italic.Overhang, 0);
}

TEST(FontRunsTest, RunAtAPosition) {
    TFontList runs;
    ThtFont* a = runs.Add(std::make_unique<TFontObj>(nullptr, fakeFont(10), 0))->TheFont.get();
    ThtFont* b = runs.Add(std::make_unique<TFontObj>(nullptr, fakeFont(30, fsSet(fsItalic)), 5))->TheFont.get();
    ThtFont* c = runs.Add(std::make_unique<TFontObj>(nullptr, fakeFont(20), 9))->TheFont.get();
    struct Case {
        int32_t posn;
        ThtFont* font;
        int32_t overhang;
    } cases[] = {{0, a, 0}, {4, a, 0}, {5, b, 3}, {7, b, 3}, {9, c, 0}, {20, c, 0}};
    for (const Case& k : cases) {
        int32_t oh = -1;
        EXPECT_EQ(runs.GetFontAt(k.posn, oh), k.font) << k.posn;
        EXPECT_EQ(oh, k.overhang) << k.posn;
    }
    EXPECT_EQ(runs.GetFontObjAt(6), runs.GetFont(1));
    EXPECT_EQ(runs.GetFontObjAt(-1), nullptr);
    TFontObj* obj = nullptr;
    EXPECT_EQ(runs.GetFontObjAt(6, 12, obj), 3);  // to the next run at 9
    EXPECT_EQ(obj, runs.GetFont(1));
    EXPECT_EQ(runs.GetFontObjAt(10, 12, obj), 2);  // the last run ends at the length
    EXPECT_EQ(obj, runs.GetFont(2));
    TFontList none;
    int32_t oh = -1;
    EXPECT_EQ(none.GetFontAt(3, oh), nullptr);
    EXPECT_EQ(oh, 0);
}

TEST(FontRunsTest, LinkStatesShowTheirFonts) {
    TFontObj run(nullptr, fakeFont(16), 0);
    giveLinkFonts(run);
    run.SetVisited(true);
    EXPECT_EQ(run.LinkStateIndex(), 1);
    EXPECT_EQ(run.TheFont->Color(), clPurple);
    run.SetHover(true);
    EXPECT_EQ(run.TheFont->Color(), clGreen);
    run.SetVisited(false);
    EXPECT_EQ(run.TheFont->Color(), clBlue);
    // A run without link fonts keeps its font when its state is written.
    TFontObj bare(nullptr, fakeFont(16, 0, clMaroon), 0);
    bare.SetHover(true);
    bare.SetVisited(true);
    EXPECT_TRUE(bare.Hover());
    EXPECT_EQ(bare.TheFont->Color(), clMaroon);
}

TEST(FontRunsTest, HoverReachesEveryRunOfASplitLink) {
    TLinkList links;
    std::vector<std::unique_ptr<TFontObj>> runs;
    const int64_t ids[] = {5, 7, 7, 7, 9};
    for (int64_t id : ids) {
        runs.push_back(std::make_unique<TFontObj>(nullptr, fakeFont(16), 0));
        runs.back()->UrlTarget->ID = id;
        giveLinkFonts(*runs.back());
        links.Add(runs.back().get());
    }
    runs[2]->SetAllHovers(&links, true);
    const bool expected[] = {false, true, true, true, false};
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i]->Hover(), expected[i]) << i;
        EXPECT_EQ(runs[i]->TheFont->Color(), expected[i] ? clBlue : clBlack) << i;
    }
    runs[3]->SetAllHovers(&links, false);
    for (auto& r : runs) EXPECT_FALSE(r->Hover());
}

TEST(FontRunsTest, PrintCopyShowsThePlainLinkFont) {
    TFontObj run(nullptr, fakeFont(16), 4);
    giveLinkFonts(run);
    run.SetHover(true);
    run.SScript = aSuper;
    run.UrlTarget->URL = u"page.htm";
    run.UrlTarget->ID = 42;
    TFontObj copy(nullptr, run);
    EXPECT_EQ(copy.Pos, 4);
    EXPECT_EQ(copy.SScript, aSuper);
    EXPECT_EQ(copy.TheFont->Color(), clRed);
    EXPECT_EQ(copy.URL(), u"page.htm");
    EXPECT_EQ(copy.UrlTarget->ID, 42);
    EXPECT_EQ(copy.FIArray, nullptr);
    EXPECT_EQ(copy.TabControl, nullptr);
}

// A viewer that records what the document's links ask of it.
class RecordingOwner : public ThtDocumentOwner {
public:
    TObject* SenderObject() override { return nullptr; }
    std::u16string HtmlExpandFilename(std::u16string_view f) override { return std::u16string(f); }
    bool ShowFocusRect() override { return true; }
    void ControlMouseMove(TObject*, TShiftState, int, int) override {}
    void htProgress(int32_t) override {}
    void FollowLinkByKey(const TUrlTarget& Link) override { followed.push_back(Link.URL); }
    void ViewerKeyDown(uint16_t& Key, TShiftState) override { keys.push_back(Key); }
    std::unique_ptr<ThtFrameViewer> CreateIFrameControl() override { return nullptr; }
    TStyleElements StyleElements() override { return AllStyleElements; }
    bool UseQuirksMode() override { return false; }
    std::vector<std::u16string> followed;
    std::vector<uint16_t> keys;
};

class LinkTabStopTest : public RecordingScreenTest {
protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        EnsureApplication();
        panel = new TPanel(nullptr);
        doc = std::make_unique<ThtDocument>(&owner, panel);
        auto p = props(PSy, u"p");
        auto s = std::make_unique<TSection>(doc.get(), nullptr, p.get(), nullptr, true);
        section = s.get();
        // A section with text: the cell keeps it (an empty one would be dropped).
        section->BuffS = u"abc";
        section->Len = 3;
        doc->Add(std::move(s), 0);
    }
    void TearDown() override {
        doc.reset();
        if (panel) panel->Free();
        RecordingScreenTest::TearDown();
    }
    // A run of a link at a position, entered in the document's link list.
    TFontObj* linkRun(int32_t pos, int64_t id, const char16_t* url) {
        TFontObj* r = section->Fonts.Add(std::make_unique<TFontObj>(section, fakeFont(16), pos));
        r->UrlTarget->ID = id;
        r->UrlTarget->URL = url;
        doc->LinkList->Add(r);
        return r;
    }

    RecordingOwner owner;
    TPanel* panel = nullptr;
    std::unique_ptr<ThtDocument> doc;
    TSection* section = nullptr;
};

TEST_F(LinkTabStopTest, OneTabStopPerLinkThatFollowsItOnEnter) {
    TFontObj* first = linkRun(1, 77, u"a.htm");
    TFontObj* second = linkRun(2, 77, u"a.htm");
    first->CreateTabControl(3);
    second->CreateTabControl(3);  // the link has its stop already
    ASSERT_NE(first->TabControl, nullptr);
    EXPECT_EQ(second->TabControl, nullptr);
    EXPECT_EQ(first->TabControl->Parent(), panel);
    EXPECT_EQ(first->TabControl->Left(), -4000);
    EXPECT_TRUE(first->TabControl->TabStop());
    EXPECT_EQ(doc->TabOrderList->Count(), 1);

    std::vector<TFontObj*> entered;
    doc->ControlEnterEvent = [&](TFontObj* link, TFormControlObjBase*) { entered.push_back(link); };
    first->TabControl->DoEnter();
    EXPECT_TRUE(first->Active);
    EXPECT_TRUE(second->Active);
    ASSERT_EQ(entered.size(), 1u);
    EXPECT_EQ(entered[0], first);
    first->TabControl->DoExit();
    EXPECT_FALSE(second->Active);

    uint16_t key = VK_RETURN;
    first->TabControl->KeyDown(key, 0);
    key = VK_DOWN;
    first->TabControl->KeyDown(key, 0);
    ASSERT_EQ(owner.followed.size(), 1u);
    EXPECT_EQ(owner.followed[0], u"a.htm");
    ASSERT_EQ(owner.keys.size(), 1u);
    EXPECT_EQ(owner.keys[0], VK_DOWN);

    // The drawn Y of a link is kept by the run that owns its stop.
    second->AssignY(120);
    EXPECT_EQ(first->DrawYY(), 120);
}

TEST_F(LinkTabStopTest, MergedRunHandsItsTabStopToTheRestOfTheLink) {
    TFontObj* merged = linkRun(1, 77, u"a.htm");
    TFontObj* rest = linkRun(2, 77, u"a.htm");
    merged->CreateTabControl(5);
    ThtTabControl* stop = merged->TabControl;
    doc->ActiveLink = merged;
    section->Fonts.Decrement(1, doc.get());  // the one character of the run at 1 went
    ASSERT_EQ(section->Fonts.Count(), 2);
    EXPECT_EQ(section->Fonts.GetFont(1), rest);
    EXPECT_EQ(rest->Pos, 1);
    EXPECT_EQ(rest->TabControl, stop);
    EXPECT_EQ(doc->LinkList->Count(), 1);
    EXPECT_EQ(doc->LinkList->GetFont(0), rest);
    EXPECT_EQ(doc->ActiveLink, nullptr);
    EXPECT_EQ(doc->TabOrderList->Count(), 1);
    uint16_t key = VK_RETURN;
    stop->KeyDown(key, 0);
    ASSERT_EQ(owner.followed.size(), 1u);
    EXPECT_EQ(owner.followed[0], u"a.htm");
}

TEST_F(LinkTabStopTest, MergedRunOfAnotherLinkTakesItsTabStopAlong) {
    TFontObj* merged = linkRun(1, 77, u"a.htm");
    TFontObj* other = linkRun(2, 88, u"b.htm");
    merged->CreateTabControl(5);
    section->Fonts.Decrement(1, doc.get());
    ASSERT_EQ(section->Fonts.Count(), 2);
    EXPECT_EQ(other->TabControl, nullptr);
    EXPECT_EQ(doc->TabOrderList->Count(), 0);
    EXPECT_EQ(panel->ControlCount(), 0);
}

TEST_F(LinkTabStopTest, PanelGoingFirstLeavesTheRunWithoutAStop) {
    TFontObj* run = linkRun(1, 77, u"a.htm");
    run->CreateTabControl(2);
    ASSERT_NE(run->TabControl, nullptr);
    panel->Free();
    panel = nullptr;
    doc->PPanel = nullptr;
    EXPECT_EQ(run->TabControl, nullptr);
    EXPECT_EQ(doc->TabOrderList->Count(), 0);
}

}  // namespace
