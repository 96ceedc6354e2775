// Menus as the window system shows them: hidden items take their separators
// with them, and a separator is drawn as a line.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <vector>

#include "platform/framework/Menus.h"
#include "platform/framework/QtTestApp.h"

namespace {

TMenuItem* addItem(TMenuItem* parent, const char* caption, bool visible = true) {
    auto* mi = new TMenuItem(nullptr);
    mi->SetCaption(caption);
    mi->SetVisible(visible);
    parent->Add(mi);
    return mi;
}

// The captions of the rows the shown menu draws, "-" for a separator.
std::vector<std::string> shownRows(QMenu* menu, int* separatorHeight, int* itemHeight) {
    std::vector<std::string> rows;
    for (QAction* a : menu->actions()) {
        const QRect r = menu->actionGeometry(a);
        if (!a->isVisible() || r.isEmpty()) continue;
        rows.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        (a->isSeparator() ? *separatorHeight : *itemHeight) = r.height();
    }
    return rows;
}

TEST(Menus, HiddenItemsTakeTheirSeparatorsAndSeparatorsAreLines) {
    ensureQtApp();
    TMainMenu menu(nullptr);
    TMenuItem* service = addItem(menu.Items(), "Сервис");
    addItem(service, "Настройки", false);
    addItem(service, "-");
    addItem(service, "Параметры обновления", false);
    addItem(service, "Обновить сейчас", false);
    addItem(service, "-");
    addItem(service, "Стиль...");
    addItem(service, "-");
    addItem(service, "Язык", false);
    addItem(service, "-");
    addItem(service, "О программе");
    addItem(service, "-");
    addItem(service, "Скрытый", false);

    QMenu* shown = service->QtMenu();
    ASSERT_NE(shown, nullptr);
    shown->popup(QPoint(10, 10));
    QApplication::processEvents();
    int separatorHeight = 0, itemHeight = 0;
    EXPECT_EQ(shownRows(shown, &separatorHeight, &itemHeight),
              (std::vector<std::string>{"Стиль...", "-", "О программе"}));
    // A line, not a titled section as high as an item.
    EXPECT_GT(separatorHeight, 0);
    EXPECT_LT(separatorHeight, itemHeight);
    for (QAction* a : shown->actions()) {
        if (a->isSeparator()) {
            EXPECT_TRUE(a->text().isEmpty());
        }
    }
    shown->hide();
}

}  // namespace
