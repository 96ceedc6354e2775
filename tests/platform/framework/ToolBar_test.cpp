#include <gtest/gtest.h>

#include <vector>

#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QToolButton>

#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/framework/Menus.h"
#include "platform/framework/QtTestApp.h"

namespace {

QToolButton* qtButton(TToolButton* b) { return static_cast<QToolButton*>(b->Handle()); }

TToolButton* addButton(TToolBar* bar, const char* caption, TToolButtonStyle style = tbsButton) {
    auto* b = new TToolButton(bar->Owner());
    b->SetCaption(caption);
    b->SetStyle(style);
    b->SetParent(bar);
    return b;
}

struct Bar {
    TForm* form;
    TToolBar* bar;
    Bar() {
        ensureQtApp();
        form = CreateComponent<TForm>(nullptr);
        form->SetBounds(0, 0, 600, 200);
        bar = new TToolBar(form);
        bar->SetParent(form);
        bar->SetButtonWidth(120);
        bar->SetButtonHeight(36);
        bar->SetShowCaptions(true);
    }
    ~Bar() { form->Free(); }
};

// A list of 16 x 16 pictures, each filled with one of the colours.
TImageList* solidList(TComponent* owner, std::initializer_list<TColor> colours) {
    auto* list = new TImageList(owner);
    TBitmap strip;
    strip.SetSize(16 * int(colours.size()), 16);
    int x = 0;
    for (TColor c : colours) {
        strip.Canvas()->Brush()->SetColor(c);
        strip.Canvas()->FillRect(Rect(x, 0, x + 16, 16));
        x += 16;
    }
    strip.ReleaseCanvas();
    list->Add(&strip);
    return list;
}

// The colour in the middle of the picture the button shows in that mode;
// transparent when it shows none.
QColor shownColour(TToolButton* b, QIcon::Mode mode = QIcon::Normal) {
    const QIcon icon = qtButton(b)->icon();
    if (icon.isNull()) return QColor(Qt::transparent);
    return icon.pixmap(QSize(16, 16), mode).toImage().pixelColor(8, 8);
}

}  // namespace

TEST(ToolBar, ButtonsSitInARowAndHiddenOrFreedOnesLeaveNoGap) {
    Bar t;
    EXPECT_EQ(t.bar->Align(), alTop);
    TToolButton* a = addButton(t.bar, "Сохранить");
    TToolButton* sep = addButton(t.bar, "", tbsSeparator);
    TToolButton* b = addButton(t.bar, "Удалить");
    TToolButton* c = addButton(t.bar, "Закрыть");
    ASSERT_EQ(t.bar->ButtonCount(), 4);
    EXPECT_EQ(t.bar->Buttons(1), sep);
    EXPECT_EQ(t.bar->Buttons(4), nullptr);
    EXPECT_EQ(t.bar->Buttons(-1), nullptr);
    EXPECT_EQ(a->ToolBar(), t.bar);

    EXPECT_EQ(a->Left(), 0);
    EXPECT_EQ(a->Width(), 120);
    EXPECT_EQ(a->Height(), 36);
    EXPECT_EQ(sep->Left(), 120);
    EXPECT_EQ(sep->Width(), 8);
    EXPECT_EQ(b->Left(), 128);
    EXPECT_EQ(c->Left(), 248);
    EXPECT_EQ(qtButton(a)->text().toStdString(), "Сохранить");
    EXPECT_TRUE(qtButton(sep)->text().isEmpty());

    b->SetVisible(false);
    EXPECT_EQ(c->Left(), 128);
    b->SetVisible(true);
    EXPECT_EQ(c->Left(), 248);

    sep->Free();
    EXPECT_EQ(t.bar->ButtonCount(), 3);
    EXPECT_EQ(b->Left(), 120);
    EXPECT_EQ(c->Left(), 240);

    // A button taken off the bar no longer counts.
    b->SetParent(t.form);
    EXPECT_EQ(t.bar->ButtonCount(), 2);
    EXPECT_EQ(c->Left(), 120);
}

