#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/LogGrabView.h"
#include "dialogs/MessageView.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"

namespace {

struct Seen {
    bool shown = false;
    std::string caption;
    std::vector<std::string> lines;
    std::vector<TColor> colors;
    int picture = 0;  // 1 question, 2 information, 3 error
    bool yesShown = false;
    std::string noCaption;
    bool labelShown = false;
    std::string label;
    int clientW = 0, clientH = 0;
};
Seen g_seen;

void record(int answer) {
    g_seen = Seen{};
    SetModalHook([answer](TObject* w) -> int {
        auto* f = dynamic_cast<TLogGrabViewForm*>(w);
        if (!f) return mrCancel;
        g_seen.shown = true;
        g_seen.caption = f->Caption();
        for (int i = 0; i < f->re1->LineCount(); ++i) {
            g_seen.lines.push_back(f->re1->LineText(i));
            g_seen.colors.push_back(f->re1->LineColor(i));
        }
        g_seen.picture = f->img1->Visible() ? 1 : f->img2->Visible() ? 2 : f->img3->Visible() ? 3 : 0;
        g_seen.yesShown = f->btn1->Visible();
        g_seen.noCaption = f->btn2->Caption();
        g_seen.labelShown = f->lbl2->Visible();
        g_seen.label = f->lbl2->Caption();
        g_seen.clientW = f->ClientWidth();
        g_seen.clientH = f->ClientHeight();
        (answer == mrYes ? f->btn1 : f->btn2)->Click();
        return 0;
    });
}

}  // namespace

TEST(LogGrabView, LinesColoursPictureAndOneOkButton) {
    EnsureApplication();
    TCLogGrabber g;
    KV_HLogFmtText(0, "Ключи созданы");
    KV_HLogFmtText(0x40800001u, "%s: запрос принят", zrnTranslateString("Сервер").c_str());
    KV_HLogFmtText(0xC0800005u, "Запрос не сохранен: <b>%d</b>", 5);
    record(mrCancel);
    EXPECT_EQ(showLogGrabber(&g, 16), mrCancel);
    ASSERT_TRUE(g_seen.shown);
    EXPECT_EQ(g_seen.caption, "Результат операции");
    EXPECT_EQ(g_seen.lines,
              (std::vector<std::string>{"Ключи созданы", "Сервер: запрос принят", "Запрос не сохранен: <b>5</b>"}));
    EXPECT_EQ(g_seen.colors, (std::vector<TColor>{clBlack, clNavy, clMaroon}));
    EXPECT_EQ(g_seen.picture, 3);
    EXPECT_FALSE(g_seen.yesShown);
    EXPECT_EQ(g_seen.noCaption, "Ok");
    EXPECT_FALSE(g_seen.labelShown);
    SetModalHook(nullptr);
}

TEST(LogGrabView, PictureFollowsFlagsAndTheLastLineOnly) {
    EnsureApplication();
    TCLogGrabber g;
    KV_HLogFmtText(0xC0800005u, "ошибка в начале");
    KV_HLogFmtText(0, "всё в порядке");
    struct Case {
        uint32_t flags;
        int picture;
    };
    for (const Case& c :
         {Case{0, 2}, Case{16, 2}, Case{LGV_ERROR, 3}, Case{LGV_QUESTION, 1}, Case{LGV_QUESTION | LGV_ERROR, 1}}) {
        record(mrCancel);
        showLogGrabber(&g, c.flags);
        EXPECT_EQ(g_seen.picture, c.picture) << c.flags;
    }
    // Yes and No with a caption and a label text.
    record(mrYes);
    EXPECT_EQ(showLogGrabber(&g, LGV_YESNO | LGV_QUESTION, "Продолжить?", "Отправить запросы повторно?"), mrYes);
    EXPECT_TRUE(g_seen.yesShown);
    EXPECT_EQ(g_seen.noCaption, "Нет");
    EXPECT_EQ(g_seen.caption, "Продолжить?");
    EXPECT_TRUE(g_seen.labelShown);
    EXPECT_EQ(g_seen.label, "Отправить запросы повторно?");
    SetModalHook(nullptr);
}

TEST(LogGrabView, NoLinesNoWindow) {
    EnsureApplication();
    record(mrCancel);
    TCLogGrabber g;
    EXPECT_EQ(showLogGrabber(&g, 16), 1);
    EXPECT_EQ(showLogGrabber(nullptr, 16), 1);
    EXPECT_FALSE(g_seen.shown);
    SetModalHook(nullptr);
}

TEST(LogGrabView, LongLinesWidenTheWindowWithinTheScreen) {
    EnsureApplication();
    TCLogGrabber g;
    std::string longLine;
    for (int i = 0; i < 120; ++i) longLine += "слово" + std::to_string(i) + " ";
    KV_HLogFmtText(0, "%s", longLine.c_str());
    record(mrCancel);
    showLogGrabber(&g, 16);
    EXPECT_GT(g_seen.clientW, 480);
    EXPECT_LE(g_seen.clientW, maxDialogClientWidth());

    // Short lines: the window keeps its width however many there are.
    TCLogGrabber shortLines;
    for (int i = 0; i < 60; ++i) KV_HLogFmtText(0, "Шаг %d", i);
    record(mrCancel);
    showLogGrabber(&shortLines, 16);
    EXPECT_EQ(g_seen.clientW, 480);

    TCLogGrabber many;
    for (int i = 0; i < 400; ++i) KV_HLogFmtText(0, "Строка %d", i);
    record(mrCancel);
    showLogGrabber(&many, 16);
    EXPECT_EQ(g_seen.lines.size(), 400u);
    EXPECT_LE(g_seen.clientW, maxDialogClientWidth());
    EXPECT_LE(g_seen.clientH, maxDialogClientHeight());
    SetModalHook(nullptr);
}

TEST(LogGrabView, WindowPicture) {
    // A PNG of a result window for a person to look at, when asked for.
    const char* dir = std::getenv("ZRX_TEST_SNAPSHOTS");
    if (!dir) GTEST_SKIP() << "ZRX_TEST_SNAPSHOTS not set";
    EnsureApplication();
    TCLogGrabber g;
    KV_HLogFmtText(0, "Сформирован запрос на сертификат подписи");
    KV_HLogFmtText(0x40800001u, "%s: запрос зарегистрирован под номером 1025", zrnTranslateString("Сервер").c_str());
    KV_HLogFmtText(0xC0800005u, "Ошибка сохранения запроса в файл '/tmp/запрос.p10'");
    SetModalHook([dir](TObject* w) -> int {
        if (auto* f = dynamic_cast<TLogGrabViewForm*>(w)) {
            EXPECT_TRUE(SaveControlImage(f, std::string(dir) + "/result.png"));
        }
        return mrCancel;
    });
    showLogGrabber(&g, 16);
    SetModalHook(nullptr);
}
