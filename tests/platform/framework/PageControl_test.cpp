#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QTabBar>
#include <QWidget>

#include <cstdlib>

#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/StdCtrls.h"
#include "support/TempDir.h"

namespace {

QTabBar* tabBar(TPageControl* pc) { return pc->Handle()->findChild<QTabBar*>(); }

std::vector<String> tabTexts(TPageControl* pc) {
    std::vector<String> out;
    QTabBar* bar = tabBar(pc);
    for (int i = 0; i < bar->count(); ++i) out.push_back(bar->tabText(i).toStdString());
    return out;
}

void clickTab(TPageControl* pc, int i) {
    QTabBar* bar = tabBar(pc);
    QPointF at = bar->tabRect(i).center();
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, at, bar->mapToGlobal(at), Qt::LeftButton,
                      t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &e);
    }
}

TTabSheet* sheet(TForm* f, TPageControl* pc, const char* name, const char* caption) {
    auto* s = new TTabSheet(f);
    s->SetName(name);
    s->SetCaption(caption);
    s->SetPageControl(pc);
    return s;
}

struct PageControl : ::testing::Test {
    TForm* form = nullptr;
    TPageControl* pc = nullptr;
    void SetUp() override {
        ensureQtApp();
        form = CreateComponent<TForm>(Application);
        form->SetName("PagesForm");
        form->SetBounds(50, 50, 420, 300);
        pc = new TPageControl(form);
        pc->SetName("pcMain");
        pc->SetParent(form);
        pc->SetBounds(8, 8, 400, 260);
    }
    void TearDown() override { form->Free(); }
};

TEST_F(PageControl, PagesTabsAndActivePage) {
    EXPECT_EQ(pc->PageCount(), 0);
    EXPECT_EQ(pc->ActivePage(), nullptr);
    EXPECT_EQ(pc->ActivePageIndex(), -1);
    auto* general = sheet(form, pc, "tsGeneral", "&Общие");
    auto* subject = sheet(form, pc, "tsSubject", "Субъект");
    auto* ext = sheet(form, pc, "tsExt", "Расширения");
    ASSERT_EQ(pc->PageCount(), 3);
    EXPECT_EQ(pc->Pages(1), subject);
    EXPECT_EQ(pc->Pages(3), nullptr);
    EXPECT_EQ(ext->PageIndex(), 2);
    EXPECT_EQ(general->PageControl(), pc);
    EXPECT_EQ(tabTexts(pc), (std::vector<String>{"&Общие", "Субъект", "Расширения"}));
    // The first sheet placed is on show; the others wait behind it.
    EXPECT_EQ(pc->ActivePage(), general);
    EXPECT_TRUE(general->Visible());
    EXPECT_FALSE(subject->Visible());

    // ActivePage is published: set by the registry, read back as the sheet's name.
    ASSERT_NE(GetPropInfo(pc, "ActivePage"), nullptr);
    SetObjectProp(pc, "ActivePage", form->FindComponent("tsExt"));
    EXPECT_EQ(pc->ActivePage(), ext);
    EXPECT_EQ(GetPropValue(pc, "ActivePage"), "tsExt");
    EXPECT_EQ(pc->ActivePageIndex(), 2);
    EXPECT_EQ(tabBar(pc)->currentIndex(), 2);
    EXPECT_TRUE(ext->Visible());
    EXPECT_FALSE(general->Visible());
    // Something that is not a sheet is refused; a sheet of another control is ignored.
    EXPECT_THROW(SetObjectProp(pc, "ActivePage", pc), EPropertyError);
    auto* other = new TPageControl(form);
    other->SetParent(form);
    auto* stranger = sheet(form, other, "tsStranger", "Чужая");
    pc->SetActivePage(stranger);
    EXPECT_EQ(pc->ActivePage(), ext);
    pc->SetActivePageIndex(0);
    EXPECT_EQ(pc->ActivePage(), general);
    pc->SetActivePageIndex(7);
    EXPECT_EQ(pc->ActivePage(), nullptr);
    EXPECT_FALSE(general->Visible());
    // The tab bar still marks its first tab: a click on it shows that page.
    form->Show();
    clickTab(pc, 0);
    EXPECT_EQ(pc->ActivePage(), general);
    pc->SetActivePage(subject);

    // Captions, order and hidden tabs show on the tab bar.
    subject->SetCaption("Владелец");
    SetPropValue(ext, "PageIndex", "0");
    EXPECT_EQ(tabTexts(pc), (std::vector<String>{"Расширения", "&Общие", "Владелец"}));
    EXPECT_EQ(pc->Pages(0), ext);
    EXPECT_EQ(tabBar(pc)->currentIndex(), 2);
    SetPropValue(subject, "TabVisible", "False");
    EXPECT_EQ(tabTexts(pc), (std::vector<String>{"Расширения", "&Общие"}));
    // The page whose tab went away gives way to the next one.
    EXPECT_EQ(pc->ActivePage(), ext);
    EXPECT_EQ(subject->TabIndex(), -1);
    EXPECT_EQ(general->TabIndex(), 1);
    subject->SetTabVisible(true);
    EXPECT_EQ(tabTexts(pc).size(), 3u);

    // A sheet moved to another control leaves this one and shows there.
    general->SetPageControl(other);
    EXPECT_EQ(pc->PageCount(), 2);
    EXPECT_EQ(other->PageCount(), 2);
    EXPECT_EQ(general->PageIndex(), 1);
    EXPECT_TRUE(general->Visible() == (other->ActivePage() == general));
    EXPECT_EQ(tabTexts(other), (std::vector<String>{"Чужая", "&Общие"}));
    // Freeing the active sheet makes the next one active.
    ext->Free();
    EXPECT_EQ(pc->PageCount(), 1);
    EXPECT_EQ(pc->ActivePage(), subject);
    EXPECT_TRUE(subject->Visible());
    // Freeing the control takes its sheets with it (the form owns them).
    other->Free();
    EXPECT_EQ(form->FindComponent("tsStranger"), nullptr);
    EXPECT_EQ(form->FindComponent("tsGeneral"), nullptr);
}