TEST(ToolBar, ButtonFollowsItsActionAndClicks) {
    Bar t;
    auto* list = new TActionList(t.form);
    auto* act = new TAction(list);
    act->SetActionList(list);
    act->SetCaption("Сменить ключи");
    act->SetHint("Сменить ключи|Выполнить плановую смену ключей");
    int ran = 0;
    act->OnExecute = [&](TObject*) { ++ran; };
    TToolButton* b = addButton(t.bar, "");
    b->SetAction(act);
    EXPECT_EQ(b->Caption(), "Сменить ключи");
    EXPECT_EQ(b->Hint(), "Сменить ключи|Выполнить плановую смену ключей");
    qtButton(b)->click();
    EXPECT_EQ(ran, 1);

    act->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    EXPECT_FALSE(qtButton(b)->isEnabled());
    act->SetEnabled(true);
    act->SetVisible(false);
    EXPECT_FALSE(b->Visible());

    // Without an action the click goes to OnClick; a separator never clicks.
    TToolButton* plain = addButton(t.bar, "Печать");
    int clicks = 0;
    plain->OnClick = [&](TObject* s) {
        EXPECT_EQ(s, plain);
        ++clicks;
    };
    qtButton(plain)->click();
    EXPECT_EQ(clicks, 1);
    TToolButton* sep = addButton(t.bar, "", tbsSeparator);
    sep->OnClick = [&](TObject*) { ++clicks; };
    sep->Click();
    EXPECT_EQ(clicks, 1);
}

TEST(ToolBar, DropDownButtonShowsItsMenu) {
    Bar t;
    TToolButton* b = addButton(t.bar, "Передать запрос");
    auto* pm = new TPopupMenu(t.form);
    int picked = -1, popups = 0;
    for (int i = 0; i < 2; ++i) {
        auto* mi = new TMenuItem(pm);
        mi->SetCaption(i ? "Сохранить в файл" : "Отправить");
        mi->OnClick = [&, i](TObject*) { picked = i; };
        pm->Items()->Add(mi);
    }
    pm->OnPopup = [&](TObject*) { ++popups; };

    // A plain button shows no arrow, even with a menu.
    b->SetDropdownMenu(pm);
    EXPECT_EQ(qtButton(b)->menu(), nullptr);
    b->SetStyle(tbsDropDown);
    EXPECT_EQ(b->Style(), tbsDropDown);
    EXPECT_EQ(qtButton(b)->popupMode(), QToolButton::MenuButtonPopup);
    QMenu* shown = qtButton(b)->menu();
    ASSERT_NE(shown, nullptr);

    // The arrow's menu holds the drop-down menu's items.
    emit shown->aboutToShow();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(pm->PopupComponent, b);
    ASSERT_EQ(shown->actions().size(), 2);
    EXPECT_EQ(shown->actions()[1]->text().toStdString(), "Сохранить в файл");
    shown->actions()[1]->trigger();
    EXPECT_EQ(picked, 1);

    // Dropping down from code hands the menu to the modal hook.
    TObject* seen = nullptr;
    TModalHook old = SetModalHook([&](TObject* w) {
        seen = w;
        if (auto* m = dynamic_cast<TPopupMenu*>(w)) m->Items()->Items(0)->Click();
        return 0;
    });
    EXPECT_TRUE(b->CheckMenuDropdown());
    SetModalHook(old);
    EXPECT_EQ(seen, pm);
    EXPECT_EQ(picked, 0);

    // The menu going away leaves the button without one.
    pm->Free();
    EXPECT_EQ(b->DropdownMenu(), nullptr);
    EXPECT_FALSE(b->CheckMenuDropdown());
    emit shown->aboutToShow();
    EXPECT_TRUE(shown->actions().isEmpty());

    // Back to a plain button: no arrow.
    b->SetStyle(tbsButton);
    EXPECT_EQ(qtButton(b)->menu(), nullptr);
}

