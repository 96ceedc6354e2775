// How the document finds its pictures (the cache, the application's
// handlers with their wait and error answers, data addresses, files), how a
// picture that comes later reaches every object waiting for it, the page's
// background and its animation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeSections.h"
#include "GifBuilder.h"
#include "ImageFiles.h"
#include "html/layout/DataImages.h"
#include "html/layout/ImageSentinels.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/HtmlText.h"
#include "support/TempDir.h"

namespace {

using namespace modeltest;

class DocumentImagesTest : public RecordingScreenTest {};

std::string pngBytes(uint32_t argb = 0xFF0000FF) { return imagetest::encode(imagetest::solidImage(3, 2, argb), "PNG"); }

std::u16string base64Of(const std::string& bytes) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::u16string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = uint32_t(uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size()) n |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) n |= uint8_t(bytes[i + 2]);
        out += char16_t(alphabet[(n >> 18) & 63]);
        out += char16_t(alphabet[(n >> 12) & 63]);
        out += i + 1 < bytes.size() ? char16_t(alphabet[(n >> 6) & 63]) : u'=';
        out += i + 2 < bytes.size() ? char16_t(alphabet[n & 63]) : u'=';
    }
    return out;
}

// The viewer as far as pictures are concerned: file names are looked up in a folder.
class TFolderOwner : public ThtDocumentOwner {
public:
    explicit TFolderOwner(std::string AFolder) : Folder(std::move(AFolder)) {}
    TObject* SenderObject() override { return nullptr; }
    std::u16string HtmlExpandFilename(std::u16string_view Filename) override {
        ++Expansions;
        return htmltext::fromUtf8(Folder + "/") + std::u16string(Filename);
    }
    bool ShowFocusRect() override { return false; }
    void ControlMouseMove(TObject*, TShiftState, int, int) override {}
    void htProgress(int32_t) override {}
    void FollowLinkByKey(const TUrlTarget&) override {}
    void ViewerKeyDown(uint16_t&, TShiftState) override {}
    std::unique_ptr<ThtFrameViewer> CreateIFrameControl() override { return nullptr; }
    TStyleElements StyleElements() override { return AllStyleElements; }
    bool UseQuirksMode() override { return false; }
    std::string Folder;
    int Expansions = 0;
};

// A document with an image cache, a folder of picture files and handlers
// whose answers a test chooses.
struct ImageDoc : TDocFixture {
    ImageDoc() {
        doc->ImageCache = std::make_shared<ThtImageCache>();
        zrxtest::writeFile(folder.file("file.png"), pngBytes());
    }
    void handleBitmaps(TBitmap* Answer, TColor Colour = -1) {
        doc->GetBitmap = [this, Answer, Colour](TObject*, const std::u16string& src, TBitmap*& bmp, TColor& c) {
            calls.push_back("bitmap " + htmltext::toUtf8(src));
            bmp = Answer;
            if (Colour != -1) c = Colour;
        };
        doc->GottenBitmap = [this](TObject*, const std::u16string&, TBitmap*&, TColor&) {
            calls.push_back("gotten bitmap");
        };
    }
    void handleStreams(TStream* Answer) {
        doc->GetImage = [this, Answer](TObject*, const std::u16string& src, TStream*& s) {
            calls.push_back("stream " + htmltext::toUtf8(src));
            s = Answer;
        };
        doc->GottenImage = [this](TObject*, const std::u16string&, TStream*&) { calls.push_back("gotten stream"); };
    }
    ThtImagePtr get(std::u16string_view name, TTransparency& tr, bool& fromCache, bool& delay) {
        return doc->GetTheImage(name, tr, fromCache, delay);
    }
    zrxtest::TempDir folder;
    TFolderOwner owner{folder.str()};
    std::vector<std::string> calls;
};

