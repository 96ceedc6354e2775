// A link's tab stop as a window: reached by Tab, given the arrow keys, and
// leaving the focus to its panel when it goes while focused.
#include <gtest/gtest.h>

#include "html/layout/TabControl.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

namespace {

TEST(TabControlTest, TabReachesItAndArrowsGoToIt) {
    EnsureApplication();
    auto* f = CreateComponent<TForm>(Application);
    auto* panel = new TPanel(f);
    panel->SetParent(f);
    panel->SetBounds(0, 0, 200, 100);
    auto* edit = new TEdit(f);
    edit->SetParent(panel);
    edit->SetTabStop(true);
    auto* stop = new ThtTabControl(nullptr);
    stop->SetParent(panel);
    EXPECT_EQ(stop->Left(), -4000);
    EXPECT_EQ(stop->Width(), 1);
    EXPECT_EQ(stop->Height(), 1);
    int entered = 0;
    std::vector<uint16_t> keys;
    stop->OnEnter = [&](TObject*) { ++entered; };
    stop->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { keys.push_back(Key); };
    f->Show();
    edit->SetFocus();
    Application->ProcessMessages();
    SendKey(edit, VK_TAB);
    Application->ProcessMessages();
    EXPECT_TRUE(stop->Focused());
    EXPECT_EQ(entered, 1);
    SendKey(stop, VK_DOWN);
    SendKey(stop, VK_RETURN);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], VK_DOWN);
    EXPECT_EQ(keys[1], VK_RETURN);

    // Going while focused: the form's active control becomes the panel, and
    // the owner hears of it.
    ThtTabControl* gone = nullptr;
    stop->OnGone = [&](ThtTabControl* s) { gone = s; };
    ThtTabControl* was = stop;
    ASSERT_NE(f->ActiveControl(), panel);
    stop->Free();
    EXPECT_EQ(gone, was);
    EXPECT_EQ(f->ActiveControl(), panel);
    f->Free();
}

}  // namespace