TEST(ToolBar, ButtonSwitchesBetweenItsActionAndADropDownMenuAtRunTime) {
    Bar t;
    auto* list = new TActionList(t.form);
    auto* save = new TAction(list);
    save->SetActionList(list);
    save->SetCaption("Сохранить запрос");
    int saved = 0, sent = 0;
    save->OnExecute = [&](TObject*) { ++saved; };
    auto* pm = new TPopupMenu(t.form);
    pm->Items()->AddActionItem(save);

    TToolButton* b = addButton(t.bar, "");
    b->SetAction(save);
    // The action was disabled when the button left it: the drop-down button
    // must still answer.
    save->SetEnabled(false);
    b->SwitchToMenu(pm, [&](TObject* s) {
        EXPECT_EQ(s, b);
        ++sent;
    });
    EXPECT_EQ(b->Action(), nullptr);
    EXPECT_EQ(b->Style(), tbsDropDown);
    EXPECT_EQ(b->DropdownMenu(), pm);
    EXPECT_TRUE(b->Enabled());
    ASSERT_NE(qtButton(b)->menu(), nullptr);
    qtButton(b)->click();
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(saved, 0);
    // The dropped action no longer drives the button.
    save->SetVisible(false);
    EXPECT_TRUE(b->Visible());
    save->SetVisible(true);
    save->SetEnabled(true);

    b->SwitchToAction(save);
    EXPECT_EQ(b->Action(), save);
    EXPECT_EQ(b->Style(), tbsButton);
    EXPECT_EQ(b->DropdownMenu(), nullptr);
    EXPECT_EQ(qtButton(b)->menu(), nullptr);
    EXPECT_EQ(b->Caption(), "Сохранить запрос");
    qtButton(b)->click();
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(sent, 1);
    // Switching twice either way changes nothing more.
    b->SwitchToAction(save);
    EXPECT_EQ(b->Action(), save);
    b->SwitchToMenu(pm, nullptr);
    b->SwitchToMenu(pm, nullptr);
    EXPECT_EQ(b->Style(), tbsDropDown);
    qtButton(b)->click();
    EXPECT_EQ(saved + sent, 2);
}

TEST(ToolBar, MenuItemTradesItsActionForSubItemsAndBack) {
    Bar t;
    auto* list = new TActionList(t.form);
    auto makeAction = [&](const char* caption, int& counter) {
        auto* a = new TAction(list);
        a->SetActionList(list);
        a->SetCaption(caption);
        a->OnExecute = [&counter](TObject*) { ++counter; };
        return a;
    };
    int saved = 0, sent = 0;
    TAction* save = makeAction("Сохранить запрос", saved);
    TAction* send = makeAction("Отправить на регистрацию", sent);
    auto* mm = new TMainMenu(t.form);
    auto* top = new TMenuItem(t.form);
    top->SetCaption("Контейнер");
    mm->Items()->Add(top);
    auto* item = new TMenuItem(t.form);
    item->SetAction(save);
    top->Add(item);
    const int owned = t.form->ComponentCount();

    item->SetAction(nullptr);
    TMenuItem* first = item->AddActionItem(send);
    TMenuItem* second = item->AddActionItem(save);
    ASSERT_EQ(item->Count(), 2);
    EXPECT_EQ(first->Caption(), "Отправить на регистрацию");
    EXPECT_EQ(second->ImageIndex(), -1);
    EXPECT_EQ(first->Owner(), t.form);
    ASSERT_NE(item->QtMenu(), nullptr);
    EXPECT_EQ(item->QtAction()->menu(), item->QtMenu());
    ASSERT_EQ(item->QtMenu()->actions().size(), 2);
    item->QtMenu()->actions()[0]->trigger();
    EXPECT_EQ(sent, 1);
    send->SetEnabled(false);
    EXPECT_FALSE(first->Enabled());

    // Back to a plain item: the sub-items are freed and the action clicks.
    item->Clear();
    item->SetAction(save);
    EXPECT_EQ(item->Count(), 0);
    EXPECT_EQ(item->QtAction()->menu(), nullptr);
    EXPECT_EQ(t.form->ComponentCount(), owned);
    item->QtAction()->trigger();
    EXPECT_EQ(saved, 1);
    // Actions freed before the items leave nothing dangling.
    send->Free();
    EXPECT_EQ(item->AddActionItem(nullptr)->Action(), nullptr);
}