TEST_F(DocumentImagesTest, PicturesAreLookedUpInOrderAndTheHandlersCanSayWaitOrNone) {
    TBitmap handed(4, 4);
    const std::string png = pngBytes();
    TMemoryStream stream(png.data(), png.size());
    const struct {
        const char* what;
        TBitmap* bitmap;  // the bitmap handler's answer (null: no bitmap handler)
        TStream* image;   // the stream handler's answer (null: no stream handler)
        bool found, delay;
        std::vector<std::string> calls;
    } cases[] = {
        {"a bitmap", &handed, nullptr, true, false, {"bitmap file.png", "gotten bitmap"}},
        {"the bitmap comes later", WaitBitmap(), &stream, false, true, {"bitmap file.png", "gotten bitmap"}},
        {"no bitmap, a stream",
         ErrorBitmap(),
         &stream,
         true,
         false,
         {"bitmap file.png", "gotten bitmap", "stream file.png", "gotten stream"}},
        {"the stream comes later", nullptr, WaitStream(), false, true, {"stream file.png", "gotten stream"}},
        {"no stream: the file", nullptr, ErrorStream(), true, false, {"stream file.png", "gotten stream"}},
        {"no handlers: the file", nullptr, nullptr, true, false, {}},
    };
    for (const auto& c : cases) {
        ImageDoc fx;
        fx.doc->TheOwner = &fx.owner;
        if (c.bitmap) fx.handleBitmaps(c.bitmap);
        if (c.image) fx.handleStreams(c.image);
        stream.SetPosition(0);
        TTransparency tr = NotTransp;
        bool fromCache = true, delay = false;
        ThtImagePtr image = fx.get(u"file.png", tr, fromCache, delay);
        EXPECT_EQ(image != nullptr, c.found) << c.what;
        EXPECT_EQ(delay, c.delay) << c.what;
        EXPECT_FALSE(fromCache) << c.what;
        EXPECT_EQ(fx.calls, c.calls) << c.what;
        EXPECT_EQ(fx.doc->ImageCache->Count(), c.found ? 1 : 0) << c.what;
        fx.doc->TheOwner = nullptr;
    }
    // A bitmap with a transparent colour makes a picture transparent by that colour.
    ImageDoc fx;
    fx.handleBitmaps(&handed, clRed);
    TTransparency tr = NotTransp;
    bool fromCache = false, delay = false;
    ASSERT_NE(fx.get(u"x", tr, fromCache, delay), nullptr);
    EXPECT_EQ(tr, TrGif);
    // The handler's bitmap stays the handler's.
    EXPECT_EQ(handed.Width(), 4);
}

TEST_F(DocumentImagesTest, TheCacheKeyIsTheTrimmedNameInCapitals) {
    ImageDoc fx;
    fx.handleBitmaps(nullptr);
    const std::string png = pngBytes();
    TMemoryStream stream(png.data(), png.size());
    fx.handleStreams(&stream);
    TTransparency tr = NotTransp;
    bool fromCache = false, delay = false;
    ThtImagePtr first = fx.get(u"  Pic.png ", tr, fromCache, delay);
    ASSERT_NE(first, nullptr);
    EXPECT_GE(fx.doc->ImageCache->IndexOf("PIC.PNG"), 0);
    fx.calls.clear();
    ThtImagePtr again = fx.get(u"PIC.png", tr, fromCache, delay);
    EXPECT_TRUE(fromCache);
    EXPECT_EQ(again, first);
    EXPECT_TRUE(fx.calls.empty());
    EXPECT_EQ(ImageKey(u" a b.png\t"), u"A B.PNG");
}

TEST_F(DocumentImagesTest, DataAddressesCarryStrictBase64) {
    const std::u16string data = base64Of(pngBytes());
    std::u16string broken = data;
    broken.insert(8, u"%0A");  // line feeds as pages write them
    const struct {
        const char* what;
        std::u16string address;
        bool found;
    } cases[] = {
        {"plain", u"data:image/png;base64," + data, true},
        {"with line feeds", u"data:image/png;base64," + broken, true},
        {"no type", u"data:image/;base64," + data, true},
        {"capital prefix is a name", u"DATA:IMAGE/PNG;BASE64," + data, false},
        {"bad Base64", u"data:image/png;base64,@@@@" + data, false},
        {"cut short", u"data:image/png;base64," + data.substr(0, data.size() - 1), false},
        {"no marker", u"data:image/png," + data, false},
    };
    for (const auto& c : cases) {
        ImageDoc fx;
        TTransparency tr = NotTransp;
        bool fromCache = false, delay = false;
        EXPECT_EQ(fx.get(c.address, tr, fromCache, delay) != nullptr, c.found) << c.what;
    }
    EXPECT_FALSE(IsDataImageAddress(u"Data:image/png;base64,AAAA"));
}

