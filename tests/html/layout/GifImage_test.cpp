#include "html/layout/GifImage.h"

#include <gtest/gtest.h>

#include "html/layout/GifBuilder.h"
#include "platform/framework/GraphicsErrors.h"

using namespace giftest;

namespace {

const Palette kColors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

// Puts a settable clock in place for one test and restores the old one.
struct FakeClock {
    uint32_t now = 1000;
    TGifClock old;
    FakeClock() : old(SetGifClock([this] { return now; })) {}
    ~FakeClock() { SetGifClock(old); }
};

std::unique_ptr<TGIFImage> load(const std::string& bytes, bool* nonAnimated = nullptr) {
    bool na = false;
    TMemoryStream s(bytes.data(), bytes.size());
    s.SetPosition(3);  // loading starts at the beginning whatever the position
    auto g = TGIFImage::LoadGifFromStream(na, s);
    if (nonAnimated) *nonAnimated = na;
    return g;
}

Image pixels(int w, std::vector<uint8_t> px, int left = 0) {
    Image im;
    im.width = w;
    im.height = 1;
    im.left = left;
    im.pixels = std::move(px);
    return im;
}

// Three 2 x 1 frames on white: red and transparent; then blue on the
// right; then two greens. Delays 0, 2 and 5 hundredths.
std::string threeFrames(int loop = -1) {
    Builder b;
    b.header(2, 1, kColors);
    if (loop >= 0) b.loop(loop);
    b.gce(1, 0, 0).image(pixels(2, {1, 0}));
    b.gce(1, 2, 0).image(pixels(1, {3}, 1));
    b.gce(1, 5).image(pixels(2, {2, 2}));
    return b.bytes;
}

// The drawn frame on a white 2 x 1 bitmap as letters.
std::string drawn(TGIFImage& g, int w = 2, int h = 1) {
    TBitmap target(w, h);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect{0, 0, w, h});
    g.Draw(target.Canvas(), 0, 0, w, h);
    std::string s;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor c = target.Canvas()->Pixel(x, y);
            s += c == clWhite ? 'w' : c == clRed ? 'R' : c == clLime ? 'G' : c == clBlue ? 'B' : '?';
        }
    return s;
}

}  // namespace

TEST(GifImage, LoadsFramesIterationsAndDelays) {
    struct Case {
        int loop;
        int iterations;
    } cases[] = {{-1, 1}, {0, 0}, {2, 3}};
    for (const Case& c : cases) {
        bool nonAnimated = true;
        auto g = load(threeFrames(c.loop), &nonAnimated);
        EXPECT_FALSE(nonAnimated);
        EXPECT_TRUE(g->IsAnimated());
        EXPECT_TRUE(g->IsTransparent());
        EXPECT_EQ(g->NumFrames(), 3);
        EXPECT_EQ(g->NumIterations(), c.iterations) << c.loop;
        EXPECT_EQ(g->Width(), 2);
        EXPECT_EQ(g->LastDisposal(), dtToBackground);
        EXPECT_EQ(g->FrameList().GetFrame(1).frDelay, 30);
        EXPECT_EQ(g->FrameList().GetFrame(2).frDelay, 30);
        EXPECT_EQ(g->FrameList().GetFrame(3).frDelay, 50);
        EXPECT_EQ(g->FrameList().GetFrame(2).frLeft, 1);
        EXPECT_EQ(g->FrameList().GetFrame(2).frDisposalMethod, dtDoNothing);
    }
    bool nonAnimated = false;
    auto one = load(Builder().header(2, 1, kColors).image(pixels(2, {1, 2})).bytes, &nonAnimated);
    EXPECT_TRUE(nonAnimated);
    EXPECT_FALSE(one->IsAnimated());
    EXPECT_EQ(one->Mask(), nullptr);
    ASSERT_NE(one->MaskedBitmap(), nullptr);
    EXPECT_EQ(one->MaskedBitmap()->Canvas()->Pixel(1, 0), clLime);

    nonAnimated = false;
    EXPECT_THROW(load("GIF89a but not really", &nonAnimated), EInvalidGraphicOperation);
}