// What the Qt button shows for each combination of the bar's captions, the
// button's picture (none, or an index outside the list) and its state.
TEST(ToolBar, ButtonShowsPictureCaptionAndToolTipByTheBarsCaptionsAndItsState) {
    ensureQtApp();
    struct Case {
        bool captions;
        int image;
        bool enabled;
        bool picture, text, captionTip;
    };
    const Case cases[] = {
        {true, 0, true, true, true, false},    {true, 0, false, true, true, false},
        {true, -1, true, false, true, false},  {true, 7, false, false, true, false},
        {false, 0, true, true, false, true},   {false, 0, false, true, false, true},
        {false, -1, true, false, true, false}, {false, 7, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "captions " << c.captions << ", image " << c.image << ", enabled "
                                        << c.enabled);
        Bar t;
        t.bar->SetButtonWidth(30);
        t.bar->SetButtonHeight(28);
        t.bar->SetShowCaptions(c.captions);
        t.bar->SetImages(solidList(t.form, {clRed}));
        TToolButton* b = addButton(t.bar, "Получить сертификат");
        b->SetImageIndex(c.image);
        b->SetEnabled(c.enabled);
        QToolButton* q = qtButton(b);

        EXPECT_EQ(shownColour(b) == QColor(Qt::red), c.picture);
        const bool textShown = q->toolButtonStyle() != Qt::ToolButtonIconOnly && q->text() == "Получить сертификат";
        EXPECT_EQ(textShown, c.text);
        EXPECT_EQ(q->toolTip() == "Получить сертификат", c.captionTip);
        EXPECT_EQ(q->isEnabled(), c.enabled);
        if (c.picture && !c.enabled) {
            // Greyed: no longer red, still drawn.
            const QColor off = shownColour(b, QIcon::Disabled);
            EXPECT_EQ(off.red(), off.green());
            EXPECT_GT(off.alpha(), 0);
        }
        // A shown caption is never cut; a picture alone keeps the bar's size.
        if (c.text) {
            EXPECT_GE(q->width(), q->sizeHint().width());
            EXPECT_GE(q->height(), q->sizeHint().height());
            EXPECT_GE(t.bar->Height(), q->height());
        } else {
            EXPECT_EQ(b->Width(), 30);
            EXPECT_EQ(b->Height(), 28);
        }
    }
}

TEST(ToolBar, DisabledImagesAndTheButtonSizeFromThePictures) {
    Bar t;
    t.bar->SetShowCaptions(false);
    t.bar->SetButtonWidth(10);
    t.bar->SetButtonHeight(10);
    TImageList* big = new TImageList(t.form);
    big->SetWidth(32);
    big->SetHeight(32);
    TBitmap strip;
    strip.SetSize(32, 32);
    big->Add(&strip);
    t.bar->SetImages(big);
    TToolButton* b = addButton(t.bar, "Печатать");
    b->SetImageIndex(0);
    EXPECT_GE(b->Width(), 32);
    EXPECT_GE(b->Height(), 32);

    t.bar->SetImages(solidList(t.form, {clRed}));
    t.bar->SetDisabledImages(solidList(t.form, {clBlue}));
    b->SetEnabled(false);
    EXPECT_EQ(shownColour(b, QIcon::Disabled), QColor(Qt::blue));
    EXPECT_EQ(shownColour(b), QColor(Qt::red));
    // A hint names the button in place of its caption.
    b->SetHint("Печатать|Печатать текущий объект");
    EXPECT_EQ(qtButton(b)->toolTip().toStdString(), "Печатать");
}

