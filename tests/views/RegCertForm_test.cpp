// The validity range and the issuing dialog, driven through the modal hook.
#include <gtest/gtest.h>

#include "platform/framework/QtTestApp.h"
#include "platform/runtime/TimeUtils.h"
#include "views/RegCertFormEx.h"
#include "support/ProgramLanguage.h"

namespace {

class HookScope {
public:
    explicit HookScope(TModalHook h) : old_(SetModalHook(std::move(h))) {}
    ~HookScope() { SetModalHook(old_); }

private:
    TModalHook old_;
};

constexpr int64_t kDay = 86400;
constexpr int64_t kYear2100 = 4102444800;  // past 2038

TEST(ValidityRange, Bounds) {
    const TCValidityRange def;
    const int64_t t0 = today(true);
    struct Case {
        const char* name;
        int64_t latestStart, latestEnd, t;
        bool start, end;
    };
    const Case cases[] = {
        {"before today", 0, 0, t0 - kDay, false, false},
        {"today", 0, 0, t0, true, true},
        {"open latest, far after 2038", 0, 0, kYear2100, true, true},
        {"at the latest", t0 + 10 * kDay, t0 + 20 * kDay, t0 + 10 * kDay, true, true},
        {"latest start exceeded", t0 + 10 * kDay, t0 + 20 * kDay, t0 + 11 * kDay, false, true},
        {"latest end exceeded", t0 + 10 * kDay, t0 + 20 * kDay, t0 + 21 * kDay, false, false},
        {"latest after 2038", kYear2100, kYear2100 + kDay, kYear2100 + kDay, false, true},
    };
    EXPECT_EQ(t0, def.earliestStart);
    EXPECT_EQ(t0, def.earliestEnd);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCValidityRange r;
        r.latestStart = c.latestStart;
        r.latestEnd = c.latestEnd;
        EXPECT_EQ(c.start, r.isStartAllowed(c.t));
        EXPECT_EQ(c.end, r.isEndAllowed(c.t));
    }
}

class IssuingDialog : public ::testing::Test {
protected:
    void SetUp() override { ensureQtApp(); }
    TCRegFormParams params() const {
        TCRegFormParams p;
        p.startDate = today(true);
        p.endDate = incDays(p.startDate, 366);
        return p;
    }
};