TEST(GifImage, DrawsTheCurrentFrameThroughItsMask) {
    auto g = load(threeFrames());
    EXPECT_EQ(drawn(*g), "Rw");
    EXPECT_EQ(g->StretchedRect().Right, 2);
    g->SetCurrentFrame(2);
    EXPECT_EQ(drawn(*g), "RB");
    g->SetCurrentFrame(3);
    EXPECT_EQ(drawn(*g, 4, 2), "GGGGGGGG");
    g->SetCurrentFrame(0);
    EXPECT_EQ(g->CurrentFrame(), 3);
    g->SetCurrentFrame(4);
    EXPECT_EQ(g->CurrentFrame(), 1);
    EXPECT_EQ(drawn(*g, 4, 1), "RRww");

    // Invisible: nothing drawn, the last rectangle kept.
    g->SetVisible(false);
    EXPECT_EQ(drawn(*g, 3, 1), "www");
    EXPECT_EQ(g->StretchedRect().Right, 4);

    // The first frame for printing: transparent pixels black under a white mask.
    g->SetVisible(true);
    TBitmap* first = g->MaskedBitmap();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Width(), 2);
    EXPECT_EQ(first->Canvas()->Pixel(1, 0), clBlack);
    ASSERT_NE(g->Mask(), nullptr);
    EXPECT_EQ(g->Mask()->Canvas()->Pixel(0, 0), clBlack);
    EXPECT_EQ(g->Mask()->Canvas()->Pixel(1, 0), clWhite);
}

TEST(GifImage, ClockAdvancesFramesRunsItsIterationsAndSurvivesWrapAround) {
    FakeClock clock;
    auto g = load(threeFrames(1));  // loop count 1: runs twice
    ASSERT_EQ(g->NumIterations(), 2);
    g->CheckTime(nullptr);
    EXPECT_EQ(g->CurrentFrame(), 1);  // not animating yet
    g->SetAnimate(true);
    clock.now += 29;
    g->CheckTime(nullptr);
    EXPECT_EQ(g->CurrentFrame(), 1);
    clock.now += 1;
    g->CheckTime(nullptr);
    g->CheckTime(nullptr);  // twice within the new interval: one step
    EXPECT_EQ(g->CurrentFrame(), 2);
    EXPECT_EQ(g->LastDisposal(), dtDoNothing);

    // Frame 2 lasts 30 ms across the clock's wrap-around.
    clock.now = 0xFFFFFFF0u;
    g->CheckTime(nullptr);
    EXPECT_EQ(g->CurrentFrame(), 3);
    clock.now = 0x00000020u;  // 48 ms later, frame 3 lasts 50
    g->CheckTime(nullptr);
    EXPECT_EQ(g->CurrentFrame(), 3);
    clock.now += 2;
    g->CheckTime(nullptr);
    EXPECT_EQ(g->CurrentFrame(), 1);  // second run
    for (int i = 0; i < 2; ++i) {
        clock.now += 50;
        g->CheckTime(nullptr);
    }
    EXPECT_EQ(g->CurrentFrame(), 3);
    clock.now += 50;
    g->CheckTime(nullptr);
    EXPECT_FALSE(g->Animate());  // stopped on the last frame
    EXPECT_EQ(g->CurrentFrame(), 3);
}

TEST(GifImage, CopiesShareTheStripAndOutliveTheirSource) {
    auto g = load(threeFrames(0));
    g->SetAnimate(true);
    g->SetCurrentFrame(2);
    auto copy = TGIFImage::CreateCopy(*g);
    EXPECT_TRUE(copy->IsCopy);
    EXPECT_EQ(copy->StripBitmap().get(), g->StripBitmap().get());
    EXPECT_EQ(copy->CurrentFrame(), 1);
    EXPECT_FALSE(copy->Animate());
    EXPECT_EQ(copy->NumIterations(), 0);
    EXPECT_TRUE(copy->FrameList().GetFrame(3).IsCopy);
    g.reset();
    EXPECT_EQ(drawn(*copy), "Rw");
    copy->SetCurrentFrame(2);
    EXPECT_EQ(drawn(*copy), "RB");
}