TEST(ToolBar, ButtonFollowsItsActionsPicture) {
    Bar t;
    t.bar->SetImages(solidList(t.form, {clRed, clBlue}));
    auto* act = new TAction(t.form);
    act->SetCaption("Сохранить");
    act->SetImageIndex(0);
    TToolButton* b = addButton(t.bar, "");
    b->SetAction(act);
    EXPECT_EQ(b->ImageIndex(), 0);
    EXPECT_EQ(shownColour(b), QColor(Qt::red));
    act->SetImageIndex(1);
    EXPECT_EQ(b->ImageIndex(), 1);
    EXPECT_EQ(shownColour(b), QColor(Qt::blue));
    act->SetImageIndex(-1);
    EXPECT_EQ(shownColour(b), QColor(Qt::transparent));
    EXPECT_EQ(qtButton(b)->text().toStdString(), "Сохранить");
}

// The bar lets go of a list that is freed, replaced or emptied; a list that
// outlives the bar forgets it.
TEST(ToolBar, ImageListFreedReplacedOrChangedIsNoticed) {
    Bar t;
    TImageList* red = solidList(t.form, {clRed});
    TImageList* blue = solidList(t.form, {clBlue});
    t.bar->SetImages(red);
    t.bar->SetDisabledImages(red);
    TToolButton* b = addButton(t.bar, "Открыть");
    b->SetImageIndex(0);
    t.bar->SetImages(blue);
    EXPECT_EQ(shownColour(b), QColor(Qt::blue));
    red->Free();
    EXPECT_EQ(t.bar->DisabledImages(), nullptr);
    EXPECT_EQ(t.bar->Images(), blue);
    blue->Clear();
    EXPECT_EQ(shownColour(b), QColor(Qt::transparent));
    TImageList* again = solidList(t.form, {clGreen});
    t.bar->SetImages(again);
    EXPECT_EQ(shownColour(b), QColor(0, 128, 0));
    again->Free();
    EXPECT_EQ(t.bar->Images(), nullptr);
    EXPECT_EQ(shownColour(b), QColor(Qt::transparent));
    EXPECT_EQ(qtButton(b)->text().toStdString(), "Открыть");

    TImageList* kept = solidList(nullptr, {clRed});
    t.bar->SetImages(kept);
    t.bar->Free();
    kept->Clear();
    kept->Free();
}

TEST(ToolBar, ButtonsWrapIntoRowsWhereTheBarEnds) {
    Bar t;
    std::vector<TToolButton*> b;
    for (int i = 0; i < 5; ++i) b.push_back(addButton(t.bar, "Сохранить"));
    const int oneRow = t.bar->Height();
    b.push_back(addButton(t.bar, "Сохранить"));
    ASSERT_EQ(t.bar->Width(), t.form->ClientWidth());
    EXPECT_EQ(b[4]->Left(), 480);
    EXPECT_EQ(b[5]->Left(), 0);
    EXPECT_EQ(b[5]->Top(), 36);
    EXPECT_GE(t.bar->Height(), 72);

    t.form->SetBounds(0, 0, 800, 200);
    EXPECT_EQ(b[5]->Left(), 600);
    EXPECT_EQ(b[5]->Top(), 0);
    EXPECT_EQ(t.bar->Height(), oneRow);

    t.form->SetBounds(0, 0, 600, 200);
    t.bar->SetWrapable(false);
    EXPECT_EQ(b[5]->Left(), 600);
    EXPECT_EQ(t.bar->Height(), oneRow);
}