TEST_F(PageControl, UserChoiceAsksOnChangingThenFiresOnChange) {
    auto* a = sheet(form, pc, "tsA", "А");
    auto* b = sheet(form, pc, "tsB", "Б");
    std::vector<String> events;
    bool allow = false;
    pc->OnChanging = [&](TObject* s, bool& ok) {
        EXPECT_EQ(s, pc);
        events.push_back("changing " + pc->ActivePage()->Name());
        ok = allow;
    };
    pc->OnChange = [&](TObject*) { events.push_back("change " + pc->ActivePage()->Name()); };
    form->Show();
    // A click on the tab: refused, the tab bar returns to the active page.
    clickTab(pc, 1);
    EXPECT_EQ(pc->ActivePage(), a);
    EXPECT_EQ(tabBar(pc)->currentIndex(), 0);
    allow = true;
    clickTab(pc, 1);
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_EQ(events, (std::vector<String>{"changing tsA", "changing tsA", "change tsB"}));
    // Setting the page from code fires nothing; stepping to the next one is a user choice.
    pc->SetActivePage(a);
    pc->SelectNextPage(true);
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_EQ(events.size(), 5u);
}

TEST_F(PageControl, ControlsOnTheActivePageShowAndTakeTheFocus) {
    auto* a = sheet(form, pc, "tsA", "Запрос");
    auto* b = sheet(form, pc, "tsB", "Ключ");
    auto* lbl = new TLabel(form);
    lbl->SetCaption("Общее имя:");
    lbl->SetParent(a);
    lbl->SetBounds(10, 14, 90, 20);
    auto* edA = new TEdit(form);
    edA->SetParent(a);
    edA->SetBounds(100, 10, 200, 24);
    edA->SetText("Иванов Иван");
    auto* edB = new TEdit(form);
    edB->SetParent(b);
    edB->SetBounds(10, 10, 100, 24);
    form->Show();
    Application->ProcessMessages();
    // Sheets fill the page area below the tabs.
    EXPECT_GT(a->Width(), 380);
    EXPECT_GT(a->Height(), 200);
    EXPECT_LT(a->Height(), pc->Height());
    EXPECT_TRUE(edA->Showing());
    EXPECT_FALSE(edB->Showing());
    EXPECT_FALSE(edB->CanFocus());
    pc->SetActivePage(b);
    EXPECT_TRUE(edB->CanFocus());
    edB->SetFocus();
    EXPECT_EQ(form->ActiveControl(), edB);
    pc->SetActivePage(a);
    // Ctrl+Tab in a field steps to the next page and into its first field; Ctrl+Shift+Tab back.
    edA->SetFocus();
    SendKey(edA, VK_TAB, ssCtrl);
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_TRUE(edB->Focused());
    SendKey(edB, VK_TAB, ssCtrl | ssShift);
    EXPECT_EQ(pc->ActivePage(), a);
    EXPECT_TRUE(edA->Focused());
    // Resizing the control resizes its sheets.
    pc->SetBounds(8, 8, 300, 200);
    EXPECT_LT(a->Width(), 300);
    EXPECT_GT(a->Width(), 280);

    QImage img = form->Handle()->grab().toImage();
    ASSERT_FALSE(img.isNull());
    zrxtest::TempDir dir;
    String out = dir.file("pages.png");
    if (const char* keep = std::getenv("ZRX_KEEP_PNG")) out = keep;
    EXPECT_TRUE(img.save(QString::fromStdString(out), "PNG"));
}

}  // namespace

TEST_F(PageControl, TabsBelowThePagesAndBackOnTop) {
    TTabSheet* a = sheet(form, pc, "tsA", "Первая");
    sheet(form, pc, "tsB", "Вторая");
    EXPECT_EQ(pc->TabPosition(), tpTop);
    EXPECT_EQ(tabBar(pc)->geometry().top(), 0);
    pc->SetTabPosition(tpBottom);
    const QRect bar = tabBar(pc)->geometry();
    EXPECT_EQ(bar.bottom() + 1, pc->Height());
    EXPECT_EQ(tabBar(pc)->shape(), QTabBar::RoundedSouth);
    // The pages lie above the tabs.
    EXPECT_LE(a->Handle()->mapTo(pc->Handle(), QPoint(0, a->Height())).y(), bar.top());
    pc->SetTabPosition(tpTop);
    EXPECT_EQ(tabBar(pc)->geometry().top(), 0);
    EXPECT_EQ(tabBar(pc)->shape(), QTabBar::RoundedNorth);
}