TEST_F(DocumentImagesTest, Base64IsDecodedStrictly) {
    const struct {
        const char16_t* text;
        bool ok;
        std::string bytes;
    } cases[] = {
        {u"TWFu", true, "Man"},   {u"TWE=", true, "Ma"}, {u"TQ==", true, "M"}, {u"TW\nFu\r\n", true, "Man"},
        {u"", true, ""},          {u"TQ=", false, ""},   {u"T===", false, ""}, {u"TW=u", false, ""},
        {u"TQ==TWFu", false, ""}, {u"TWF", false, ""},   {u"TW u", false, ""}, {u"TW-u", false, ""},
        {u"TR==", false, ""},     {u"TWF=", false, ""},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes;
        EXPECT_EQ(DecodeBase64Strict(c.text, bytes), c.ok) << htmltext::toUtf8(c.text);
        if (c.ok) {
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.bytes) << htmltext::toUtf8(c.text);
        }
    }
}

// An image object that waits for its picture and says what it was given.
class TWaitingImage : public TImageObj {
public:
    TWaitingImage(TCellBasic* Parent, bool AReformat) : TImageObj(Parent, u"late.png"), WantsReformat(AReformat) {}
    bool InsertImage(std::u16string_view UName, bool Error, bool& Reformat) override {
        Served.push_back(std::u16string(UName) + (Error ? u" error" : u" ok"));
        Reformat = WantsReformat;
        if (OnServed) OnServed();
        return true;
    }
    bool WantsReformat;
    std::vector<std::u16string> Served;
    std::function<void()> OnServed;
};

TEST_F(DocumentImagesTest, APictureThatComesLaterServesEveryWaiter) {
    for (const bool good : {true, false}) {
        ImageDoc fx;
        TWaitingImage quiet(fx.doc.get(), false), growing(fx.doc.get(), true), other(fx.doc.get(), true);
        fx.doc->MissingImages = {{u"LATE.PNG", &quiet}, {u"ELSE.PNG", &other}, {u"LATE.PNG", &growing}};
        const std::string bytes = good ? pngBytes() : std::string("not a picture");
        TMemoryStream stream(bytes.data(), bytes.size());
        bool reformat = false;
        fx.doc->InsertImage(u" late.PNG ", &stream, reformat);
        const std::u16string want = good ? u"LATE.PNG ok" : u"LATE.PNG error";
        EXPECT_EQ(quiet.Served, std::vector<std::u16string>{want});
        EXPECT_EQ(growing.Served, std::vector<std::u16string>{want});
        EXPECT_TRUE(other.Served.empty());
        EXPECT_TRUE(reformat);
        ASSERT_EQ(fx.doc->MissingImages.size(), 1u);
        EXPECT_EQ(fx.doc->MissingImages[0].Image, &other);
        EXPECT_EQ(fx.doc->ImageCache->IndexOf("LATE.PNG") >= 0, good);
        fx.doc->MissingImages.clear();
    }
}

TEST_F(DocumentImagesTest, AWaiterThatAsksAgainWaitsForTheNextPicture) {
    ImageDoc fx;
    TWaitingImage again(fx.doc.get(), false);
    again.OnServed = [&] { fx.doc->MissingImages.push_back({u"LATE.PNG", &again}); };
    fx.doc->MissingImages = {{u"LATE.PNG", &again}};
    TBitmap* bitmap = new TBitmap(2, 2);
    bool reformat = true;
    fx.doc->InsertImage(u"late.png", bitmap, -1, NotTransp, true, reformat);
    EXPECT_EQ(again.Served.size(), 1u);
    EXPECT_FALSE(reformat);
    EXPECT_EQ(fx.doc->MissingImages.size(), 1u);
    fx.doc->MissingImages.clear();
}

TEST_F(DocumentImagesTest, APictureNobodyWaitsForIsLeftAlone) {
    ImageDoc fx;
    const std::string bytes = pngBytes();
    TMemoryStream stream(bytes.data(), bytes.size());
    bool reformat = true;
    fx.doc->InsertImage(u"nobody.png", &stream, reformat);
    EXPECT_FALSE(reformat);
    EXPECT_EQ(fx.doc->ImageCache->Count(), 0);
    // A bitmap handed over with its ownership is freed (the sanitizer build sees a leak otherwise).
    fx.doc->InsertImage(u"nobody.png", new TBitmap(2, 2), -1, NotTransp, true, reformat);
    EXPECT_EQ(fx.doc->ImageCache->Count(), 0);
}

