// The scroll bar: its range with a page, positions set by code, and each
// scroll by the user seen (and corrected) by its owner before it lands.
#include <gtest/gtest.h>

#include <QScrollBar>

#include <vector>

#include "platform/framework/Forms.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/ScrollBar.h"

namespace {

struct Scrolled {
    TScrollCode code;
    int pos;
};

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        form = CreateComponent<TForm>(Application);
        bar = new TScrollBar(form);
        bar->SetParent(form);
        bar->SetKind(sbVertical);
        bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) {
            scrolls.push_back({code, pos});
            if (correct) pos = correct(pos);
        };
        bar->OnChange = [this](TObject*) { ++changes; };
    }
    void TearDown() override { form->Free(); }
    QScrollBar* qt() const { return static_cast<QScrollBar*>(bar->Handle()); }
    TForm* form = nullptr;
    TScrollBar* bar = nullptr;
    std::vector<Scrolled> scrolls;
    std::function<int(int)> correct;
    int changes = 0;
};

TEST_F(ScrollBarTest, TheRangeHoldsThePageAndCodeMovesWithoutScrollEvents) {
    EXPECT_GT(bar->Height(), bar->Width());  // turned upright
    bar->SetMax(1000);
    bar->SetPageSize(200);
    EXPECT_EQ(qt()->maximum(), 801);  // the last position: 1000 - 200 + 1
    EXPECT_EQ(qt()->pageStep(), 200);
    bar->SetPosition(5000);
    EXPECT_EQ(bar->Position(), 801);
    bar->SetPosition(-3);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(scrolls.empty());
    // A page larger than the range is ignored; a range smaller than the page is refused.
    bar->SetPageSize(1200);
    EXPECT_EQ(bar->PageSize(), 200);
    EXPECT_THROW(bar->SetMax(150), EInvalidOperation);
    EXPECT_EQ(bar->Max(), 1000);
    // Page first, then a smaller maximum: allowed, and the position follows.
    bar->SetPosition(700);
    bar->SetPageSize(100);
    bar->SetMax(500);
    EXPECT_EQ(bar->Position(), 401);
    EXPECT_EQ(qt()->maximum(), 401);
    EXPECT_EQ(qt()->value(), 401);
}

TEST_F(ScrollBarTest, EachUserScrollPassesThroughTheHandlerWhichMayCorrectIt) {
    bar->SetParams(100, 0, 1000);
    bar->SetPageSize(200);
    bar->SetSmallChange(16);
    bar->SetLargeChange(150);
    changes = 0;
    qt()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(scrolls.size(), 1u);
    EXPECT_EQ(scrolls[0].code, scLineDown);
    EXPECT_EQ(scrolls[0].pos, 116);
    EXPECT_EQ(bar->Position(), 116);
    EXPECT_EQ(changes, 1);

    correct = [](int pos) { return pos - pos % 50; };  // the owner snaps to fifties
    qt()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(scrolls.back().code, scPageDown);
    EXPECT_EQ(scrolls.back().pos, 266);  // the large change, not the page
    EXPECT_EQ(bar->Position(), 250);
    EXPECT_EQ(qt()->value(), 250);

    correct = [](int) { return 5000; };  // beyond the range: kept within it
    qt()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(scrolls.back().code, scBottom);
    EXPECT_EQ(scrolls.back().pos, 801);
    EXPECT_EQ(bar->Position(), 801);

    correct = nullptr;
    qt()->triggerAction(QAbstractSlider::SliderPageStepSub);
    qt()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(scrolls[scrolls.size() - 2].code, scPageUp);
    EXPECT_EQ(scrolls[scrolls.size() - 2].pos, 651);
    EXPECT_EQ(scrolls.back().code, scTop);
    EXPECT_EQ(bar->Position(), 0);
    qt()->setSliderPosition(333);  // the thumb dragged
    EXPECT_EQ(scrolls.back().code, scTrack);
    EXPECT_EQ(bar->Position(), 333);
}

}  // namespace
