#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/MessageView.h"
#include "dialogs/NewPasswordDlg.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/Menus.h"
#include "platform/runtime/Passwords.h"
#include "platform/framework/QtTestApp.h"

namespace {

TMakePasswordForm* makeForm(const char* caption) {
    auto* f = new TMakePasswordForm(Application, caption);
    f->AfterConstruction();
    return f;
}

// Sets the policy for one test and restores the default afterwards.
class NewPassword : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApp();
        getPassMinMax(&savedMin_, &savedMax_);
        savedTest_ = getPassMinMax(nullptr, nullptr);
        setPassMinMax(8, 32, "11111111");
    }
    void TearDown() override {
        SetModalHook(nullptr);
        setPassMinMax(savedMin_, savedMax_, savedTest_.empty() ? nullptr : savedTest_.c_str());
        unsetenv("ZRX_KB_LAYOUT");
    }

    // Types into both fields, presses "Сохранить" (or Cancel) and records the
    // messages shown; the dialog is then offered again and cancelled.
    struct Run {
        int result = -1;
        TCString password;
        std::vector<std::string> messages;
        bool stayedOpen = false;
    };
    Run run(const std::string& typed, int press) {
        Run r;
        int rounds = 0;
        SetModalHook([&](TObject* w) -> int {
            if (auto* m = dynamic_cast<TMessageViewForm*>(w)) {
                r.messages.push_back(m->message());
                return mrOk;
            }
            auto* f = dynamic_cast<TMakePasswordForm*>(w);
            if (!f) return mrCancel;
            if (++rounds > 1) {
                r.stayedOpen = true;
                return mrCancel;
            }
            f->PasswordEdit->SetText(typed);
            f->PasswordConfirm->SetText(typed);
            return press;
        });
        r.result = execNewPassword(r.password, "Пароль контейнера");
        return r;
    }

    int savedMin_ = 0, savedMax_ = 0;
    std::string savedTest_;
};

TEST_F(NewPassword, SaveEnabledOnlyWhenLongEnoughAndEqual) {
    auto* f = makeForm("x");
    EXPECT_EQ(f->Caption(), "x");
    EXPECT_FALSE(f->Button1->Enabled());
    EXPECT_EQ(f->PasswordEdit->MaxLength(), 32);
    struct Case {
        const char* a;
        const char* b;
        bool enabled;
    } cases[] = {
        {"Abc12!x", "Abc12!x", false},    // 7 characters
        {"Abc12!xy", "Abc12!xz", false},  // differ
        {"Abc12!xy", "Abc12!xy", true},
        {"Пароль№1", "Пароль№1", true},  // characters, not bytes
    };
    for (const Case& c : cases) {
        f->PasswordEdit->SetText(c.a);
        f->PasswordConfirm->SetText(c.b);
        EXPECT_EQ(f->Button1->Enabled(), c.enabled) << c.a << " / " << c.b;
    }
    f->Free();

    setPassMinMax(0, 0, nullptr);
    f = makeForm(nullptr);
    EXPECT_EQ(f->Caption(), "Создание пароля");
    EXPECT_TRUE(f->Button1->Enabled());
    EXPECT_EQ(f->PasswordEdit->MaxLength(), 31);
    f->Free();
}

TEST_F(NewPassword, QualityTestDecidesOnSave) {
    Run weak = run("aaaaaaaa", mrOk);
    EXPECT_EQ(weak.messages, std::vector<std::string>{"Пароль имеет плохое качество!"});
    EXPECT_TRUE(weak.stayedOpen);
    EXPECT_EQ(weak.result, 1);

    Run good = run("Zx7#kLm9qR", mrOk);
    EXPECT_TRUE(good.messages.empty());
    EXPECT_FALSE(good.stayedOpen);
    EXPECT_EQ(good.result, 0);
    EXPECT_EQ(good.password, "Zx7#kLm9qR");

    Run cancelled = run("aaaaaaaa", mrCancel);
    EXPECT_TRUE(cancelled.messages.empty());
    EXPECT_EQ(cancelled.result, 1);
    EXPECT_EQ(cancelled.password, "");
}

// The policy's test password gets no pass: it is weak, so it is refused.
TEST_F(NewPassword, TestPasswordIsRefusedAsWeak) {
    ASSERT_FALSE(testPassword("11111111", 6));
    Run r = run("11111111", mrOk);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Пароль имеет плохое качество!"});
    EXPECT_TRUE(r.stayedOpen);
    EXPECT_EQ(r.result, 1);
}

TEST_F(NewPassword, TesterShortcutsFillBothFields) {
    auto* f = makeForm(nullptr);
    f->Show();
    f->PasswordEdit->SetFocus();
    struct Case {
        uint16_t key;
        const char* expected;
    } cases[] = {{'1', "11111111"}, {'2', "40719385"}, {'3', "7hwnRTB#"}};
    for (const Case& c : cases) {
        SendKey(f->PasswordEdit, c.key, ssCtrl | ssAlt);
        EXPECT_EQ(f->PasswordEdit->GetText(), c.expected);
        EXPECT_EQ(f->PasswordConfirm->GetText(), c.expected);
        EXPECT_TRUE(f->Button1->Enabled());
    }
    f->PasswordEdit->SetText("");
    SendKey(f->PasswordEdit, '2', ssCtrl);  // Ctrl alone is no shortcut
    EXPECT_EQ(f->PasswordConfirm->GetText(), "7hwnRTB#");
    f->Free();
}

TEST_F(NewPassword, LayoutIndicator) {
    setenv("ZRX_KB_LAYOUT", "uk_UA", 1);
    auto* f = makeForm(nullptr);
    EXPECT_EQ(f->StaticText1->Caption(), "ukr");
    EXPECT_EQ(f->StaticText1->Font()->Color(), clMaroon);
    EXPECT_EQ(f->Timer1->Interval(), 200u);
    setenv("ZRX_KB_LAYOUT", "en_US", 1);
    f->Timer1->Fire();
    EXPECT_EQ(f->StaticText1->Caption(), "eng");
    EXPECT_NE(f->StaticText1->Font()->Color(), clMaroon);
    f->Free();
}

}  // namespace
