// The float manager: edges by Y from float and block records, clearance,
// the next wider place, pushing records down after a line, and where floats
// are placed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "html/layout/FloatManager.h"

namespace {

// The block whose edges the manager holds while it is laid out.
const int gBlock = 0;
constexpr TIndentOwner Block = &gBlock;

struct EdgeCase {
    std::string name;
    std::function<void(TIndentManager&)> setup;
    std::function<int32_t(TIndentManager&)> query;
    int32_t expected;
};

// A block from 10 to 390 in a cell of 400, current while it lays out.
void blockOwnEdges(TIndentManager& m) {
    m.CurrentID = Block;
    m.SetLeftIndent(10, 0);
    m.SetRightIndent(390, 0);
}

TEST(FloatManagerTest, EdgeCases) {
    const std::vector<EdgeCase> cases = {
        {"empty: left edge 0", {}, [](TIndentManager& m) { return m.LeftEdge(50); }, 0},
        {"empty: right edge is the width", {}, [](TIndentManager& m) { return m.RightEdge(50); }, 400},
        {"empty: no image bottom", {}, [](TIndentManager& m) { return m.ImageBottom(); }, 0},
        {"empty: clear Y 0 on the left",
         {},
         [](TIndentManager& m) {
             int32_t cl = -1, cr = -1;
             m.GetClearY(cl, cr);
             return cl;
         },
         0},
        {"empty: clear Y 0 on the right",
         {},
         [](TIndentManager& m) {
             int32_t cl = -1, cr = -1;
             m.GetClearY(cl, cr);
             return cr;
         },
         0},
        {"answers carry the manager's left edge",
         [](TIndentManager& m) {
             m.Init(25, 400);
             m.AddLeft(0, 50, 30);
         },
         [](TIndentManager& m) { return m.LeftIndent(10) + m.RightSide(10); }, 55 + 425},
        {"no current block: a finished left float still sets the left edge",
         [](TIndentManager& m) { m.AddLeft(0, 50, 100); }, [](TIndentManager& m) { return m.LeftEdge(60); }, 100},
        {"no current block: a finished left float leaves the right edge alone",
         [](TIndentManager& m) { m.AddLeft(0, 50, 100); }, [](TIndentManager& m) { return m.RightEdge(60); }, 400},
        {"outside its records a block keeps its own edge on the right too",
         [](TIndentManager& m) {
             m.CurrentID = Block;
             m.SetLeftIndent(10, 100);
         },
         [](TIndentManager& m) { return m.RightEdge(50); }, 410},
        {"records of another block do not count",
         [](TIndentManager& m) {
             m.CurrentID = Block;
             m.SetLeftIndent(70, 0);
             m.CurrentID = nullptr;
         },
         [](TIndentManager& m) { return m.LeftEdge(10); }, 0},
        {"a left float in force beats the block's edge",
         [](TIndentManager& m) {
             blockOwnEdges(m);
             m.AddLeft(0, 50, 100);
         },
         [](TIndentManager& m) { return m.LeftEdge(20); }, 110},
        {"a second left float asked above the first one's top goes down to it",
         [](TIndentManager& m) { m.AddLeft(100, 150, 50); },
         [](TIndentManager& m) {
             int32_t y = 20;
             m.AlignLeft(y, 30);
             return y;
         },
         100},
        {"a second right float likewise", [](TIndentManager& m) { m.AddRight(80, 150, 50); },
         [](TIndentManager& m) {
             int32_t y = 20;
             m.AlignRight(y, 30);
             return y;
         },
         80},
        {"clear Y is one below a left float ending at 100",
         [](TIndentManager& m) {
             m.AddLeft(0, 100, 40);
             m.AddLeft(0, 60, 40);
         },
         [](TIndentManager& m) {
             int32_t cl = -1, cr = -1;
             m.GetClearY(cl, cr);
             return cl * 1000 + cr;
         },
         101 * 1000 + 0},
        {"block records are no floats for clearance", [](TIndentManager& m) { blockOwnEdges(m); },
         [](TIndentManager& m) { return m.ImageBottom(); }, 0},
        {"next wider Y: the nearest float end below",
         [](TIndentManager& m) {
             m.AddLeft(0, 50, 40);
             m.AddLeft(0, 120, 40);
             m.AddRight(0, 80, 40);
         },
         [](TIndentManager& m) { return m.GetNextWiderY(10); }, 50},
        {"next wider Y: the other side when one side has nothing below",
         [](TIndentManager& m) {
             m.AddLeft(0, 50, 40);
             m.AddLeft(0, 120, 40);
             m.AddRight(0, 80, 40);
         },
         [](TIndentManager& m) { return m.GetNextWiderY(90); }, 120},
        {"next wider Y below every float is Y",
         [](TIndentManager& m) {
             m.AddLeft(0, 50, 40);
             m.AddRight(0, 80, 40);
         },
         [](TIndentManager& m) { return m.GetNextWiderY(200); }, 200},
        {"a float wider than the cell goes to the lowest float bottom",
         [](TIndentManager& m) {
             blockOwnEdges(m);
             m.AddLeft(0, 50, 200);
             m.AddRight(0, 80, 100);
         },
         [](TIndentManager& m) {
             int32_t y = 10;
             const int32_t x = m.AlignLeft(y, 500);
             return y * 1000 + x;
         },
         80 * 1000 + 10},
        {"on the right, at width less its width without a right indent",
         [](TIndentManager& m) {
             m.CurrentID = Block;
             m.SetLeftIndent(10, 0);
             m.AddLeft(0, 50, 200);
             m.AddRight(0, 80, 100);
         },
         [](TIndentManager& m) {
             int32_t y = 10;
             const int32_t x = m.AlignRight(y, 500);
             return y * 1000 + x;
         },
         80 * 1000 + (400 - 500)},
    };
    for (const EdgeCase& c : cases) {
        TIndentManager m;
        m.Init(0, 400);
        if (c.setup) c.setup(m);
        EXPECT_EQ(c.query(m), c.expected) << c.name;
    }
}

TEST(FloatManagerTest, AdjustYPushesRecordsBelowTheLine) {
    TIndentManager m;
    m.Init(0, 400);
    m.AddLeft(0, 30, 10);     // before the first index looked at: stays
    m.AddLeft(100, 140, 10);  // starts exactly at Y: stays
    m.AddLeft(110, 150, 10);  // overlaps the line (100 + 30): moves to its end
    m.AddLeft(200, 260, 10);  // below the line: moves by the same shift
    m.AddRight(120, 130, 10);
    m.AddRight(300, 310, 10);
    m.AdjustY(1, 0, 100, 30);
    auto yt = [&](const TFreeList<TIndentRec>& side, int i) { return side.Items(i)->YT; };
    auto yb = [&](const TFreeList<TIndentRec>& side, int i) { return side.Items(i)->YB; };
    EXPECT_EQ(yt(m.L, 0), 0);
    EXPECT_EQ(yt(m.L, 1), 100);
    EXPECT_EQ(yt(m.L, 2), 130);
    EXPECT_EQ(yb(m.L, 2), 170);
    EXPECT_EQ(yt(m.L, 3), 220);
    EXPECT_EQ(yb(m.L, 3), 280);
    // The right side starts its own shift.
    EXPECT_EQ(yt(m.R, 0), 130);
    EXPECT_EQ(yt(m.R, 1), 310);
}

TEST(FloatManagerTest, AlignLeftAndRightSteps) {
    TIndentManager m;
    m.Init(5, 400);
    blockOwnEdges(m);
    int32_t y = 0;
    // Fits on the current line with the width to keep free.
    EXPECT_EQ(m.AlignLeft(y, 100, 50, 0), 15);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(m.AlignRight(y, 100, 50, 0), 295);
    // Not beside the current line's content, but below that line.
    y = 0;
    EXPECT_EQ(m.AlignLeft(y, 100, 300, 20), 15);
    EXPECT_EQ(y, 20);
    y = 0;
    EXPECT_EQ(m.AlignRight(y, 100, 300, 20), 295);
    EXPECT_EQ(y, 20);

    // Beside floats it does not fit: the first float end below which it does.
    m.AddLeft(0, 50, 200);   // left edge 210 until 50
    m.AddRight(0, 80, 100);  // right edge 290 until 80
    y = 10;
    EXPECT_EQ(m.AlignLeft(y, 150), 15);
    EXPECT_EQ(y, 50);
    y = 10;
    EXPECT_EQ(m.AlignRight(y, 150), 145);  // 290 - 150 once the left float ended
    EXPECT_EQ(y, 50);
    // Too wide beside the right float even after the left one: below both.
    y = 10;
    EXPECT_EQ(m.AlignRight(y, 300), 95);
    EXPECT_EQ(y, 80);
}

TEST(FloatManagerTest, FreedBlockRecordsAndInit) {
    TIndentManager m;
    m.Init(0, 300);
    m.CurrentID = Block;
    const int l = m.SetLeftIndent(40, 0);
    const int r = m.SetRightIndent(260, 0);
    EXPECT_EQ(m.LeftEdge(1000000), 40);
    EXPECT_EQ(m.RightEdge(1000000), 260);
    m.FreeLeftIndentRec(l);
    m.FreeRightIndentRec(r);
    EXPECT_EQ(m.LeftEdge(10), 0);
    EXPECT_EQ(m.RightEdge(10), 300);
    m.AddLeft(0, 20, 10);
    m.Reset(7);
    EXPECT_EQ(m.CurrentID, nullptr);
    EXPECT_EQ(m.L.Count(), 1);  // painting sees the floats of the layout
    EXPECT_EQ(m.LeftIndent(5), 17);
    m.Init(0, 300);
    EXPECT_EQ(m.L.Count(), 0);
    EXPECT_EQ(m.LTopMin, 0);
}

}  // namespace