TEST_F(DocumentImagesTest, TheBackgroundIsLookedUpOnceAndExpandedOnce) {
    ImageDoc fx;
    int expansions = 0;
    fx.doc->ExpandName = [&](TObject*, const std::u16string& src, std::u16string& out) {
        ++expansions;
        out = u"http://host/" + src;
    };
    fx.handleBitmaps(WaitBitmap());
    fx.doc->SetBackgroundBitmap(u"bg.png", PtPositionRec{});
    fx.doc->GetBackgroundBitmap();
    fx.doc->GetBackgroundBitmap();
    EXPECT_EQ(fx.calls, (std::vector<std::string>{"bitmap http://host/bg.png", "gotten bitmap"}));
    ASSERT_EQ(fx.doc->MissingImages.size(), 1u);
    EXPECT_EQ(fx.doc->MissingImages[0].Name, u"HTTP://HOST/BG.PNG");
    EXPECT_EQ(fx.doc->MissingImages[0].Image, nullptr);
    EXPECT_EQ(fx.doc->BackgroundImage, nullptr);

    // The picture arrives under the name the handler was asked for.
    bool reformat = false;
    fx.doc->InsertImage(u"http://host/bg.png", new TBitmap(3, 3), -1, NotTransp, true, reformat);
    ASSERT_NE(fx.doc->BackgroundImage, nullptr);
    EXPECT_EQ(fx.doc->BackgroundImage->Width(), 3);
    EXPECT_EQ(fx.doc->BitmapName, u"bg.png");
    EXPECT_EQ(expansions, 1);
    EXPECT_EQ(fx.calls.size(), 2u);

    // With pictures off the background is never asked for.
    ImageDoc off;
    off.handleBitmaps(WaitBitmap());
    off.doc->ShowImages = false;
    off.doc->SetBackgroundBitmap(u"bg.png", PtPositionRec{});
    off.doc->GetBackgroundBitmap();
    EXPECT_TRUE(off.calls.empty());
}

// A clock that tests move by hand.
struct FakeGifClock {
    uint32_t now = 1000;
    TGifClock old;
    FakeGifClock() : old(SetGifClock([this] { return now; })) {}
    ~FakeGifClock() { SetGifClock(old); }
};

TEST_F(DocumentImagesTest, AnAnimatedBackgroundRepaintsThePageWhenItsFrameChanges) {
    FakeGifClock clock;
    ImageDoc fx;
    using namespace giftest;
    const Palette colors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    Builder b;
    b.header(2, 1, colors).loop(0);
    b.gce(1, 10).image(solid(2, 1, 1));
    b.gce(1, 10).image(solid(2, 1, 2));
    TMemoryStream gif(b.bytes.data(), b.bytes.size());
    fx.handleStreams(&gif);
    fx.doc->SetBackgroundBitmap(u"anim.gif", PtPositionRec{});
    fx.doc->GetBackgroundBitmap();
    ASSERT_NE(std::dynamic_pointer_cast<ThtGifImage>(fx.doc->BackgroundImage), nullptr);
    ASSERT_EQ(fx.doc->AGifList.size(), 1u);

    addFake(fx.doc.get(), "text", 10);
    fx.layout();
    TFakeTimer* timer = fx.services->LastTimer;
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->Enabled());
    fx.doc->Draw(&fx.canvas, Rect(0, 0, 800, 600), 800, 0, 0, 0, 0);
    timer->Fire();  // too early for the next frame
    EXPECT_EQ(fx.services->Invalidations, 0);
    EXPECT_EQ(timer->Interval(), 40u);
    clock.now += 200;
    timer->Fire();
    EXPECT_EQ(fx.services->Invalidations, 1);

    // Clear lets go of the background and its animation.
    fx.doc->Clear();
    EXPECT_EQ(fx.doc->BackgroundImage, nullptr);
    EXPECT_TRUE(fx.doc->AGifList.empty());
    EXPECT_EQ(fx.doc->Timer, nullptr);
}

}  // namespace