TEST_F(IssuingDialog, FlagsChooseGroupsAndButtons) {
    struct Case {
        uint32_t flags;
        const char* text;
        bool dates, phrase;
        std::vector<std::string> buttons;  // visible, Button1..Button4
        uint32_t flagsAfter;
    };
    const Case cases[] = {
        {0x20, "", true, false, {"Прекратить", "Выполнить"}, 0x20},
        {0x28, "", true, true, {"Прекратить", "Выполнить"}, 0x28},
        {0x28, "фраза", true, false, {"Прекратить", "Выполнить"}, 0x20},
        {0x08, "", false, true, {"Прекратить", "Выполнить"}, 0x08},
        {0x21, "", true, false, {"Прекратить", "Все", "Пропустить", "Выполнить"}, 0x21},
        {0x60, "", true, false, {"Прекратить", "Выполнить", "Отклонить"}, 0x60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        bool dates = false, phrase = false, phraseMoved = false;
        std::vector<std::string> buttons;
        int rejectResult = 0;
        std::string caption, phraseText;
        HookScope hook([&](TObject* w) {
            auto* f = dynamic_cast<TKeyRegFormEx*>(w);
            if (!f) return int(mrCancel);
            dates = f->grpBx2->Visible();
            phrase = f->grpBx1->Visible();
            phraseMoved = f->grpBx1->Left() == f->grpBx2->Left();
            for (TButton* b : {f->Button1, f->Button2, f->Button3, f->Button4})
                if (b->Visible()) buttons.push_back(b->Caption());
            rejectResult = f->Button3->ModalResult();
            caption = f->Caption();
            phraseText = f->edit2->GetText();
            return int(mrCancel);
        });
        TCRegFormParams p = params();
        p.text = c.text;
        TCFlags<unsigned int> flags(c.flags);
        EXPECT_EQ(mrCancel, execKeyRegForm("<p>запрос</p>", "Петренко Иван", p, flags, nullptr));
        EXPECT_EQ(c.dates, dates);
        EXPECT_EQ(c.phrase, phrase);
        EXPECT_EQ(!c.dates, phraseMoved);
        EXPECT_EQ(c.buttons, buttons);
        EXPECT_EQ(c.flagsAfter, flags.value());
        EXPECT_EQ("Выработка сертификата ключей владельца \"Петренко Иван\"", caption);
        EXPECT_EQ(c.text, phraseText);
        if (c.flags & 0x40) {
            EXPECT_EQ(3, rejectResult);
        }
    }
}

// In each of the program's languages every label ends before its field, the
// fields stay inside their groups, and the groups side by side in the window.
TEST_F(IssuingDialog, GroupsFitTheirTextsInEveryLanguage) {
    for (int language : zrxtest::kProgramLanguages) {
        zrxtest::ProgramLanguage inLanguage(language);
        for (uint32_t groups : {0x28u, 0x08u}) {
            SCOPED_TRACE(testing::Message() << "language " << language << ", flags " << groups);
            int checked = 0;
            HookScope hook([&](TObject* w) {
                auto* f = dynamic_cast<TKeyRegFormEx*>(w);
                if (!f) return int(mrCancel);
                auto fits = [](TGroupBox* g, TLabel* label, TWinControl* field) {
                    SCOPED_TRACE(label->Caption());
                    EXPECT_LE(label->Left() + label->Width(), field->Left());
                    EXPECT_LE(field->Left() + field->Width(), g->ContentRect().Right);
                };
                if (f->grpBx2->Visible()) {
                    fits(f->grpBx2, f->lbl3, f->uxdtmpckr1);
                    fits(f->grpBx2, f->lbl4, f->uxdtmpckr2);
                    EXPECT_LE(f->grpBx2->Left() + f->grpBx2->Width(), f->grpBx1->Left());
                }
                fits(f->grpBx1, f->lbl2, f->edit2);
                fits(f->grpBx1, f->lbl5, f->chedt1);
                EXPECT_LE(f->grpBx1->Left() + f->grpBx1->Width(), f->ClientWidth());
                ++checked;
                return int(mrCancel);
            });
            TCRegFormParams p = params();
            TCFlags<unsigned int> flags(groups);
            execKeyRegForm("<p>запрос</p>", "Петренко Иван", p, flags, nullptr);
            EXPECT_EQ(1, checked);
        }
    }
}

// Presses the execute button with the dates given; answers the message shown
// (empty when none) and whether the window stayed open.
struct DateAttempt {
    std::string message;
    bool stayed = false;
    TWinControl* focused = nullptr;
};

TEST_F(IssuingDialog, RefusedDatesNameTheirFieldAndKeepTheWindow) {
    const int64_t t0 = today(true);
    struct Case {
        const char* name;
        int64_t start, end;
        const char* field;  // null: accepted
    };
    const Case cases[] = {
        {"start before today", t0 - kDay, t0 + kDay, "Начнет действовать"},
        {"end equal to start", t0 + kDay, t0 + kDay, nullptr},
        {"end before start", t0 + 5 * kDay, t0 + 2 * kDay, "Окончит действовать"},
        {"after 2038", t0, kYear2100, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DateAttempt a;
        int round = 0;
        HookScope hook([&](TObject* w) {
            if (auto* f = dynamic_cast<TKeyRegFormEx*>(w)) {
                if (round++ > 0) return int(mrCancel);  // refused once: give up
                f->uxdtmpckr1->SetUXDateTime(c.start);
                f->uxdtmpckr2->SetUXDateTime(c.end);
                f->Button2->Click();
                a.stayed = f->ModalResult() == mrNone;
                a.focused = f->ActiveControl();
                if (a.focused != f->uxdtmpckr1 && a.focused != f->uxdtmpckr2) a.focused = nullptr;
                if (a.focused == nullptr) {
                    if (f->uxdtmpckr1->Focused()) a.focused = f->uxdtmpckr1;
                    if (f->uxdtmpckr2->Focused()) a.focused = f->uxdtmpckr2;
                }
                return int(mrNone);
            }
            if (auto* m = dynamic_cast<TCustomForm*>(w))
                if (auto* l = dynamic_cast<TControl*>(m->FindComponent("Message"))) a.message = l->Caption();
            return int(mrOk);
        });
        TCRegFormParams p = params();
        TCFlags<unsigned int> flags(0x20);
        const int r = execKeyRegForm("<p>запрос</p>", "Петренко Иван", p, flags, nullptr);
        if (c.field) {
            EXPECT_TRUE(a.stayed);
            EXPECT_EQ(std::string("Значение даты \"") + c.field + "\" заполнено некорректно!", a.message);
            EXPECT_NE(nullptr, a.focused);
            EXPECT_EQ(mrCancel, r);
            EXPECT_EQ(today(true), p.startDate);  // nothing copied back
        } else {
            EXPECT_EQ("", a.message);
            EXPECT_EQ(mrOk, r);
            EXPECT_EQ(c.start, p.startDate);
            EXPECT_EQ(c.end, p.endDate);
        }
    }
}

TEST_F(IssuingDialog, FocusGoesToTheRefusedPicker) {
    const int64_t t0 = today(true);
    TWinControl *first = nullptr, *second = nullptr;
    int round = 0;
    HookScope hook([&](TObject* w) {
        auto* f = dynamic_cast<TKeyRegFormEx*>(w);
        if (!f) return int(mrOk);
        if (round++ > 0) return int(mrCancel);
        f->uxdtmpckr1->SetUXDateTime(t0 - kDay);
        f->Button2->Click();
        first = f->ActiveControl();
        f->uxdtmpckr1->SetUXDateTime(t0 + 3 * kDay);
        f->uxdtmpckr2->SetUXDateTime(t0 + kDay);
        f->Button2->Click();
        second = f->ActiveControl();
        EXPECT_EQ(f->uxdtmpckr1, first);
        EXPECT_EQ(f->uxdtmpckr2, second);
        return int(mrNone);
    });
    TCRegFormParams p = params();
    TCFlags<unsigned int> flags(0x20);
    execKeyRegForm("<p/>", "x", p, flags, nullptr);
    EXPECT_NE(nullptr, first);
}

TEST_F(IssuingDialog, RejectSkipsTheDateCheckAndCancelCopiesNothing) {
    const int64_t t0 = today(true);
    for (TModalResult press : {mrAbort, mrCancel}) {
        bool messageShown = false;
        HookScope hook([&](TObject* w) {
            auto* f = dynamic_cast<TKeyRegFormEx*>(w);
            if (!f) {
                messageShown = true;
                return int(mrOk);
            }
            f->uxdtmpckr1->SetUXDateTime(t0 - 10 * kDay);
            f->edit2->SetText("изменено");
            (press == mrAbort ? f->Button3 : f->Button1)->Click();
            return int(mrNone);
        });
        TCRegFormParams p = params();
        p.text = "";
        TCFlags<unsigned int> flags(0x68);
        EXPECT_EQ(press, execKeyRegForm("<p/>", "x", p, flags, nullptr));
        EXPECT_FALSE(messageShown);
        EXPECT_EQ(t0, p.startDate);
        EXPECT_EQ("", std::string(p.text.c_str()));
    }
}

TEST_F(IssuingDialog, QuestionIsKeptWithThePhrase) {
    struct Case {
        const char* phrase;
        const char* question;
        const char* expected;
    };
    for (const Case c :
         {Case{" фраза ", " девичья фамилия матери ", "фраза|девичья фамилия матери"}, Case{"фраза", "", "фраза"}}) {
        HookScope hook([&](TObject* w) {
            auto* f = dynamic_cast<TKeyRegFormEx*>(w);
            if (!f) return int(mrOk);
            f->edit2->SetText(c.phrase);
            f->chedt1->setTextValue(c.question);
            f->Button2->Click();
            return int(mrNone);
        });
        TCRegFormParams p = params();
        TCFlags<unsigned int> flags(0x28);
        EXPECT_EQ(mrOk, execKeyRegForm("<p/>", "x", p, flags, nullptr));
        EXPECT_EQ(c.expected, std::string(p.text.c_str()));
    }
}

TEST_F(IssuingDialog, RangeFromParametersOnlyWithItsFlag) {
    const int64_t t0 = today(true);
    for (uint32_t f : {0x20u, 0x30u}) {
        SCOPED_TRACE(f);
        std::string message;
        HookScope hook([&](TObject* w) {
            auto* form = dynamic_cast<TKeyRegFormEx*>(w);
            if (!form) {
                message = "shown";
                return int(mrOk);
            }
            if (!message.empty()) return int(mrCancel);
            form->uxdtmpckr1->SetUXDateTime(t0 + 5 * kDay);
            form->uxdtmpckr2->SetUXDateTime(t0 + 6 * kDay);
            form->Button2->Click();
            return int(mrNone);
        });
        TCRegFormParams p = params();
        p.range.latestStart = t0 + 2 * kDay;  // the chosen start lies past it
        TCFlags<unsigned int> flags(f);
        const int r = execKeyRegForm("<p/>", "x", p, flags, nullptr);
        EXPECT_EQ(f == 0x30u ? mrCancel : mrOk, r);
        EXPECT_EQ(f == 0x30u, !message.empty());
    }
}

}  // namespace
