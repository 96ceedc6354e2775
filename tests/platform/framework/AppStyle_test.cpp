#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyle>

#include "platform/framework/AppStyle.h"
#include "platform/framework/QtTestApp.h"

namespace {

// Restores the style in force before the test.
struct StyleGuard {
    String saved = CurrentAppStyle();
    ~StyleGuard() {
        if (!saved.empty()) ApplyAppStyle(saved);
    }
};

QImage drawn(const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32); }

// The extension arrows of menu bars and tool bars are read from their files
// only when drawn; drawn, they are the base style's own pictures, also after
// the style that made them has been replaced.
TEST(AppStyle, ExtensionArrowsAreTheBaseStylesPictures) {
    ensureQtApp();
    StyleGuard guard;
    ASSERT_TRUE(ApplyAppStyle("Windows"));
    auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
    ASSERT_NE(proxy, nullptr);
    ASSERT_NE(proxy->baseStyle(), nullptr);
    for (QStyle::StandardPixmap sp :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        SCOPED_TRACE(int(sp));
        const QIcon deferred = QApplication::style()->standardIcon(sp);
        const QImage expected = drawn(proxy->baseStyle()->standardIcon(sp));
        ASSERT_FALSE(expected.isNull());
        EXPECT_FALSE(deferred.isNull());
        EXPECT_FALSE(deferred.availableSizes().isEmpty());
        // The style that made it goes; the icon still draws the same arrow.
        ASSERT_TRUE(ApplyAppStyle("Carbon"));
        EXPECT_EQ(drawn(deferred), expected);
        ASSERT_TRUE(ApplyAppStyle("Windows"));
        proxy = qobject_cast<QProxyStyle*>(QApplication::style());
        ASSERT_NE(proxy, nullptr);
    }
    // Other pictures come from the base style as before.
    EXPECT_EQ(drawn(QApplication::style()->standardIcon(QStyle::SP_ArrowUp)),
              drawn(proxy->baseStyle()->standardIcon(QStyle::SP_ArrowUp)));
}

}  // namespace
