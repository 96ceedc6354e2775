#include <gtest/gtest.h>

#include <string>

#include "dialogs/ProgressForm.h"

TEST(ProgressForm, ShowTextAndProgressFlags) {
    EnsureApplication();
    auto* f = CreateComponent<TCProgressForm>(Application);
    EXPECT_FALSE(f->Visible());
    f->showText("Поиск носителей...");
    EXPECT_TRUE(f->Visible());
    EXPECT_TRUE(f->img1->Active());  // the picture turns while shown
    EXPECT_EQ(f->CAnimText->Caption(), "Поиск носителей...");
    EXPECT_GE(f->ClientWidth(), 402);
    EXPECT_GE(f->ClientHeight(), 73);

    // Keep the text, show another, then the kept one comes back.
    EXPECT_TRUE(f->progress("Запись ключей", 0, PRF_SAVE | PRF_TEXT, 0));
    EXPECT_EQ(f->CAnimText->Caption(), "Запись ключей");
    EXPECT_EQ(f->savedTexts.count(), 1);
    f->progress(nullptr, 0, PRF_RESTORE, 0);
    EXPECT_EQ(f->CAnimText->Caption(), "Поиск носителей...");
    EXPECT_EQ(f->savedTexts.count(), 0);

    // The bar: maximum and position, then hidden again.
    f->progress(nullptr, 30, PRF_MAXIMUM | PRF_POSITION, 120);
    EXPECT_TRUE(f->ProgressBar1->Visible());
    EXPECT_EQ(f->ProgressBar1->Max(), 120);
    EXPECT_EQ(f->ProgressBar1->Position(), 30);
    f->progress(nullptr, 0, PRF_NOBAR, 0);
    EXPECT_FALSE(f->ProgressBar1->Visible());

    f->progress(nullptr, 0, 0, 0);
    EXPECT_FALSE(f->Visible());
    EXPECT_FALSE(f->img1->Active());
    f->Free();
}

TEST(ProgressForm, LongTextGrowsTheWindowWithinTheScreen) {
    EnsureApplication();
    auto* f = CreateComponent<TCProgressForm>(Application);
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "длинный ";
    f->showText(text.c_str());
    const TRect area = AvailableScreenArea();
    EXPECT_GT(f->ClientHeight(), 73);
    EXPECT_LE(f->Height(), area.Height());
    EXPECT_GE(f->Top(), area.Top);
    f->Free();
}
