#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dialogs/AboutBox.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/QtTestApp.h"
#include "platform/runtime/FileUtils.h"
#include "support/TempDir.h"

namespace {

// The program folder of the test: the shipped data, so the pictures load.
class About : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        setModulePath(ZRX_SOURCE_DIR "/app/data");
    }
    void TearDown() override {
        SetModalHook(nullptr);
        setModulePath(nullptr);
    }
    TNAboutForm* make() {
        auto* f = new TNAboutForm(Application);
        f->AfterConstruction();
        return f;
    }
    // PNGs for looking at, when ZRX_TEST_SNAPSHOTS names a folder.
    static void snapshot(TControl* c, const char* name) {
        if (const char* dir = std::getenv("ZRX_TEST_SNAPSHOTS"))
            SaveControlImage(c, std::string(dir) + "/" + name + ".png");
    }
};

TEST_F(About, NoticeLineYears) {
    struct Case {
        int first, current;
        const char* line;
    } cases[] = {
        {2026, 2026, "© 2026 Зорен"},
        {2025, 2026, "© 2025, 2026 Зорен"},
        {2019, 2026, "© 2019-2026 Зорен"},
    };
    for (const Case& c : cases) EXPECT_EQ(aboutNoticeLine(c.first, c.current), c.line) << c.first;
}

TEST_F(About, VersionRows) {
    zrxtest::TempDir dir;
    zrxtest::writeFile(dir.file("libplain.so"), "no record here");
    zrxtest::writeFile(dir.file("libsigned.so"), std::string("\x7f"
                                                             "ELF...@(#)ZRX-FILE-VERSION 3.2.1.40\0...",
                                                             41));
    const TAboutModule modules[] = {
        {"Модуль подписи", "libsigned.so"},        {"Модуль без версии", "libplain.so"},
        {"Отсутствующий модуль", "libmissing.so"}, {"", nullptr},
        {"После конца", "libsigned.so"},
    };
    auto* f = make();
    f->fillVersions(modules, dir.str());
    std::vector<std::pair<String, String>> rows;
    for (int i = 0; i < f->ListView1->Items()->Count(); ++i) {
        TListItem* it = f->ListView1->Items()->Item(i);
        rows.emplace_back(it->Caption(), it->SubItems()->Strings(0));
    }
    const std::vector<std::pair<String, String>> expected = {
        {"Версия программы", programVersionText()},
        {"Модуль подписи", "3.2.1.40"},
        {"Модуль без версии", "Нет данных!"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(f->txt2->Caption(), std::string("v ") + programVersionText());
    f->Free();
}

TEST_F(About, CollapseExpandAndEmblem) {
    auto* f = make();
    EXPECT_FALSE(f->expanded());
    EXPECT_FALSE(f->Panel2->Visible());
    EXPECT_EQ(f->Button2->Caption(), "Версии >>");
    const int collapsed = f->ClientHeight();
    f->Button2->Click();
    EXPECT_TRUE(f->Panel2->Visible());
    EXPECT_EQ(f->Button2->Caption(), "<< Версии");
    EXPECT_EQ(f->ClientHeight(), collapsed + f->Panel2->Height() - 15);
    f->Button2->Click();
    EXPECT_EQ(f->ClientHeight(), collapsed);

    f->showEmblem(4, 1);
    EXPECT_TRUE(f->img2->Visible());
    EXPECT_FALSE(f->img1->Visible());
    EXPECT_TRUE(f->img2->Animating());
    f->showEmblem(4, 2);
    EXPECT_TRUE(f->img1->Visible());
    EXPECT_FALSE(f->img2->Visible());
    f->Free();
}

TEST_F(About, ShownModallyWithTitleAndProduct) {
    Application->SetTitle("Модуль генерации запросов");
    std::string caption, product, notice;
    int rows = 0;
    SetModalHook([&](TObject* w) -> int {
        auto* f = dynamic_cast<TNAboutForm*>(w);
        if (!f) return mrCancel;
        caption = f->Caption();
        product = f->StaticText3->Caption();
        notice = f->txt1->Caption();
        rows = f->ListView1->Items()->Count();
        f->setExpanded(true);
        snapshot(f, "about-box");
        return mrCancel;
    });
    showAboutBox(2015, nullptr);
    EXPECT_EQ(caption, "Информация");
    EXPECT_EQ(product, "Модуль генерации запросов системы криптографической защиты \"Зорен-X.509\"");
    EXPECT_EQ(notice.rfind("© 2015-", 0), 0u);
    EXPECT_EQ(rows, 1);
}

}  // namespace
