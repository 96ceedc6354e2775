// The document as a whole, on hand-built trees: print copies and what they
// share, the tab order, positions and the caret, the selected text, the
// animation timer, hovering links and images, the drawing order and the
// forms' saved values.
#include <gtest/gtest.h>

#include <stdexcept>

#include "FakeSections.h"
#include "GifBuilder.h"
#include "html/layout/Sections.h"
#include "html/layout/SizeableObjs.h"
#include "platform/framework/Classes.h"

namespace {

using namespace modeltest;

class DocumentTest : public RecordingScreenTest {};

// Three sections of 10 positions each: "aa" 0..9, "bb" 10..19, "cc" 20..29,
// mapped from source positions 100.., 200.., 300...
struct ThreeSections : TDocFixture {
    ThreeSections() {
        const char* names[] = {"aa", "bb", "cc"};
        for (int i = 0; i < 3; ++i) {
            s[i] = addFake(doc.get(), names[i], 20, 100, 10, &log);
            s[i]->SourceStart = 100 * (i + 1);
        }
    }
    TFakeSection* s[3] = {};
    std::vector<std::string> log;
};

TEST_F(DocumentTest, ClearOnAPrintCopyLeavesTheSourceAlone) {
    ThreeSections fx;
    fx.doc->AddChPosObjectToIDNameList(u"anchor", 105);
    auto span = props(SpanSy, u"span");
    span->ID = 7;
    fx.doc->ProcessInlines(102, span.get(), true);
    fx.doc->ProcessInlines(104, span.get(), false);
    fx.layout();
    ASSERT_EQ(fx.doc->PositionList->Count(), 3);

    std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*fx.doc);
    ASSERT_EQ(copy->Count(), 3);
    EXPECT_EQ(copy->IDNameList, nullptr);
    EXPECT_EQ(copy->PositionList, nullptr);
    copy->Clear();
    EXPECT_EQ(copy->Count(), 0);
    EXPECT_EQ(fx.doc->IDNameList->Count(), 1);
    EXPECT_EQ(fx.doc->PositionList->Count(), 3);
    ASSERT_EQ(fx.doc->InlineList->Count(), 1);
    EXPECT_EQ(fx.doc->InlineList->GetStartB(0), 2);
}

TEST_F(DocumentTest, TheSourceLoadsAgainWhileItsCopyPrints) {
    auto fx = std::make_unique<TDocFixture>();
    for (int i = 0; i < 3; ++i) addFake(fx->doc.get(), "s", 20, 100, 10)->SourceStart = 100 * (i + 1);
    auto span = props(SpanSy, u"span");
    span->ID = 7;
    fx->doc->ProcessInlines(203, span.get(), true);
    fx->doc->ProcessInlines(207, span.get(), false);
    fx->layout();
    std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*fx->doc);
    ASSERT_EQ(copy->InlineList, fx->doc->InlineList);

    // The source is cleared and filled with another page: the copy keeps its boxes.
    fx->doc->Clear();
    EXPECT_NE(copy->InlineList, fx->doc->InlineList);
    EXPECT_EQ(fx->doc->InlineList->Count(), 0);
    addFake(fx->doc.get(), "new", 5, 0, 3);
    fx->doc->ProcessInlines(0, span.get(), true);
    fx->layout();

    int32_t scroll = 0, curs = 0;
    copy->DoLogic(&fx->canvas, 0, 800, 600, 0, scroll, curs);
    ASSERT_EQ(copy->InlineList->Count(), 1);
    EXPECT_EQ(copy->InlineList->GetStartB(0), 13);
    EXPECT_EQ(copy->InlineList->GetEndB(0), 17);

    // And the source may go first.
    TRecordingDC dc;
    TCanvas canvas;
    canvas.SetDevice(&dc);
    fx.reset();
    copy->DoLogic(&canvas, 0, 800, 600, 0, scroll, curs);
    EXPECT_EQ(copy->InlineList->GetEndB(0), 17);
    copy->Draw(&canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0);
    canvas.SetDevice(nullptr);
}

