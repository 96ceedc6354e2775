// Whether every box of a check-box group can be seen and read: shared by the
// tests of the group and of the windows that place one.
#pragma once

#include <gtest/gtest.h>

#include "components/CheckBoxes.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/ScrollBox.h"

namespace zrxtest {

// The least room a check mark takes beside its caption.
constexpr int kCheckMarkWidth = 13;

// Every box inside the group's content area (below the caption, inside the
// frame) or on its scrolling area, as wide as its mark and caption, and none
// over another.
inline void expectBoxesWhole(TCheckBoxes* group) {
    const TRect area = group->ContentRect();
    TScrollBox* scroll = group->ScrollArea();
    if (scroll) {
        EXPECT_GE(scroll->Left(), area.Left);
        EXPECT_GE(scroll->Top(), area.Top);
        EXPECT_LE(scroll->Left() + scroll->Width(), area.Right);
        EXPECT_LE(scroll->Top() + scroll->Height(), area.Bottom);
    }
    TCanvas canvas;
    for (int i = 0; i < group->GetButtonCount(); ++i) {
        TCheckBox* b = group->GetButtons(i);
        SCOPED_TRACE(b->Caption());
        EXPECT_TRUE(b->Visible());
        if (scroll) {
            EXPECT_EQ(static_cast<TWinControl*>(scroll), b->Parent());
            EXPECT_GE(b->Left(), 0);
            EXPECT_GE(b->Top(), 0);
            // Only a caption wider than the whole area may take the area's
            // horizontal bar.
            if (b->Left() + b->Width() > scroll->ClientWidth()) {
                EXPECT_TRUE(scroll->HorzScrollBarVisible());
            }
        } else {
            EXPECT_EQ(static_cast<TWinControl*>(group), b->Parent());
            EXPECT_GE(b->Left(), area.Left);
            EXPECT_GE(b->Top(), area.Top);
            EXPECT_LE(b->Left() + b->Width(), area.Right);
            EXPECT_LE(b->Top() + b->Height(), area.Bottom);
        }
        canvas.Font()->Assign(b->Font());
        EXPECT_GE(b->Width(), canvas.TextWidth(b->Caption()) + kCheckMarkWidth);
        for (int j = 0; j < i; ++j) {
            TCheckBox* o = group->GetButtons(j);
            const bool apart = b->Left() >= o->Left() + o->Width() || o->Left() >= b->Left() + b->Width() ||
                               b->Top() >= o->Top() + o->Height() || o->Top() >= b->Top() + b->Height();
            EXPECT_TRUE(apart) << "over " << o->Caption();
        }
    }
}

}  // namespace zrxtest
