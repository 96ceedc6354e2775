// Panels, progress bars and meters in documents the real viewer loads:
// their attributes, the meter's colours, the host's panel events, and what
// a print copy of the page paints in their place.
#include <gtest/gtest.h>

#include <QWidget>

#include <cfloat>
#include <stdexcept>
#include <string>
#include <vector>

#include "html/layout/Document.h"
#include "html/text/HtmlText.h"
#include "html/viewer/PanelObjs.h"
#include "html/viewer/ViewerFixture.h"

namespace viewertest {
namespace {

std::string u8(const std::u16string& s) { return htmltext::toUtf8(s); }

class PanelObjs : public ViewerTest {
protected:
    void makeViewer() {
        viewer = new THtmlViewer(form);
        viewer->SetParent(form);
        viewer->SetBorderStyle(htNone);
        viewer->SetBounds(0, 0, 400, 300);
        form->Show();
    }
    THtmlViewer* load(const std::u16string& Html) {
        if (!viewer) makeViewer();
        viewer->LoadFromString(Html);
        viewer->PaintPanel()->Handle()->grab();
        return viewer;
    }
    ThtDocument& doc() { return *viewer->SectionList(); }
    template <class T> T* object(size_t I) { return dynamic_cast<T*>(doc().PanelList.at(I)); }
    // The page as a print copy paints it on a white bitmap.
    std::unique_ptr<TBitmap> printed(int W = 400, int H = 200) {
        std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(doc());
        auto page = std::make_unique<TBitmap>(W, H);
        page->Canvas()->Brush()->SetColor(clWhite);
        page->Canvas()->FillRect(Rect(0, 0, W, H));
        int32_t sw = 0, curs = 0;
        copy->DoLogic(page->Canvas(), 0, W, H, 0, sw, curs);
        copy->Draw(page->Canvas(), Rect(0, 0, W, H), W, 0, 0, 0, 0);
        return page;
    }
    static int count(TBitmap& Page, TColor C) {
        int n = 0;
        for (int y = 0; y < Page.Height(); ++y)
            for (int x = 0; x < Page.Width(); ++x) n += Page.Canvas()->Pixel(x, y) == C;
        return n;
    }
    THtmlViewer* viewer = nullptr;
};

TEST_F(PanelObjs, MeterColoursAndTheOrderOfItsAttributes) {
    struct Case {
        std::u16string attributes;
        int position;
        double low, high;
        TColor bar;
    };
    const TColor blue = TColor(0xFF0000), red = TColor(0x0000FF), yellow = TColor(0x00FFFF);
    const std::vector<Case> cases = {
        {u"value=30 low=20 high=80", 30, 20, 80, blue},
        {u"value=10 low=20 high=80", 10, 20, 80, red},
        {u"value=90 low=20 high=80", 90, 20, 80, yellow},
        {u"low=20 high=80 value=90", 90, 20, 80, yellow},
        // 150 is not below the maximum of 100 yet: the low limit stays as made.
        {u"low=150 max=200 value=160", 160, DBL_MIN, DBL_MAX, blue},
        {u"max=200 low=150 value=160", 160, 150, DBL_MAX, blue},
        // High 10 comes first; low 20 would not be below it and is refused.
        {u"high=10 low=20 value=15", 15, DBL_MIN, 10, yellow},
        {u"value=100", 100, DBL_MIN, DBL_MAX, blue},
        {u"value=abc low=x", 0, DBL_MIN, DBL_MAX, red},
    };
    for (const Case& c : cases) {
        load(u"<meter " + c.attributes + u"></meter>");
        auto* m = object<TMeterObj>(0);
        ASSERT_TRUE(m) << u8(c.attributes);
        EXPECT_EQ(m->Meter->Position(), c.position) << u8(c.attributes);
        EXPECT_EQ(m->Meter->Low(), c.low) << u8(c.attributes);
        EXPECT_EQ(m->Meter->High(), c.high) << u8(c.attributes);
        EXPECT_EQ(m->Meter->BarColor(), c.bar) << u8(c.attributes);
        EXPECT_EQ(m->Meter->Style(), pbstNormal);
    }
}

TEST_F(PanelObjs, ProgressAttributes) {
    struct Case {
        std::u16string attributes;
        int max, position;
        TProgressBarStyle style;
    };
    const std::vector<Case> cases = {
        {u"", 100, 0, pbstMarquee},
        {u"value=0", 100, 0, pbstNormal},
        {u"value=40 max=50", 50, 40, pbstNormal},
        {u"max=50 value=40", 50, 40, pbstNormal},
        {u"value=abc max=xyz", 100, 0, pbstNormal},
        {u"max=0 value=30", 100, 30, pbstNormal},
        {u"max=-5", 100, 0, pbstMarquee},
    };
    for (const Case& c : cases) {
        load(u"<progress " + c.attributes + u"></progress>");
        auto* p = object<TProgressObj>(0);
        ASSERT_TRUE(p) << u8(c.attributes);
        EXPECT_EQ(p->Progress->Max(), c.max) << u8(c.attributes);
        EXPECT_EQ(p->Progress->Position(), c.position) << u8(c.attributes);
        EXPECT_EQ(p->Progress->Style(), c.style) << u8(c.attributes);
        EXPECT_EQ(p->Progress->Width(), 100);
        EXPECT_EQ(p->Progress->Height(), 20);
    }
    load(u"<progress value=5 width=150 height=12></progress>");
    EXPECT_EQ(object<TProgressObj>(0)->Progress->Width(), 150);
    EXPECT_EQ(object<TProgressObj>(0)->Progress->Height(), 12);
}

TEST_F(PanelObjs, PanelsReachTheHostWithTheirAttributes) {
    makeViewer();
    std::vector<std::string> created;
    std::vector<TPanel*> destroyed;
    viewer->SetOnPanelCreate([&](TObject* Sender, const std::u16string& Name, const std::u16string& Type,
                                 const std::u16string& Src, TPanel* Panel) {
        EXPECT_EQ(Sender, viewer);
        created.push_back(u8(Name) + "|" + u8(Type) + "|" + u8(Src) + "|" + Panel->Name());
    });
    viewer->SetOnPanelDestroy([&](TObject*, TPanel* Panel) { destroyed.push_back(Panel); });
    struct Case {
        std::u16string attributes;
        bool noBorder;
        int borderSize;
        std::string created;
    };
    const std::vector<Case> cases = {
        {u"name=Chart type=graph src=a.dat", false, 0, "Chart|graph|a.dat|Chart"},
        {u"name='1 bad name' border=0", true, 0, "1 bad name|||"},
        {u"border=25", false, 10, "|||"},
        {u"border=-3", false, 0, "|||"},
        {u"border=4 alt='a chart'", false, 4, "|||"},
    };
    for (const Case& c : cases) {
        created.clear();
        load(u"<panel " + c.attributes + u"></panel>");
        auto* p = object<TPanelObj>(0);
        ASSERT_TRUE(p) << u8(c.attributes);
        EXPECT_EQ(p->NoBorder, c.noBorder) << u8(c.attributes);
        EXPECT_EQ(p->BorderSize, c.borderSize) << u8(c.attributes);
        EXPECT_EQ(created, std::vector<std::string>({c.created}));
        EXPECT_EQ(p->Panel->Width(), 30);
        EXPECT_EQ(p->Panel->Height(), 20);
        EXPECT_EQ(p->Panel->Color(), clWhite);
        EXPECT_TRUE(p->Panel->Caption().empty());
        EXPECT_EQ(p->Panel->Parent(), viewer->PaintPanel());
    }
    EXPECT_EQ(u8(object<TPanelObj>(0)->Title), "a chart");
    TPanel* last = object<TPanelObj>(0)->Panel;
    load(u"<p>none");
    EXPECT_EQ(destroyed.size(), cases.size());
    EXPECT_EQ(destroyed.back(), last);
}

TEST_F(PanelObjs, PrintCopiesPaintPanelsBarsAndMeters) {
    makeViewer();
    int calls = 0;
    viewer->SetOnPanelPrint([&](TObject* Sender, TPanel* Panel, TBitmap* Bitmap) {
        ++calls;
        EXPECT_EQ(Sender, viewer);
        // The live panel is sized as printed while the host paints.
        EXPECT_EQ(Panel->Width(), Bitmap->Width());
        EXPECT_EQ(Panel->Height(), Bitmap->Height());
        Bitmap->Canvas()->Brush()->SetColor(clRed);
        Bitmap->Canvas()->FillRect(Rect(0, 0, Bitmap->Width(), Bitmap->Height()));
    });
    load(
        u"<panel width=60 height=40></panel><br><progress value=50></progress><br>"
        u"<meter value=30 low=20 high=80></meter>");
    auto* panel = object<TPanelObj>(0);
    std::unique_ptr<TBitmap> page = printed();
    EXPECT_EQ(calls, 1);
    EXPECT_GE(count(*page, clRed), 50 * 30);
    EXPECT_GE(count(*page, TColor(0xFF0000)), 20);  // the meter's blue bar
    // The progress bar's fill in the highlight colour.
    EXPECT_GE(count(*page, DocumentThemedColor(&doc(), clHighlight, seClient) & 0xFFFFFF), 20);
    EXPECT_EQ(panel->Panel->Width(), 60);

    // A host that fails leaves the live panel as it was, and prints nothing there.
    viewer->SetOnPanelPrint([&](TObject*, TPanel* Panel, TBitmap*) {
        Panel->SetWidth(5);
        throw std::runtime_error("host failed");
    });
    load(u"<panel width=60 height=40></panel>");
    panel = object<TPanelObj>(0);
    const std::string before = bounds(panel->Panel);
    page = printed();
    EXPECT_EQ(count(*page, clRed), 0);
    EXPECT_EQ(bounds(panel->Panel), before);

    // A hidden panel, or none painting it: nothing in its place.
    viewer->SetOnPanelPrint(nullptr);
    load(u"<panel width=60 height=40></panel>");
    page = printed();
    EXPECT_EQ(count(*page, clRed), 0);
}

}  // namespace
}  // namespace viewertest
