#include <gtest/gtest.h>

#include <QCursor>
#include <QWidget>

#include "platform/framework/ExtCtrls.h"
#include "platform/framework/QtTestApp.h"

TEST(CustomCursor, ControlsShowTheRegisteredPictureWithItsHotSpot) {
    ensureQtApp();
    TBitmap image, mask;
    image.SetSize(8, 8);
    mask.SetPixelFormat(pf1bit);
    mask.SetSize(8, 8);
    constexpr TCursor number = 23456;
    EXPECT_FALSE(IsCustomCursor(number));
    SetCustomCursor(number, image, mask, TPoint{3, 4});
    EXPECT_TRUE(IsCustomCursor(number));
    TPanel panel(nullptr);
    panel.SetCursor(number);
    const QCursor c = panel.Handle()->cursor();
    EXPECT_EQ(c.shape(), Qt::BitmapCursor);
    EXPECT_EQ(c.hotSpot(), QPoint(3, 4));
    EXPECT_EQ(c.pixmap().width(), 8);
    panel.SetCursor(crHandPoint);
    EXPECT_EQ(panel.Handle()->cursor().shape(), Qt::PointingHandCursor);
    SetCustomCursor(number, TBitmap(), TBitmap(), TPoint{});
    EXPECT_FALSE(IsCustomCursor(number));
}