// A form control that only takes its tab order.
class TFakeControl : public TFormControlObjBase {
public:
    explicit TFakeControl(TCellBasic* Parent)
        : TFormControlObjBase(Parent, 0, nullptr, nullptr, ThtFormControlKind::Edit) {}
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override {
        return std::make_unique<TFakeControl>(Parent);
    }
    int32_t GetClientHeight() const override { return 0; }
    int32_t GetClientWidth() const override { return 0; }
    void SetClientHeight(int32_t) override {}
    void SetClientWidth(int32_t) override {}
    void DrawLogicInline(TCanvas*, TFontObj*, int32_t, int32_t) override {}
    void DrawInline(TCanvas*, int32_t, int32_t, int32_t, TFontObj*) override {}
    TWinControl* GetTheControl() override { return nullptr; }
    void SetTabOrder(int32_t Value) override { Order = Value; }
    int32_t Order = -1;
};

TEST_F(DocumentTest, TabIndexesNumberTheControlsInOrderAsIntegers) {
    TDocFixture fx;
    const int64_t indexes[] = {5, 1, 3000000000LL, 1, 20};
    const int32_t want[] = {2, 0, 4, 1, 3};
    std::vector<std::unique_ptr<TFakeControl>> controls;
    for (int64_t index : indexes) {
        controls.push_back(std::make_unique<TFakeControl>(fx.doc.get()));
        fx.doc->TabOrderList->Add(index, controls.back().get());
    }
    fx.layout();
    for (size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(controls[i]->Order, want[i]) << i;
    EXPECT_TRUE(fx.doc->TabOrderList->Empty());
}

TEST_F(DocumentTest, PositionsAndTheCaret) {
    ThreeSections fx;
    fx.layout();
    ASSERT_EQ(fx.doc->Len, 30);
    EXPECT_EQ(fx.doc->FindDocPos(205, false), 15);
    EXPECT_EQ(fx.doc->FindDocPos(999, false), 30);  // past all text: the end
    EXPECT_EQ(fx.doc->FindDocPos(50, true), 30);

    int32_t x = -1, y = -1;
    ASSERT_TRUE(fx.doc->CursorToXY(&fx.canvas, 12, x, y));
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 20);
    ASSERT_TRUE(fx.doc->CursorToXY(&fx.canvas, 30, x, y));
    EXPECT_EQ(x, 90 + 15);  // after the last character
    EXPECT_EQ(y, 40);

    int32_t top = -5, index = -5;
    EXPECT_EQ(fx.doc->FindSectionAtPosition(25, top, index), fx.s[1]);
    EXPECT_EQ(top, 20);
    EXPECT_EQ(index, 1);
    fx.s[0]->ContentTop = 10;  // nothing lies at or above 5 now
    EXPECT_EQ(fx.doc->FindSectionAtPosition(5, top, index), nullptr);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(index, -1);

    TDocFixture empty;
    empty.layout();
    x = y = -1;
    EXPECT_FALSE(empty.doc->CursorToXY(&empty.canvas, 0, x, y));
    EXPECT_EQ(empty.doc->FindDocPos(3, false), 0);
}

TEST_F(DocumentTest, TheSelectionVisitsTheSectionsItTouches) {
    const struct {
        int32_t selB, selE;
        std::vector<std::string> copied;
    } cases[] = {
        {10, 20, {"copy bb"}}, {9, 21, {"copy aa", "copy bb", "copy cc"}}, {0, 10, {"copy aa"}}, {29, 40, {"copy cc"}},
        {30, 40, {}},
    };
    for (const auto& c : cases) {
        ThreeSections fx;
        fx.layout();
        fx.log.clear();
        fx.doc->SelB = c.selB;
        fx.doc->SelE = c.selE;
        EXPECT_EQ(fx.doc->GetSelLength(), int32_t(2 * c.copied.size())) << c.selB;
        EXPECT_EQ(fx.log, c.copied) << c.selB;
        EXPECT_EQ(fx.doc->CB, nullptr);
    }
}

