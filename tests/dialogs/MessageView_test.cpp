#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/MessageView.h"
#include "platform/runtime/Messages.h"

namespace {

struct Seen {
    std::string caption, text;
    std::vector<std::string> buttons;  // left to right
    std::vector<int> results;
    int defaultResult = -1, cancelResult = -1;
    int picture = 0;  // 1..4: img1..img4
    int clientW = 0, clientH = 0;
    bool scrolling = false;
};

std::vector<TButton*> buttonsLeftToRight(TMessageViewForm* f) {
    std::vector<TButton*> out;
    for (int i = 0; i < f->pnl1->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TButton*>(f->pnl1->Controls(i))) out.push_back(b);
    std::sort(out.begin(), out.end(), [](TButton* a, TButton* b) { return a->Left() < b->Left(); });
    return out;
}

Seen describe(TMessageViewForm* f) {
    Seen s;
    s.caption = f->Caption();
    s.text = f->message();
    for (TButton* b : buttonsLeftToRight(f)) {
        s.buttons.push_back(b->Caption());
        s.results.push_back(b->ModalResult());
        if (b->Default()) s.defaultResult = b->ModalResult();
        if (b->Cancel()) s.cancelResult = b->ModalResult();
    }
    TIconImage* pics[] = {f->img1, f->img2, f->img3, f->img4};
    for (int i = 0; i < 4; ++i)
        if (pics[i]->Visible()) s.picture = i + 1;
    s.clientW = f->ClientWidth();
    s.clientH = f->ClientHeight();
    Application->ProcessMessages();
    s.scrolling = f->txt1->Scrolling();
    return s;
}

// Shows the window through the modal hook, which records it and presses the
// button at `press` (left to right), or closes the window when press is -1.
Seen g_seen;
void answerWith(int press) {
    SetModalHook([press](TObject* w) -> int {
        auto* f = dynamic_cast<TMessageViewForm*>(w);
        if (!f) return mrCancel;
        g_seen = describe(f);
        if (press < 0) {
            f->Close();  // the window's own close button
            return 0;
        }
        buttonsLeftToRight(f).at(size_t(press))->Click();
        return 0;
    });
}

}  // namespace

