// Elements of the loaded page by id, pictures inserted or replaced after the
// page was built (at once, or queued for the insertion timer while the
// viewer is busy), the image switch, a shared image cache, and the viewers
// of inline frames.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "html/layout/ImageSentinels.h"
#include "html/layout/SizeableObjs.h"
#include "html/viewer/SiteFixture.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Streams.h"

namespace viewertest {
namespace {

using ViewerElements = SiteTest;

// The bytes of a w × h PNG of one colour.
TMemoryStream solidPng(const zrxtest::TempDir& dir, TColor Color, int W = 20, int H = 20) {
    TBitmap picture(W, H);
    picture.Canvas()->Brush()->SetColor(Color);
    picture.Canvas()->FillRect(TRect(0, 0, W, H));
    picture.ReleaseCanvas();
    const std::string name = dir.file("solid.png");
    picture.SaveToFile(name);
    const std::string bytes = zrxtest::readFile(name);
    return TMemoryStream(bytes.data(), bytes.size());
}

// The colour the viewer paints at (X, Y) of its paint panel.
TColor paintedAt(THtmlViewer* v, int X, int Y) {
    TBitmap out(v->PaintPanel()->Width(), v->PaintPanel()->Height());
    v->PaintDocument(out.Canvas(), TRect(0, 0, out.Width(), out.Height()));
    out.ReleaseCanvas();
    return out.Canvas()->Pixel(X, Y) & 0xFFFFFF;
}

// Exceptions that reach the application from timer ticks.
struct ExceptionLog {
    std::vector<std::string> seen;
    ExceptionLog() {
        Application->OnException = [this](TObject*, const std::exception& e) { seen.push_back(e.what()); };
    }
    ~ExceptionLog() { Application->OnException = nullptr; }
};

TEST_F(ViewerElements, ControlsAndImagesById) {
    THtmlViewer* v = makeRealViewer();
    v->LoadFromString(u"<img id=\"pic\" src=\"p.png\"><p id=\"para\">text", path("page.htm"));
    EXPECT_NE(dynamic_cast<TImageObj*>(v->GetIDControl(u"PIC")), nullptr);  // ids in any letter case
    EXPECT_EQ(v->GetIDControl(u"para"), nullptr);
    EXPECT_EQ(v->GetIDControl(u"nothing"), nullptr);
    EXPECT_EQ(v->GetIDDisplay(u"nothing"), pdUnassigned);
    bool handled = false;
    v->ToggleIDExpand(u"page.htm", handled);
    EXPECT_FALSE(handled);
}

TEST_F(ViewerElements, ExpandLinksOnAParsedPageShowTheHiddenPart) {
    THtmlViewer* v = makeRealViewer();
    v->LoadFromString(
        u"<p><a href=\"IDEXPAND_more\">more</a></p>"
        u"<div id=\"morePlus\">short</div>"
        u"<div id=\"moreMinus\" style=\"display:none\"><p>long</p><p>long</p><p>long</p></div>",
        path("page.htm"));
    ASSERT_EQ(v->GetIDDisplay(u"morePlus"), pdBlock);
    ASSERT_EQ(v->GetIDDisplay(u"moreMinus"), pdNone);
    const int32_t shortHeight = v->MaxVertical();

    bool handled = false;
    v->ToggleIDExpand(u"IDEXPAND_more", handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(v->GetIDDisplay(u"morePlus"), pdNone);
    EXPECT_EQ(v->GetIDDisplay(u"moreMinus"), pdBlock);
    EXPECT_GT(v->MaxVertical(), shortHeight);
}

TEST_F(ViewerElements, ExpandLinksExchangeTwoDisplaysAndLayOutAgain) {
    TestViewer* v = makeViewer();
    // Two parts of a page, the second hidden; the page is taller with it shown.
    FixedSection plus(v->SectionList(), 0), minus(v->SectionList(), 0), lone(v->SectionList(), 0);
    plus.SetDisplay(pdBlock);
    minus.SetDisplay(pdNone);
    lone.SetDisplay(pdBlock);
    // The id list forgets them before they go, on every way out.
    struct Forget {
        TestViewer* v;
        std::vector<const FixedSection*> sections;
        ~Forget() {
            for (const FixedSection* s : sections) v->NameList()->RemoveObject(s);
        }
    } forget{v, {&plus, &minus, &lone}};
    v->SetOnParseEnd([&](TObject*) {
        v->NameList()->AddObject(u"xPlus", &plus);
        v->NameList()->AddObject(u"xMinus", &minus);
        v->NameList()->AddObject(u"yPlus", &lone);
    });
    v->Doc().Height = [&](int32_t) { return minus.Display() == pdNone ? 100 : 900; };
    v->LoadFromString(u"page", u"page.htm");
    ASSERT_EQ(v->MaxVertical(), 100);

    v->UrlAction(u"IDEXPAND_x");  // what a click on such a link does
    EXPECT_EQ(v->GetIDDisplay(u"xPlus"), pdNone);
    EXPECT_EQ(v->GetIDDisplay(u"XMINUS"), pdBlock);
    EXPECT_EQ(v->MaxVertical(), 900);

    bool handled = false;
    v->ToggleIDExpand(u"idexpand_x", handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(v->GetIDDisplay(u"xPlus"), pdBlock);
    EXPECT_EQ(v->MaxVertical(), 100);

    // Half a pair: handled, nothing exchanged.
    handled = false;
    v->ToggleIDExpand(u"IDEXPAND_y", handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(v->GetIDDisplay(u"yPlus"), pdBlock);

    // SetIDDisplay leaves the layout to the caller.
    v->SetIDDisplay(u"xMinus", pdBlock);
    v->SetIDDisplay(u"nothing", pdNone);
    EXPECT_EQ(v->GetIDDisplay(u"xMinus"), pdBlock);
    EXPECT_EQ(v->MaxVertical(), 100);
    v->Reformat();
    EXPECT_EQ(v->MaxVertical(), 900);
}

TEST_F(ViewerElements, InsertedPictureIsDrawnAfterOneTick) {
    TMemoryStream red = solidPng(dir, clRed);
    struct Case {
        const char* what;
        bool fromParseEnd;
    };
    for (const Case c : {Case{"during the load: queued", true}, Case{"after the load: at once", false}}) {
        SCOPED_TRACE(c.what);
        THtmlViewer* v = makeRealViewer();
        v->SetMarginWidth(0);
        v->SetMarginHeight(0);
        // The application supplies the picture later.
        v->SetOnImageRequest([](TObject*, const std::u16string&, TStream*& Stream) { Stream = WaitStream(); });
        if (c.fromParseEnd) v->SetOnParseEnd([&](TObject*) { EXPECT_TRUE(v->InsertImage(u"red.png", &red)); });
        v->LoadFromString(u"<img src=\"red.png\">", path("page.htm"));
        EXPECT_NE(paintedAt(v, 10, 10), clRed);
        EXPECT_EQ(v->InsertedImagesWaiting(), c.fromParseEnd ? 1 : 0);
        if (!c.fromParseEnd) {
            EXPECT_TRUE(v->InsertImage(u"RED.PNG", &red));
        }
        // Either way the timer finishes the work: the picture's size changes the layout.
        EXPECT_TRUE(v->ImageInsertionTimer()->Enabled());
        v->ImageInsertionTimer()->Fire();
        EXPECT_EQ(v->InsertedImagesWaiting(), 0);
        EXPECT_FALSE(v->ImageInsertionTimer()->Enabled());
        EXPECT_EQ(paintedAt(v, 10, 10), clRed);
        EXPECT_EQ(paintedAt(v, 25, 10), paintedAt(v, 200, 200));  // no wider than the picture
        v->Free();
    }
}

TEST_F(ViewerElements, QueuedBitmapsAndABusyViewer) {
    THtmlViewer* v = makeRealViewer();
    v->SetMarginWidth(0);
    v->SetMarginHeight(0);
    v->SetOnImageRequest([](TObject*, const std::u16string&, TStream*& Stream) { Stream = WaitStream(); });
    v->SetOnParseEnd([&](TObject*) {
        auto* blue = new TBitmap(20, 20);
        blue->Canvas()->Brush()->SetColor(clBlue);
        blue->Canvas()->FillRect(TRect(0, 0, 20, 20));
        blue->ReleaseCanvas();
        // -1: no transparent colour; the viewer owns the bitmap from here on.
        v->InsertImage(u"blue.png", blue, NotTransp, TColor(-1), true);
    });
    v->LoadFromString(u"<img src=\"blue.png\">", path("page.htm"));
    ASSERT_EQ(v->InsertedImagesWaiting(), 1);
    // While a load or layout runs the tick leaves the queue alone.
    v->SetProcessing(true);
    v->ImageInsertionTimer()->Fire();
    EXPECT_EQ(v->InsertedImagesWaiting(), 1);
    EXPECT_TRUE(v->ImageInsertionTimer()->Enabled());
    v->SetProcessing(false);
    v->ImageInsertionTimer()->Fire();
    EXPECT_EQ(v->InsertedImagesWaiting(), 0);
    EXPECT_EQ(paintedAt(v, 10, 10), clBlue);

    // An owned bitmap still waiting goes with the viewer.
    v->SetOnParseEnd([&](TObject*) { v->InsertImage(u"other.png", new TBitmap(5, 5), NotTransp, TColor(-1), true); });
    v->LoadFromString(u"<img src=\"other.png\">", path("page2.htm"));
    EXPECT_EQ(v->InsertedImagesWaiting(), 1);
    v->Free();
}

TEST_F(ViewerElements, AFailedTickLeavesTheRestForTheNext) {
    ExceptionLog log;
    TMemoryStream red = solidPng(dir, clRed);
    THtmlViewer* v = makeRealViewer();
    v->SetMarginWidth(0);
    v->SetMarginHeight(0);
    v->SetOnImageRequest([](TObject*, const std::u16string&, TStream*& Stream) { Stream = WaitStream(); });
    v->SetOnParseEnd([&](TObject*) { v->InsertImage(u"a.png", &red); });
    // Enough sections for the layout to report its progress.
    std::u16string page = u"<img src=\"a.png\">";
    for (int i = 0; i < 120; ++i) page += u"<p>line";
    v->LoadFromString(page, path("page.htm"));
    ASSERT_EQ(v->InsertedImagesWaiting(), 1);
    // The layout the picture asks for fails, after another picture was
    // handed over meanwhile.
    bool fail = true;
    int progress = 0;
    v->SetOnProgress([&](TObject*, TProgressStage Stage, int) {
        if (Stage != psRunning) return;
        ++progress;
        if (!fail) return;
        fail = false;
        v->InsertImage(u"b.png", &red);
        throw std::runtime_error("layout failed");
    });
    v->ImageInsertionTimer()->Fire();
    EXPECT_EQ(log.seen, (std::vector<std::string>{"layout failed"}));
    EXPECT_FALSE(v->IsProcessing());
    EXPECT_EQ(v->InsertedImagesWaiting(), 1);
    EXPECT_TRUE(v->ImageInsertionTimer()->Enabled());
    progress = 0;
    v->ImageInsertionTimer()->Fire();
    EXPECT_EQ(v->InsertedImagesWaiting(), 0);
    EXPECT_FALSE(v->ImageInsertionTimer()->Enabled());
    EXPECT_GT(progress, 0);  // the layout the first tick owed
    EXPECT_EQ(paintedAt(v, 10, 10), clRed);
    EXPECT_EQ(log.seen.size(), 1u);
}

TEST_F(ViewerElements, ReplacedPictureAndTheImageSwitch) {
    THtmlViewer* v = makeRealViewer();
    v->SetMarginWidth(0);
    v->SetMarginHeight(0);
    // The picture never came: its size is not known yet.
    v->SetOnImageRequest([](TObject*, const std::u16string&, TStream*& Stream) { Stream = WaitStream(); });
    v->LoadFromString(u"<img id=\"pic\" src=\"p.png\"><p id=\"para\">x", path("page.htm"));
    const int32_t before = v->MaxVertical();
    TMemoryStream red = solidPng(dir, clRed, 40, 40);
    v->ReplaceImage(u"para", &red);  // not an image: nothing
    v->ReplaceImage(u"nothing", &red);
    v->ReplaceImage(u"pic", nullptr);
    EXPECT_EQ(v->MaxVertical(), before);
    v->ReplaceImage(u"pic", &red);
    EXPECT_EQ(paintedAt(v, 30, 30), clRed);
    EXPECT_GT(v->MaxVertical(), before);  // its size came from the picture: laid out again

    const TCursor cursor = Screen->Cursor();
    std::vector<bool> processing;
    v->SetOnProcessing([&](TObject*, bool On) { processing.push_back(On); });
    v->SetViewImages(false);
    EXPECT_FALSE(v->ViewImages());
    EXPECT_FALSE(v->SectionList()->ShowImages);
    EXPECT_EQ(processing, (std::vector<bool>{true, false}));
    EXPECT_EQ(Screen->Cursor(), cursor);
    v->SetViewImages(false);  // no change: nothing
    EXPECT_EQ(processing.size(), 2u);
    v->SetViewImages(true);
    EXPECT_TRUE(v->ViewImages());
}

TEST_F(ViewerElements, SharedImageCacheStaysTheCallersAndTimersStop) {
    auto cache = std::make_shared<ThtImageCache>();
    cache->SetCacheCount(5);
    THtmlViewer* v = makeRealViewer();
    v->SetImageCache(cache);
    EXPECT_FALSE(v->ViewerState() & vsSet(vsLocalImageCache));
    v->LoadFromString(u"<img src=\"p.png\">", path("page.htm"));
    EXPECT_EQ(v->SectionList()->ImageCache, cache);
    v->HoverTimer()->SetEnabled(true);
    v->ImageInsertionTimer()->SetEnabled(true);
    v->StopTimers();
    EXPECT_FALSE(v->HoverTimer()->Enabled());
    EXPECT_FALSE(v->ImageInsertionTimer()->Enabled());
    v->Free();
    EXPECT_EQ(cache.use_count(), 1);
}

TEST_F(ViewerElements, InlineFrameViewersCopyTheirParent) {
    THtmlViewer* v = makeRealViewer();
    v->SetDefFontSize(17);
    v->SetServerRoot(u"/www");
    v->SetHistoryMaxCount(0);
    v->OnHotSpotClick = [](TObject*, const std::u16string&, bool&) {};
    {
        std::unique_ptr<ThtFrameViewer> frame = v->CreateIFrameControl();
        ASSERT_TRUE(frame);
        auto* child = dynamic_cast<THtmlViewer*>(frame->Control());
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->Parent(), v->PaintPanel());
        EXPECT_EQ(child->Left(), -4000);
        EXPECT_EQ(child->DefFontSize(), 17);
        EXPECT_EQ(child->ServerRoot(), u"/www");
        EXPECT_TRUE(child->OnHotSpotClick);
        EXPECT_EQ(v->PaintPanel()->ControlCount(), 1);
        // What a print copy prints of it: a picture of its page.
        child->SetDefBackground(TColor(0x00FFFF));
        frame->Load(path("c.htm"));
        EXPECT_EQ(child->CurrentFile(), path("c.htm"));
        TBitmap picture(60, 60);
        ASSERT_TRUE(frame->DrawPicture(picture.Canvas(), 10, 10, 40, 40));
        picture.ReleaseCanvas();
        EXPECT_EQ(picture.Canvas()->Pixel(45, 45) & 0xFFFFFF, 0x00FFFFu);
        EXPECT_EQ(picture.Canvas()->Pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
        frame->Load(path("missing.htm"));  // stays as it was, no error
        EXPECT_EQ(child->CurrentFile(), path("c.htm"));
    }
    EXPECT_EQ(v->PaintPanel()->ControlCount(), 0);  // the frame's viewer goes with the frame

    // The application's own viewer.
    THtmlViewer* made = nullptr;
    v->OnCreateIFrameControl = [&](TObject* Sender, TComponent* Owner) -> TViewerBase* {
        EXPECT_EQ(Sender, v);
        EXPECT_EQ(Owner, v->PaintPanel());
        made = new THtmlViewer(Owner);
        return made;
    };
    std::unique_ptr<ThtFrameViewer> frame = v->CreateIFrameControl();
    EXPECT_EQ(frame->Control(), made);
    // A frame viewer that its owner frees first is forgotten.
    made->Free();
    EXPECT_EQ(frame->Control(), nullptr);
    frame.reset();
}

TEST_F(ViewerElements, APageWithAnInlineFrameLoadsItInTheChildViewer) {
    write("inner.htm", "<title>Inner</title><p>inside");
    THtmlViewer* v = makeRealViewer();
    std::vector<THtmlViewer*> children;
    v->OnCreateIFrameControl = [&](TObject*, TComponent* Owner) -> TViewerBase* {
        children.push_back(new THtmlViewer(Owner, v));
        return children.back();
    };
    v->LoadFromFile(path("a.htm"));
    write("outer.htm",
          "<p>before<iframe src=\"inner.htm\" width=\"200\" height=\"100\"></iframe>"
          "<iframe src=\"missing.htm\"></iframe>");
    v->LoadFromFile(path("outer.htm"));
    ASSERT_GE(children.size(), 2u);
    EXPECT_EQ(children[0]->CurrentFile(), path("inner.htm"));
    EXPECT_EQ(children[0]->DocumentTitle(), u"Inner");
    paintedAt(v, 0, 0);
    EXPECT_GE(children[0]->Left(), 0);  // placed where the page shows it
    // A frame whose file is missing stays empty; the page around it loads.
    EXPECT_EQ(children[1]->DocumentTitle(), u"");
    EXPECT_EQ(v->CurrentFile(), path("outer.htm"));
}

}  // namespace
}  // namespace viewertest