TEST_F(DocumentTest, TheSelectionIntoACallersBuffer) {
    ThreeSections fx;
    fx.layout();
    fx.doc->SelB = 5;
    fx.doc->SelE = 15;
    char16_t buffer[8] = {u'#', u'#', u'#', u'#', u'#', u'#', u'#', u'#'};
    EXPECT_EQ(fx.doc->GetSelTextBuf(buffer, 8), 5);
    EXPECT_EQ(std::u16string(buffer), u"aabb");

    // Nothing selected: an empty text, and nothing at all into no room.
    fx.doc->SelE = fx.doc->SelB;
    buffer[0] = u'#';
    EXPECT_EQ(fx.doc->GetSelTextBuf(buffer, 0), 0);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(fx.doc->GetSelTextBuf(buffer, 8), 1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(fx.doc->GetSelLength(), 0);
}

// An animated two-frame GIF picture.
std::shared_ptr<ThtGifImage> animatedGif() {
    using namespace giftest;
    const Palette colors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    Builder b;
    b.header(2, 1, colors).loop(0);
    b.gce(1, 10).image(solid(2, 1, 1));
    b.gce(1, 10).image(solid(2, 1, 2));
    bool nonAnimated = false;
    TMemoryStream s(b.bytes.data(), b.bytes.size());
    return std::make_shared<ThtGifImage>(TGIFImage::LoadGifFromStream(nonAnimated, s));
}

TEST_F(DocumentTest, TheAnimationTimerRunsOnlyWithAnimatedPictures) {
    TDocFixture fx;
    addFake(fx.doc.get(), "text", 10);
    fx.layout();
    ASSERT_EQ(fx.services->TimersMade, 1);
    TFakeTimer* timer = fx.services->LastTimer;
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 50u);

    auto gif = animatedGif();
    ASSERT_TRUE(gif->Gif().IsAnimated());
    fx.doc->AGifList.push_back(gif);
    fx.layout();
    EXPECT_EQ(fx.services->TimersMade, 1);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_TRUE(gif->Gif().Animate());
    EXPECT_EQ(gif->Gif().CurrentFrame(), 1);

    // Drawing holds the timer while it paints.
    fx.doc->Draw(&fx.canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0);
    EXPECT_TRUE(timer->Enabled());
    timer->Fire();
    EXPECT_EQ(timer->Interval(), 40u);

    // A print copy has no timer of its own.
    std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*fx.doc);
    int32_t scroll = 0, curs = 0;
    copy->DoLogic(&fx.canvas, 0, 800, 600, 0, scroll, curs);
    EXPECT_EQ(copy->Timer, nullptr);
    EXPECT_EQ(fx.services->TimersMade, 1);
}

TEST_F(DocumentTest, HoveringMovesBetweenLinksAndImages) {
    TDocFixture fx;
    fx.doc->LinksActive = true;
    auto linkProps = props(ASy, u"a");
    auto first = std::make_unique<TSection>(fx.doc.get(), nullptr, linkProps.get(), nullptr, false);
    auto second = std::make_unique<TSection>(fx.doc.get(), nullptr, linkProps.get(), nullptr, false);
    TFontObj* link1 = first->Fonts.GetFont(0);
    TFontObj* link2 = second->Fonts.GetFont(0);
    link1->UrlTarget->Assign(u"one.html", u"", nullptr, 0);
    link2->UrlTarget->Assign(u"two.html", u"", nullptr, 0);
    fx.doc->LinkList->Add(link1);
    fx.doc->LinkList->Add(link2);
    TImageObj image(fx.doc.get(), u"pic.png");

    // The point's X says what lies under it: 1 and 2 the links, 3 the image.
    TFakeSection* page = addFake(fx.doc.get(), "page", 100, 100);
    int pointAt = 0;
    page->OnGetURL = [&](std::unique_ptr<TUrlTarget>&, std::u16string*) -> ThtguResultType {
        if (pointAt == 1) fx.doc->ActiveLink = link1;
        if (pointAt == 2) fx.doc->ActiveLink = link2;
        if (pointAt == 3) fx.doc->ActiveImage = &image;
        return pointAt ? guUrl : 0;
    };
    auto hoverAt = [&](int at) {
        pointAt = at;
        std::unique_ptr<TUrlTarget> target;
        TFormControlObjBase* control = nullptr;
        std::u16string title;
        fx.doc->GetURL(&fx.canvas, at, 0, target, control, &title);
    };

    hoverAt(1);
    EXPECT_TRUE(link1->Hover());
    EXPECT_EQ(fx.services->Invalidations, 1);
    hoverAt(1);
    EXPECT_EQ(fx.services->Invalidations, 1);  // nothing changed
    hoverAt(2);
    EXPECT_FALSE(link1->Hover());
    EXPECT_TRUE(link2->Hover());
    EXPECT_EQ(fx.services->Invalidations, 2);
    hoverAt(3);
    EXPECT_FALSE(link2->Hover());
    // The image's own hover frames are its business (an ACTIVE GIF); the
    // document only keeps which image is under the mouse.
    EXPECT_EQ(fx.doc->ActiveImage, &image);
    fx.services->LeftDown = true;
    hoverAt(3);
    fx.doc->LButtonDown(false);
    EXPECT_EQ(fx.doc->ActiveImage, &image);
    hoverAt(0);
    EXPECT_EQ(image.Hover(), hvOff);
    EXPECT_EQ(fx.doc->ActiveImage, nullptr);

    hoverAt(1);
    const int before = fx.services->Invalidations;
    fx.doc->CancelActives();
    EXPECT_FALSE(link1->Hover());
    EXPECT_EQ(fx.doc->ActiveLink, nullptr);
    EXPECT_EQ(fx.services->Invalidations, before + 1);

    // Without hot-spot links the runs keep their state.
    fx.doc->LinksActive = false;
    hoverAt(2);
    EXPECT_FALSE(link2->Hover());
    fx.doc->CancelActives();
}