TEST(MessageView, MessageBoxStylesButtonsAndAnswers) {
    EnsureApplication();
    struct Case {
        uint32_t style;
        std::vector<std::string> captions;
        std::vector<int> answers;  // message-box result of each button
        int picture;
        int defaultResult, cancelResult;
    };
    const Case cases[] = {
        {0x00, {"Принять"}, {1}, 4, mrOk, mrOk},
        {0x21, {"Принять", "Отменить"}, {1, 2}, 1, mrOk, -1},
        {0x32, {"Прекратить", "Повторить", "Игнорировать"}, {3, 4, 5}, 3, -1, mrAbort},
        {0x13, {"Да", "Нет", "Отменить"}, {6, 7, 2}, 4, mrYes, -1},
        {0x44, {"Да", "Нет"}, {6, 7}, 2, mrYes, -1},
        {0x15, {"Отменить", "Повторить"}, {2, 4}, 4, -1, -1},  // table order
        {0x36, {"Отменить", "Повторить попытку", "Продолжить"}, {2, 10, 11}, 3, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        for (size_t i = 0; i < c.answers.size(); ++i) {
            answerWith(int(i));
            EXPECT_EQ(messageBox(nullptr, "Текст", "Заголовок", c.style), c.answers[i]);
            EXPECT_EQ(g_seen.buttons, c.captions);
            EXPECT_EQ(g_seen.caption, "Заголовок");
            EXPECT_EQ(g_seen.text, "Текст");
            EXPECT_EQ(g_seen.picture, c.picture);
            EXPECT_EQ(g_seen.defaultResult, c.defaultResult);
            EXPECT_EQ(g_seen.cancelResult, c.cancelResult);
        }
        // Closing the window with its own button answers Cancel.
        answerWith(-1);
        EXPECT_EQ(messageBox(nullptr, "Текст", "Заголовок", c.style), 2);
    }
    SetModalHook(nullptr);
}

TEST(MessageView, MessageDlgKindsCaptionsAndEveryButtonAnswers) {
    EnsureApplication();
    const char* captions[] = {"Предупреждение", "Ошибка", "Информация", "Подтверждение"};
    const int pictures[] = {3, 4, 2, 1};
    for (int kind = 0; kind < 4; ++kind) {
        answerWith(0);
        EXPECT_EQ(messageDlg("Сообщение", TMsgDlgType(kind), mbSet(mbOK)), mrOk);
        EXPECT_EQ(g_seen.caption, captions[kind]);
        EXPECT_EQ(g_seen.picture, pictures[kind]);
    }
    // The whole table: buttons in table order, each with a non-zero answer,
    // the window never wider than the screen.
    TMsgDlgButtons all = 0;
    for (int b = 0; b <= int(mbContinue); ++b) all |= 1u << b;
    int count = 0;
    const TMessageButtonInfo* table = messageButtonTable(count);
    ASSERT_EQ(count, 14);
    for (int i = 0; i < count; ++i) {
        answerWith(i);
        EXPECT_EQ(showMessageWindow("Все кнопки", mtConfirmation, all, "К"), table[i].modalResult);
        EXPECT_NE(table[i].modalResult, 0) << table[i].caption;
        EXPECT_EQ(g_seen.buttons.at(size_t(i)), table[i].caption);
        EXPECT_LE(g_seen.clientW, maxDialogClientWidth());
    }
    SetModalHook(nullptr);
}

TEST(MessageView, LongTextsFitTheScreenAndScroll) {
    EnsureApplication();
    std::string paragraph;
    for (int i = 0; i < 150; ++i) paragraph += "слово" + std::to_string(i) + " ";
    answerWith(0);
    messageDlg(paragraph, mtWarning, mbSet(mbOK));
    const Seen wide = g_seen;
    EXPECT_GT(wide.clientW, 439);  // widened
    EXPECT_LE(wide.clientW, maxDialogClientWidth());
    EXPECT_LE(wide.clientH, maxDialogClientHeight());
    // Widened in steps until the text is lower than a third of the width.
    const TSize sz = MeasureWrappedText(paragraph, nullptr, wide.clientW - 76);
    EXPECT_LT(36 + 11 + sz.cy + 4, wide.clientW / 3 + 21);

    std::string lines;
    for (int i = 0; i < 200; ++i) lines += "Строка " + std::to_string(i) + "\n";
    answerWith(0);
    messageDlg(lines, mtInformation, mbSet(mbOK));
    EXPECT_LE(g_seen.clientW, maxDialogClientWidth());
    EXPECT_LE(g_seen.clientH, maxDialogClientHeight());
    EXPECT_TRUE(g_seen.scrolling);

    // Short lines do not get lower as the window widens: it keeps its width.
    std::string shortLines;
    for (int i = 0; i < 12; ++i) shortLines += "Строка " + std::to_string(i) + "\n";
    answerWith(0);
    messageDlg(shortLines, mtInformation, mbSet(mbOK));
    EXPECT_EQ(g_seen.clientW, 439);

    // A few lines that fit get no scroll bar, even with a long indented line.
    answerWith(0);
    messageDlg("Командная строка:\n" + std::string(58, ' ') + "c контейнером  личных ключей;\n" +
                   paragraph.substr(0, 300) + "\nпоследняя строка",
               mtInformation, mbSet(mbOK));
    EXPECT_FALSE(g_seen.scrolling);

    // One unbreakable word far wider than the screen.
    answerWith(0);
    messageDlg(std::string(5000, 'W'), mtError, mbSet(mbOK));
    EXPECT_LE(g_seen.clientW, maxDialogClientWidth());
    EXPECT_LE(g_seen.clientH, maxDialogClientHeight());
    SetModalHook(nullptr);
}

TEST(MessageView, TextIsPlainAndTheWindowStaysOnScreen) {
    EnsureApplication();
    SetModalHook([](TObject* w) -> int {
        auto* f = dynamic_cast<TMessageViewForm*>(w);
        if (!f) return mrCancel;
        g_seen = describe(f);
        const TRect area = AvailableScreenArea();
        EXPECT_GE(f->Left(), area.Left);
        EXPECT_GE(f->Top(), area.Top);
        EXPECT_LE(f->Left() + f->Width(), area.Right);
        return mrOk;
    });
    messageDlg("<b>жирный</b> &amp; <a href='x'>ссылка</a>", mtInformation, mbSet(mbOK));
    EXPECT_EQ(g_seen.text, "<b>жирный</b> &amp; <a href='x'>ссылка</a>");
    SetModalHook(nullptr);
}

TEST(MessageView, RuntimeLibraryBoxesReachTheWindow) {
    EnsureApplication();
    installMessageHook();
    answerWith(0);
    kvdShowErrorMessage(nullptr, 0xC0800005u, 0, "Не удалось открыть %s", "файл");
    EXPECT_EQ(g_seen.caption, "Ошибка!");
    EXPECT_NE(g_seen.text.find("Не удалось открыть файл"), std::string::npos) << g_seen.text;
    EXPECT_EQ(g_seen.picture, 4);
    EXPECT_EQ(g_seen.buttons, std::vector<std::string>{"Принять"});

    answerWith(0);
    EXPECT_EQ(runtimeMessageHook("Внимательно", 0), 1);
    EXPECT_EQ(g_seen.caption, "Внимание!");
    EXPECT_EQ(g_seen.picture, 3);
    SetModalHook(nullptr);
}

TEST(MessageView, WindowPicture) {
    // A PNG of a message window for a person to look at, when asked for.
    const char* dir = std::getenv("ZRX_TEST_SNAPSHOTS");
    if (!dir) GTEST_SKIP() << "ZRX_TEST_SNAPSHOTS not set";
    EnsureApplication();
    SetModalHook([dir](TObject* w) -> int {
        if (auto* f = dynamic_cast<TMessageViewForm*>(w)) {
            EXPECT_TRUE(SaveControlImage(f, std::string(dir) + "/message-yesnocancel.png"));
        }
        return mrCancel;
    });
    messageBox(nullptr, "Сохранить изменения в контейнере личных ключей перед закрытием окна?", "Вопрос", 0x23);
    SetModalHook(nullptr);
}
