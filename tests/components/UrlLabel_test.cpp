#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/UrlLabel.h"
#include "platform/framework/Forms.h"
#include "platform/framework/QtTestApp.h"
#include "platform/win/Shell.h"

namespace {

// Records what the shell would have opened; the real opener comes back after.
class LinkLabel : public ::testing::Test {
protected:
    std::vector<std::string> opened;
    TForm* form = nullptr;
    TUrlLabel* label = nullptr;

    void SetUp() override {
        ensureQtApp();
        setShellOpener([this](const char* target) {
            opened.push_back(target);
            return 0;
        });
        form = new TForm(Application);
        label = new TUrlLabel(form);
        label->SetParent(form);
        label->SetBounds(10, 10, 120, 16);
    }
    void TearDown() override {
        form->Free();
        setShellOpener(nullptr);
    }
};

TEST_F(LinkLabel, OpensOnlyWebAndMailAddresses) {
    EXPECT_EQ(label->Font()->Color(), clNavy);
    EXPECT_TRUE(label->Font()->Style() & fsSet(fsUnderline));
    struct Case {
        const char* prefix;
        const char* caption;
        bool opens;
    } cases[] = {
        {"", "https://zoren.example/", true},
        {"http://", "zoren.example", true},
        {"mailto:", "info@zoren.example", true},
        {"", "HTTPS://ZOREN.EXAMPLE", true},
        {"", "/bin/sh", false},
        {"", "file:///etc/passwd", false},
        {"", "javascript:alert(1)", false},
        {"", "zoren.example", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        opened.clear();
        label->SetPrefix(c.prefix);
        label->SetCaption(c.caption);
        label->Font()->SetColor(clNavy);
        label->Click();
        const std::string link = std::string(c.prefix) + c.caption;
        EXPECT_EQ(opened, c.opens ? std::vector<std::string>{link} : std::vector<std::string>{}) << link;
        EXPECT_EQ(label->Font()->Color(), c.opens ? clPurple : clNavy) << link;
        EXPECT_FALSE(label->Visited());
    }
}

TEST_F(LinkLabel, ColourStates) {
    label->SetCaption("https://zoren.example/");
    // Without animation the hover changes nothing and there is no timer.
    EXPECT_EQ(label->HoverTimer(), nullptr);
    label->SetAnimate(true);
    ASSERT_NE(label->HoverTimer(), nullptr);
    EXPECT_EQ(label->HoverTimer()->Interval(), 100u);
    EXPECT_EQ(label->Cursor(), crHandPoint);

    label->SetContainMouse(true);
    EXPECT_EQ(label->Font()->Color(), clBlue);
    label->SetContainMouse(false);
    EXPECT_EQ(label->Font()->Color(), clNavy);

    label->urlMouseDown(label, mbLeft, 0, 1, 1);
    EXPECT_EQ(label->Font()->Color(), clRed);
    label->urlMouseUp(label, mbLeft, 0, 1, 1);
    EXPECT_TRUE(label->Visited());
    EXPECT_EQ(label->Font()->Color(), clPurple);
    label->SetContainMouse(true);
    EXPECT_EQ(label->Font()->Color(), clFuchsia);
    label->SetVisited(false);
    EXPECT_EQ(label->Font()->Color(), clNavy);

    label->urlMouseDown(label, mbRight, 0, 1, 1);  // only the left button
    EXPECT_EQ(label->Font()->Color(), clNavy);

    label->SetAnimate(false);
    EXPECT_EQ(label->HoverTimer(), nullptr);
    EXPECT_EQ(label->Cursor(), crDefault);
}

TEST_F(LinkLabel, HoverTimerFollowsThePointer) {
    form->Show();
    label->SetAnimate(true);
    const TPoint inside = label->ClientToScreen(Point(5, 5));
    SetMouseCursorPos(inside);
    if (MouseCursorPos().X != inside.X) GTEST_SKIP() << "this platform does not move the pointer";
    label->HoverTimer()->Fire();
    EXPECT_TRUE(label->ContainMouse());
    EXPECT_EQ(label->Font()->Color(), clBlue);
    SetMouseCursorPos(label->ClientToScreen(Point(500, 5)));
    label->HoverTimer()->Fire();
    EXPECT_FALSE(label->ContainMouse());
    EXPECT_EQ(label->Font()->Color(), clNavy);
}

TEST_F(LinkLabel, HandlerAssignedLaterReplacesTheLink) {
    label->SetCaption("https://zoren.example/");
    int clicks = 0;
    label->OnClick = [&](TObject*) { ++clicks; };
    label->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(opened.empty());
}

}  // namespace