// A picture that writes into the log when it is drawn.
class TLoggedImage : public TImageObj {
public:
    TLoggedImage(TCellBasic* Parent, std::vector<std::string>* ALog) : TImageObj(Parent, u"x.png"), Log(ALog) {}
    void DrawInline(TCanvas*, int32_t, int32_t, int32_t, TFontObj*) override { Log->push_back("image"); }
    std::vector<std::string>* Log;
};

TEST_F(DocumentTest, PicturesInTheTextAreDrawnAfterEverythingElse) {
    ThreeSections fx;
    TLoggedImage image(fx.doc.get(), &fx.log);
    fx.s[0]->OnDraw = [&] { fx.doc->DrawList.AddImage(&image, &fx.canvas, 0, 0, 0, nullptr); };
    fx.layout();
    fx.log.clear();
    EXPECT_EQ(fx.doc->Draw(&fx.canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0), 60);
    EXPECT_EQ(fx.log, (std::vector<std::string>{"draw aa", "draw bb", "draw cc", "image"}));
    EXPECT_TRUE(fx.doc->DrawList.Empty());
    EXPECT_TRUE(fx.doc->FirstPageItem == false);
}

// A form whose saved values are lines of text.
class TFakeForm : public ThtmlFormBase {
public:
    TFakeForm(ThtDocument* Doc, std::string AName) : ThtmlFormBase(Doc), Name(std::move(AName)) {}
    std::unique_ptr<TStringList> GetFormSubmission() override {
        auto sl = std::make_unique<TStringList>();
        sl->Add(Name + "=" + Value);
        return sl;
    }
    void SetFormData(const TStringList& SL) override {
        if (Fails) throw std::runtime_error("does not fit");
        Value = SL.Strings(0);
    }
    std::string Name, Value;
    bool Fails = false;
};

TEST_F(DocumentTest, FormValuesAreSavedAndGivenBackInFormOrder) {
    TDocFixture fx;
    EXPECT_EQ(fx.doc->GetFormcontrolData(), nullptr);
    auto* a = static_cast<TFakeForm*>(fx.doc->AddForm(std::make_unique<TFakeForm>(fx.doc.get(), "a")));
    auto* b = static_cast<TFakeForm*>(fx.doc->AddForm(std::make_unique<TFakeForm>(fx.doc.get(), "b")));
    a->Value = "1";
    b->Value = "2";
    auto saved = fx.doc->GetFormcontrolData();
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(saved->size(), 2u);
    EXPECT_EQ((*saved)[1]->Strings(0), "b=2");

    std::vector<std::unique_ptr<TStringList>> restore;
    for (const char* v : {"x", "y", "z"}) {
        restore.push_back(std::make_unique<TStringList>());
        restore.back()->Add(v);
    }
    fx.doc->SetFormcontrolData(restore);  // the extra entry is ignored
    EXPECT_EQ(a->Value, "x");
    EXPECT_EQ(b->Value, "y");

    // A form that cannot take its values stops the restoring quietly.
    a->Fails = true;
    restore[1]->Put(0, "changed");
    EXPECT_NO_THROW(fx.doc->SetFormcontrolData(restore));
    EXPECT_EQ(b->Value, "y");
}

}  // namespace
