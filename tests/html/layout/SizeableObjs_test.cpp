// Sizeable objects and images: attributes, the size from the specified
// size and the picture, style properties, the alternative-text box, where
// the picture, its border and its focus mark are drawn, hover frames of GIF
// pictures, and pictures arriving late or replaced.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "GifBuilder.h"
#include "SectionFixture.h"
#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/ImageSentinels.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/Fonts.h"
#include "platform/framework/RecordingDC.h"
#include "platform/framework/Streams.h"

namespace {

using namespace modeltest;
using namespace sectiontest;

struct A {
    TAttrSymb sym;
    const char16_t* value;
    double number;
};

std::unique_ptr<TAttributeList> attrs(std::initializer_list<A> list) {
    auto l = std::make_unique<TAttributeList>();
    for (const A& a : list) l->Add(attr(a.sym, u"X", a.value, a.number));
    return l;
}

class SizeableObjsTest : public RecordingScreenTest {
protected:
    std::unique_ptr<ThtDocument> doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    std::unique_ptr<TProperties> imgProps = props(ImageSy, u"img");

    std::unique_ptr<TImageObj> image(std::initializer_list<A> list, ThtDocument* d = nullptr) {
        auto l = attrs(list);
        ThtDocument* in = d ? d : doc.get();
        return std::make_unique<TImageObj>(in, 0, l.get(), imgProps.get());
    }
};

ThtImagePtr picture(int w, int h) { return std::make_shared<ThtBitmapImage>(new TBitmap(w, h), NotTransp, clNone); }

TEST_F(SizeableObjsTest, AlignmentSizeAndSpaceAttributes) {
    struct Case {
        std::initializer_list<A> in;
        ThtAlignmentStyle vertAlign, floating;
        int32_t specW, specH;
        bool pctW, pctH;
        int32_t hl, hr, vt;
    } cases[] = {
        {{{AlignSy, u" top ", 0}}, aTop, aNone, -1, -1, false, false, 0, 0, 0},
        {{{AlignSy, u"absmiddle", 0}}, aMiddle, aNone, -1, -1, false, false, 0, 0, 0},
        {{{AlignSy, u"Left", 0}}, aNone, aLeft, -1, -1, false, false, 0, 0, 0},
        {{{AlignSy, u"right", 0}}, aNone, aRight, -1, -1, false, false, 0, 0, 0},
        {{{AlignSy, u"sideways", 0}}, aBottom, aNone, -1, -1, false, false, 0, 0, 0},
        {{{WidthSy, u"120", 120}, {HeightSy, u"50%", 50}}, aBottom, aNone, 120, 50, false, true, 0, 0, 0},
        {{{WidthSy, u"150%", 150}}, aBottom, aNone, -1, -1, false, false, 0, 0, 0},
        // HSPACE is the left space only, VSPACE the top one, both at most 40.
        {{{HSpaceSy, u"10", 10}, {VSpaceSy, u"55", 55}}, aBottom, aNone, -1, -1, false, false, 10, 0, 40},
        {{{HSpaceSy, u"100", 100}, {VSpaceSy, u"-5", -5}}, aBottom, aNone, -1, -1, false, false, 40, 0, 0},
        {{{HSpaceSy, u"-7", -7}}, aBottom, aNone, -1, -1, false, false, 7, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto img = image(c.in);
        EXPECT_EQ(img->VertAlign, c.vertAlign);
        EXPECT_EQ(img->Floating, c.floating);
        EXPECT_EQ(img->SpecWidth, c.specW);
        EXPECT_EQ(img->SpecHeight, c.specH);
        EXPECT_EQ(img->PercentWidth, c.pctW);
        EXPECT_EQ(img->PercentHeight, c.pctH);
        EXPECT_EQ(img->HSpaceL, c.hl);
        EXPECT_EQ(img->HSpaceR, c.hr);
        EXPECT_EQ(img->VSpaceT, c.vt);
    }
    // Quirks mode: floats without HSPACE keep 3 pixels from the text.
    doc->FUseQuirksMode = true;
    auto left = image({{AlignSy, u"left", 0}});
    EXPECT_EQ(std::make_pair(left->HSpaceL, left->HSpaceR), std::make_pair(0, 3));
    auto right = image({{AlignSy, u"right", 0}});
    EXPECT_EQ(std::make_pair(right->HSpaceL, right->HSpaceR), std::make_pair(3, 0));
    auto spaced = image({{AlignSy, u"left", 0}, {HSpaceSy, u"10", 10}});
    EXPECT_EQ(std::make_pair(spaced->HSpaceL, spaced->HSpaceR), std::make_pair(10, 0));
    doc->FUseQuirksMode = false;
}

TEST_F(SizeableObjsTest, ImageAttributes) {
    auto bordered = image({{BorderSy, u"25", 25}});
    EXPECT_EQ(bordered->BorderSize, 10);
    EXPECT_FALSE(bordered->NoBorder);
    auto none = image({{BorderSy, u"0", 0}});
    EXPECT_EQ(none->BorderSize, 0);
    EXPECT_TRUE(none->NoBorder);
    EXPECT_EQ(image({{BorderSy, u"-3", -3}})->BorderSize, 0);

    auto mapped = image({{UseMapSy, u" #m1 ", 0}, {IsMapSy, u"", 0}, {ActiveSy, u"", 0}, {TranspSy, u"", 0}});
    EXPECT_TRUE(mapped->UseMap);
    EXPECT_EQ(mapped->MapName, u"M1");
    EXPECT_TRUE(mapped->IsMap);
    EXPECT_TRUE(mapped->FHoverImage);
    EXPECT_EQ(mapped->Transparent, LLCorner);
    EXPECT_EQ(image({{UseMapSy, u"#", 0}})->MapName, u"#");

    auto alt = image({{TitleSy, u"Tip", 0}, {AltSy, u"Logo\r\n", 0}, {SrcSy, u" a.png ", 0}});
    EXPECT_EQ(alt->Alt(), u"Logo");
    EXPECT_EQ(alt->Title, u"Tip");  // TITLE wins over ALT, wherever it stands
    EXPECT_EQ(alt->Source(), u"a.png");
    EXPECT_EQ(image({{AltSy, u"Logo", 0}})->Title, u"Logo");

    auto named = image({{NameSy, u" pic ", 0}});
    const int i = doc->IDNameList->IndexOf(u"pic");
    ASSERT_GE(i, 0);
    EXPECT_EQ(doc->IDNameList->GetObject(i), named.get());
    named.reset();
    EXPECT_LT(doc->IDNameList->IndexOf(u"pic"), 0);
}

TEST_F(SizeableObjsTest, BorderInsideALink) {
    TFontObj link(nullptr, nullptr, 0);
    link.UrlTarget->URL = u"next.htm";
    TFontObj plain(nullptr, nullptr, 0);
    struct Case {
        std::initializer_list<A> in;
        TFontObj* fo;
        int32_t border;
    } cases[] = {
        {{}, &link, 1},
        {{{BorderSy, u"0", 0}}, &link, 0},
        {{{BorderSy, u"3", 3}}, &link, 3},
        {{}, &plain, 0},
    };
    for (const Case& c : cases) {
        auto img = image(c.in);
        img->DrawLogicInline(nullptr, c.fo, 100, 100);
        EXPECT_EQ(img->BorderSize, c.border) << int(&c - cases);
    }
}

TEST_F(SizeableObjsTest, ClientSizeFromSpecifiedSizeAndPicture) {
    struct Case {
        int32_t specW, specH;
        bool pctW, pctH;
        int32_t availW, availH;
        bool sizeKnown;
        int32_t imgW, imgH;
        int32_t w, h;
        bool known;
    } cases[] = {
        {50, -1, true, false, 400, 300, true, 100, 50, 200, 100, false},  // half the room, the picture's shape
        {-1, 25, false, true, 400, 200, true, 40, 20, 100, 50, false},
        {30, 40, false, false, 0, 0, false, 100, 50, 30, 40, true},
        {-1, 40, false, false, 0, 0, true, 100, 50, 80, 40, true},
        {-1, 10, false, false, 0, 0, true, 3, 4, 8, 10, true},  // 7.5 rounds up
        {0, 0, false, false, 0, 0, true, 7, 9, 7, 9, true},     // 0 counts as not given
        {-1, -1, false, false, 0, 0, false, 7, 9, 7, 9, false},
        // A picture without a width or height has no shape: 0 or the size given.
        {60, -1, false, false, 0, 0, true, 0, 0, 60, 0, false},
        {-1, -1, false, false, 0, 0, true, 0, 0, 0, 0, false},
        {50, -1, true, false, 400, 300, true, 0, 0, 200, 0, false},
        {50, -1, true, false, -100, 300, true, 100, 50, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto img = image({});
        img->SpecWidth = c.specW;
        img->SpecHeight = c.specH;
        img->PercentWidth = c.pctW;
        img->PercentHeight = c.pctH;
        img->CalcSize(c.availW, c.availH, c.sizeKnown, c.imgH, c.imgW);
        EXPECT_EQ(img->ClientWidth(), c.w);
        EXPECT_EQ(img->ClientHeight(), c.h);
        EXPECT_EQ(img->ClientSizeKnown, c.known);
    }
    // A border wider than a picture of no size leaves an empty picture, not a negative one.
    auto framed = image({{BorderSy, u"5", 5}});
    framed->FImage = picture(0, 0);
    framed->DrawLogicInline(nullptr, nullptr, 100, 100);
    EXPECT_EQ(framed->ObjWidth, 0);
    EXPECT_EQ(framed->ObjHeight, 0);
}

TEST_F(SizeableObjsTest, StylePropertiesOverTheAttributes) {
    struct Case {
        std::initializer_list<A> in;
        std::vector<std::pair<ThtPropertyIndex, std::u16string>> style;
        int32_t specW;
        bool pctW;
        int32_t specH;
        int32_t hl, vt;
        ThtAlignmentStyle vertAlign, floating;
    } cases[] = {
        {{}, {{piWidth, u"50%"}}, 50, true, -1, 0, 0, aBottom, aNone},
        {{}, {{piWidth, u"80px"}, {piHeight, u"30px"}}, 80, false, 30, 0, 0, aBottom, aNone},
        {{{WidthSy, u"100", 100}}, {{piWidth, u"auto"}}, -1, false, -1, 0, 0, aBottom, aNone},
        // What the style leaves unset keeps the attribute's value.
        {{{WidthSy, u"100", 100}, {HSpaceSy, u"10", 10}}, {{MarginTop, u"3px"}}, 100, false, -1, 10, 3, aBottom, aNone},
        {{{HSpaceSy, u"10", 10}}, {{MarginLeft, u"7px"}}, -1, false, -1, 7, 0, aBottom, aNone},
        {{}, {{Float, u"left"}}, -1, false, -1, 0, 0, aNone, aLeft},
        {{}, {{Float, u"right"}, {VerticalAlign, u"middle"}}, -1, false, -1, 0, 0, aMiddle, aRight},
        {{{AlignSy, u"top", 0}}, {{VerticalAlign, u"baseline"}}, -1, false, -1, 0, 0, aBaseline, aNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto img = image(c.in);
        auto p = props(ImageSy, u"img");
        for (const auto& [index, value] : c.style) p->Props[index] = value;
        img->ProcessProperties(p.get());
        EXPECT_EQ(img->SpecWidth, c.specW);
        EXPECT_EQ(img->PercentWidth, c.pctW);
        EXPECT_EQ(img->SpecHeight, c.specH);
        EXPECT_EQ(img->HSpaceL, c.hl);
        EXPECT_EQ(img->VSpaceT, c.vt);
        EXPECT_EQ(img->VertAlign, c.vertAlign);
        EXPECT_EQ(img->Floating, c.floating);
    }
    // A border style of its own: the image draws no border.
    auto framed = image({{BorderSy, u"3", 3}});
    auto p = props(ImageSy, u"img");
    p->Props[BorderTopStyle] = std::u16string(u"solid");
    p->Props[piDisplay] = std::u16string(u"none");
    p->PropTitle = u"From style";
    framed->ProcessProperties(p.get());
    EXPECT_TRUE(framed->NoBorder);
    EXPECT_EQ(framed->BorderSize, 0);
    EXPECT_EQ(framed->Title, u"From style");
    EXPECT_EQ(framed->Display(), pdNone);
    auto titled = image({{AltSy, u"Alt", 0}});
    titled->ProcessProperties(p.get());
    EXPECT_EQ(titled->Title, u"Alt");
}

class ImageDrawingTest : public SizeableObjsTest {
protected:
    void SetUp() override {
        SizeableObjsTest::SetUp();
        canvas.SetDevice(&dc);
        doc->TheOwner = &owner;
        doc->YOff = 50;
        run = std::make_unique<TFontObj>(nullptr, fontProps->GetFont(), 0);  // 20 high, descent 4
    }
    void TearDown() override {
        canvas.SetDevice(nullptr);
        SizeableObjsTest::TearDown();
    }
    // Draws at X 5, Y 150, baseline 180 (document): canvas Y 100, baseline 130.
    void draw(TImageObj& img) {
        img.DrawLogicInline(&canvas, run.get(), 400, 400);
        dc.ClearLog();
        img.DrawInline(&canvas, 5, 150, 180, run.get());
    }
    bool logged(const std::string& line) const {
        for (const std::string& l : dc.Log())
            if (l.rfind(line, 0) == 0) return true;
        return false;
    }

    FakeOwner owner;
    TRecordingDC dc{800, 600};
    TCanvas canvas;
    std::unique_ptr<TProperties> fontProps = textProps();
    std::unique_ptr<TFontObj> run;
};

TEST_F(ImageDrawingTest, PictureByAlignment) {
    struct Case {
        std::initializer_list<A> in;
        int32_t x, y;  // where the 20 × 10 picture is drawn (canvas)
    } cases[] = {
        {{}, 5, 120},  // bottom: on the baseline
        {{{AlignSy, u"top", 0}}, 5, 100},
        {{{AlignSy, u"top", 0}, {VSpaceSy, u"5", 5}}, 5, 105},
        {{{AlignSy, u"middle", 0}}, 5, 119},                     // 130 + 4 - 10 - 10 / 2
        {{{AlignSy, u"left", 0}, {VSpaceSy, u"5", 5}}, 5, 100},  // a float is drawn at Y
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto img = image(c.in);
        img->FImage = picture(20, 10);
        draw(*img);
        EXPECT_TRUE(logged("StretchBlt " + std::to_string(c.x) + " " + std::to_string(c.y) + " 20 10 "));
        EXPECT_EQ(img->DrawXX, c.x);
        EXPECT_EQ(img->DrawYY, c.y + 50);  // kept in document coordinates
    }
}

TEST_F(ImageDrawingTest, BorderAndFocusMark) {
    run->UrlTarget->URL = u"next.htm";
    run->Active = true;  // the link has the focus
    auto img = image({{BorderSy, u"2", 2}});
    img->FImage = picture(20, 10);
    draw(*img);
    // The picture's size is the client size; the picture shrinks inside the border.
    EXPECT_EQ(img->ClientWidth(), 20);
    EXPECT_EQ(img->ClientHeight(), 10);
    EXPECT_TRUE(logged("StretchBlt 7 122 16 6 "));
    EXPECT_TRUE(logged("Rectangle 5 120 25 130"));
    EXPECT_TRUE(logged("SelectPen 6 2 "));  // inside-frame pen of the border's width
    EXPECT_TRUE(logged("DrawFocusRect 5 120 25 130"));
    owner.focusRects = false;
    draw(*img);
    EXPECT_FALSE(logged("DrawFocusRect"));
    // Hits count inside the border, in document coordinates.
    int32_t ix = -1, iy = -1;
    EXPECT_TRUE(img->PtInDrawRect(7, 172, ix, iy));
    EXPECT_EQ(std::make_pair(ix, iy), std::make_pair(0, 0));
    EXPECT_TRUE(img->PtInDrawRect(22, 177, ix, iy));
    EXPECT_FALSE(img->PtInDrawRect(23, 172, ix, iy));
    EXPECT_FALSE(img->PtInDrawRect(7, 178, ix, iy));
    EXPECT_FALSE(img->PtInDrawRect(6, 172, ix, iy));

    // A print copy reports where the link was drawn instead.
    ThtDocument copyDoc(nullptr, nullptr);
    copyDoc.IsCopy = true;
    copyDoc.LinkPage = 3;
    int calls = 0;
    copyDoc.LinkDrawnEvent = [&](TObject*, int32_t Page, const std::u16string& Url, const std::u16string&,
                                 const TRect& R) {
        ++calls;
        EXPECT_EQ(Page, 3);
        EXPECT_EQ(Url, u"next.htm");
        EXPECT_EQ(std::vector<int>({R.Left, R.Top, R.Right, R.Bottom}), std::vector<int>({5, 170, 25, 180}));
    };
    run->Active = false;
    auto printed = image({{BorderSy, u"2", 2}}, &copyDoc);
    printed->FImage = picture(20, 10);
    draw(*printed);
    EXPECT_EQ(calls, 1);
}

TEST_F(ImageDrawingTest, AlternativeTextBox) {
    doc->ShowImages = false;  // every picture is the placeholder
    auto logo = image({{AltSy, u"Logo", 0}, {AlignSy, u"top", 0}});
    logo->DrawLogicInline(&canvas, run.get(), 400, 400);
    // "Logo" in 8 points (11 pixels) is 4 × 5 wide and one line of 13
    // high; the box is 26 wider and at least 24 high.
    EXPECT_EQ(logo->AltWidth, 46);
    EXPECT_EQ(logo->AltHeight, 24);
    EXPECT_EQ(logo->ClientWidth(), 46);
    EXPECT_EQ(logo->ClientHeight(), 24);
    draw(*logo);
    const int pw = PendingImage().Width(), ph = PendingImage().Height();
    // The placeholder picture sits 4 pixels inside the box.
    EXPECT_TRUE(logged("StretchBlt 9 104 " + std::to_string(pw) + " " + std::to_string(ph) + " "));

    auto bare = image({});
    bare->DrawLogicInline(&canvas, run.get(), 400, 400);
    EXPECT_EQ(std::make_pair(bare->AltWidth, bare->AltHeight), std::make_pair(24, 24));
    auto sized = image({{WidthSy, u"10", 10}, {HeightSy, u"12", 12}});
    sized->DrawLogicInline(&canvas, run.get(), 400, 400);
    EXPECT_EQ(std::make_pair(sized->AltWidth, sized->AltHeight), std::make_pair(10, 12));
    dc.ClearLog();
    sized->DrawInline(&canvas, 5, 150, 180, run.get());
    EXPECT_FALSE(logged("StretchBlt"));  // a box under 24 pixels has no placeholder picture
}

TEST_F(SizeableObjsTest, PictureLookUpThroughTheDocument) {
    FakeOwner owner;
    owner.prefix = u"/base/";
    doc->TheOwner = &owner;
    // Without image handlers the viewer expands the name; a picture the
    // document cannot give is broken.
    auto img = image({{SrcSy, u"a.png", 0}});
    img->DrawLogicInline(nullptr, nullptr, 100, 100);
    EXPECT_EQ(img->Source(), u"/base/a.png");
    EXPECT_EQ(img->Image(), &BrokenImage());
    EXPECT_FALSE(img->Missing);
    // A name the document already waits for: this image waits too, pending.
    auto second = image({{SrcSy, u"a.png", 0}});
    doc->MissingImages.push_back({u"/BASE/A.PNG", img.get()});
    second->DrawLogicInline(nullptr, nullptr, 100, 100);
    EXPECT_EQ(second->Image(), &PendingImage());
    EXPECT_TRUE(second->Missing);
    ASSERT_EQ(doc->MissingImages.size(), 2u);
    EXPECT_EQ(doc->MissingImages[1].Image, second.get());
    second.reset();
    EXPECT_EQ(doc->MissingImages.size(), 1u);  // an image that goes leaves the list
    // With a handler of its own, the document's name expansion applies.
    doc->GetImage = [](TObject*, const std::u16string&, TStream*& Stream) { Stream = nullptr; };
    doc->ExpandName = [](TObject*, const std::u16string& Src, std::u16string& Result) { Result = u"x/" + Src; };
    auto third = image({{SrcSy, u"b.png", 0}});
    third->DrawLogicInline(nullptr, nullptr, 100, 100);
    EXPECT_EQ(third->Source(), u"x/b.png");
    doc->TheOwner = nullptr;
}

// A picture whose drawing fails.
class FailingPicture : public ThtImage {
public:
    FailingPicture() : ThtImage(NotTransp) {}
    TObject* GetImageObject() override { return nullptr; }
    TBitmap* GetBitmap() override { return nullptr; }
    int GetHeight() override { return 5; }
    int GetWidth() override { return 5; }
    TBitmap* GetMask() override { return nullptr; }
    void Draw(TCanvas*, int, int, int, int) override { throw Exception("cannot draw"); }
};

TEST_F(ImageDrawingTest, DrawingFailuresAreKeptNotRaised) {
    auto img = image({});
    auto failing = std::make_shared<FailingPicture>();
    img->FImage = failing;
    draw(*img);
    EXPECT_EQ(LastDrawError().Message, "cannot draw");
    EXPECT_EQ(LastDrawError().Image, failing.get());
    LastDrawError() = ThtDrawError{};
}

std::shared_ptr<ThtGifImage> gifOf(int frames) {
    giftest::Builder b;
    b.header(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    for (int f = 0; f < frames; ++f) {
        b.gce(1, 10);
        giftest::Image im;
        im.width = im.height = 2;
        im.pixels.assign(4, uint8_t(f % 4));
        b.image(im);
    }
    b.trailer();
    bool nonAnimated = false;
    const auto* data = reinterpret_cast<const uint8_t*>(b.bytes.data());
    auto gif = TGIFImage::LoadGifFromBytes(nonAnimated, data, b.bytes.size());
    return std::make_shared<ThtGifImage>(std::move(gif));
}

TEST_F(SizeableObjsTest, HoverFramesOfGifPictures) {
    struct Case {
        int frames;
        ThtHover hover;
        int frame;
        bool animating;
    } cases[] = {
        {2, hvOverUp, 2, false},
        {3, hvOverUp, 2, false},
        {3, hvOverDown, 3, false},
        {5, hvOverUp, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto img = image({{ActiveSy, u"", 0}});
        auto gif = gifOf(c.frames);
        img->FImage = gif;
        img->SetHover(c.hover);
        EXPECT_EQ(img->Hover(), c.hover);
        EXPECT_EQ(gif->Gif().CurrentFrame(), c.frame);
        EXPECT_EQ(gif->Gif().Animate(), c.animating);
        EXPECT_EQ(doc->AGifList.size(), c.animating ? 1u : 0u);
        img->SetHover(hvOff);
        EXPECT_EQ(gif->Gif().CurrentFrame(), 1);
        EXPECT_FALSE(gif->Gif().Animate());
        EXPECT_TRUE(doc->AGifList.empty());
    }
    auto still = image({});  // not an ACTIVE image
    auto gif = gifOf(2);
    still->FImage = gif;
    still->SetHover(hvOverUp);
    EXPECT_EQ(still->Hover(), hvOff);
    EXPECT_EQ(gif->Gif().CurrentFrame(), 1);
}

TEST_F(SizeableObjsTest, PicturesArrivingLateOrReplaced) {
    auto img = image({{SrcSy, u"late.png", 0}});
    bool reformat = true;
    EXPECT_FALSE(img->InsertImage(u"LATE.PNG", false, reformat));  // not waiting for anything
    img->FImage = ThtImagePtr(ThtImagePtr(), &PendingImage());
    img->Missing = true;
    EXPECT_TRUE(img->InsertImage(u"LATE.PNG", true, reformat));
    EXPECT_EQ(img->Image(), &BrokenImage());
    EXPECT_FALSE(img->Missing);
    EXPECT_TRUE(reformat);

    doc->ImageCache = std::make_shared<ThtImageCache>();  // pictures of every format load while a cache exists
    auto shown = image({});
    ThtImagePtr first = picture(3, 3);
    shown->FImage = shown->OrigImage = first;
    TMemoryStream junk;
    junk.Write("not a picture", 13);
    junk.SetPosition(0);
    shown->ReplaceImage(junk);
    EXPECT_EQ(shown->FImage, first);
    EXPECT_FALSE(shown->Swapped);

    QImage q(4, 2, QImage::Format_RGB32);
    q.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    q.save(&buffer, "PNG");
    TMemoryStream stream;
    stream.Write(png.constData(), png.size());
    stream.SetPosition(0);
    shown->ReplaceImage(stream);
    ASSERT_NE(shown->FImage, first);
    EXPECT_EQ(shown->FImage->Width(), 4);
    EXPECT_EQ(shown->OrigImage, first);  // the picture as loaded stays
    EXPECT_TRUE(shown->Swapped);
}

}  // namespace
