#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "components/ResImageList.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Translation.h"
#include "support/TempDir.h"

namespace {

TEST(ResImageList, StripsAreCutIntoTheListWidthWithTheMaskColour) {
    EnsureApplication();
    // A strip of three 8x8 images on green, with one red pixel each.
    RegisterBitmapResource("BMP_TestStrip", [](TBitmap& b) {
        b.SetSize(24 + 5, 8);  // a narrower piece at the end is dropped
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(clLime);
        c->FillRect(Rect(0, 0, b.Width(), b.Height()));
        for (int i = 0; i < 3; ++i) c->SetPixel(i * 8 + i, 1, clRed);
        b.ReleaseCanvas();
        return true;
    });
    TResImageList list(nullptr);
    list.SetWidth(8);
    list.SetHeight(8);
    list.SetResourceName("bmp_teststrip");
    list.LoadBitmapFile();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_TRUE(list.Masked());
    for (int i = 0; i < 3; ++i) {
        const QImage* img = list.Image(i);
        ASSERT_NE(img, nullptr);
        EXPECT_EQ(img->width(), 8);
        EXPECT_EQ(img->pixelColor(i, 1), QColor(Qt::red)) << i;
        EXPECT_EQ(img->pixelColor(7, 7).alpha(), 0) << i;  // the mask colour is transparent
    }

    // The program's strips load; a missing resource leaves the list empty.
    for (const char* name : {"BMP_RootCaMainToolBar", "BMP_RootCaMainToolBar_bl", "BMP_RootCaMainPageControl",
                             "BMP_ObjListEditorToolBar", "BMP_ObjListEditorToolBar_bl"}) {
        TResImageList l(nullptr);
        EXPECT_TRUE(l.LoadFromResource(name)) << name;
        EXPECT_GE(l.Count(), 4) << name;
        EXPECT_EQ(l.ResourceName(), name);
    }
    TResImageList missing(nullptr);
    missing.SetResourceName("BMP_Nothing");
    missing.LoadBitmapFile();
    EXPECT_EQ(missing.Count(), 0);
    EXPECT_FALSE(missing.LoadFromResource("BMP_Nothing"));
    EXPECT_EQ(missing.ResourceName(), "BMP_Nothing");

    // A look at the main tool bar's strip.
    TResImageList bar(nullptr);
    ASSERT_TRUE(bar.LoadFromResource("BMP_RootCaMainToolBar"));
    QImage sheet(bar.Count() * 18, 18, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    for (int i = 0; i < bar.Count(); ++i)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (bar.Image(i)->pixelColor(x, y).alpha())
                    sheet.setPixelColor(i * 18 + x + 1, y + 1, bar.Image(i)->pixelColor(x, y));
    sheet.scaled(sheet.width() * 4, sheet.height() * 4)
        .save(QString::fromStdString(testing::TempDir() + "/toolbar-strip.png"));
}

// A list its owner filled while building it keeps those pictures when the
// owner's components are loaded; one changed since, or never filled, loads
// its strip then.
TEST(ResImageList, LoadingAfterConstructionKeepsTheStripInPlace) {
    EnsureApplication();
    auto* owner = new TForm(nullptr);  // its components wait for Loaded
    auto* filled = new TResImageList(owner);
    ASSERT_TRUE(filled->LoadFromResource("BMP_RootCaMainToolBar"));
    auto* changed = new TResImageList(owner);
    ASSERT_TRUE(changed->LoadFromResource("BMP_RootCaMainToolBar"));
    changed->Clear();
    auto* named = new TResImageList(owner);
    named->SetResourceName("BMP_RootCaMainToolBar");
    const int count = filled->Count();
    int changes = 0;
    TChangeLink link;
    link.OnChange = [&] { ++changes; };
    filled->RegisterChanges(&link);
    owner->AfterConstruction();  // Loaded for every component
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(filled->Count(), count);
    EXPECT_EQ(changed->Count(), count);
    EXPECT_EQ(named->Count(), count);
    filled->UnRegisterChanges(&link);
    owner->Free();
}

TEST(InteractiveTimer, CountsDownAndExecutes) {
    EnsureApplication();
    TCInteactiveTimer t(nullptr);
    EXPECT_FALSE(t.Enabled());
    EXPECT_EQ(t.Interval(), 1000u);
    std::vector<std::pair<String, int>> shown;
    int executed = 0, ticks = 0;
    t.OnShowRemain = [&](TObject*, const String& s, int n) { shown.emplace_back(s, n); };
    t.OnExecute = [&](TObject*) { ++executed; };
    t.OnTimer = [&](TObject*) { ++ticks; };
    t.SetPeriod(3);
    EXPECT_TRUE(t.Enabled());
    for (int i = 0; i < 6; ++i) t.Fire();
    EXPECT_EQ(ticks, 6);
    EXPECT_EQ(executed, 2);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], (std::pair<String, int>{"2 cек.", 2}));
    EXPECT_EQ(shown[1].second, 1);

    // Period 1: every second, and never a remaining time.
    shown.clear();
    t.SetPeriod(1);
    for (int i = 0; i < 3; ++i) t.Fire();
    EXPECT_EQ(executed, 5);
    EXPECT_TRUE(shown.empty());
    // Pause and Resume restore the state the timer had.
    t.Pause();
    EXPECT_FALSE(t.Enabled());
    t.Resume();
    EXPECT_TRUE(t.Enabled());
    t.SetPeriod(0);
    EXPECT_FALSE(t.Enabled());
    t.Pause();
    t.Resume();
    EXPECT_FALSE(t.Enabled());
}

TEST(InteractiveTimer, RemainingTimeTexts) {
    EXPECT_EQ(TCInteactiveTimer::remainText(3725), "1 ч.2 мин.5 cек.");
    EXPECT_EQ(TCInteactiveTimer::remainText(60), "1 мин.0 cек.");
    EXPECT_EQ(TCInteactiveTimer::remainText(7), "7 cек.");
    std::string lang = std::string(ZRX_SOURCE_DIR) + "/app/data/lang";
    std::string oldDir = zrnGetTranslationDir().str();
    zrnSetTranslationDir(lang.c_str());
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_ENGLISH));
    EXPECT_EQ(TCInteactiveTimer::remainText(3725), "1 h 2 min 5 s");
    ASSERT_TRUE(zrnSetLanguage(ZRN_LANG_UKRAINIAN));
    EXPECT_EQ(TCInteactiveTimer::remainText(60), "1 хв.0 с.");
    zrnSetLanguage(ZRN_LANG_RUSSIAN);
    zrnSetTranslationDir(oldDir.c_str());
}

}  // namespace
