#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTreeView>
#include <QWindow>

#include <filesystem>

#include "components/CFlagsBox.h"
#include "platform/framework/Forms.h"
#include "support/TempDir.h"

#include "CompoundFixture.h"

namespace {

struct FlagsBoxTest : ::testing::Test {
    TForm* form = nullptr;
    TCFlagsBox* box = nullptr;
    std::vector<uint64_t> events;
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(100, 100, 320, 240);
        box = add<TCFlagsBox>(form, form, "box");
        box->SetBounds(10, 10, 200, 24);
        box->OnItemChecked = [this](TObject*, TListItem*, uint64_t v) { events.push_back(v); };
    }
    void TearDown() override { form->Free(); }
    void addItems(std::initializer_list<std::pair<const char*, uint64_t>> items) {
        for (auto& [c, v] : items) box->AddItem(c, v, true);
    }
    TListItem* item(uint64_t v) const { return box->List()->ItemByValue(v); }
};

TEST(FlagsBoxItems, ValueTextAndParsing) {
    struct {
        uint64_t v;
        const char* text;
    } formats[] = {{0, "0x0000"},
                   {1, "0x0001"},
                   {0xABCD, "0xABCD"},
                   {0x12345, "0x12345"},
                   {0xFFFFFFFFFFFFFFFFull, "0xFFFFFFFFFFFFFFFF"}};
    for (auto& f : formats) EXPECT_EQ(fbxValueText(f.v), f.text);

    struct {
        const char* text;
        bool ok;
        uint64_t v;
    } parses[] = {{"31", true, 31},
                  {"0x1F", true, 31},
                  {"$1F", true, 31},
                  {" 0x1f ", true, 31},
                  {"1F", false, 0},
                  {"", false, 0},
                  {"0x", false, 0},
                  {"12a", false, 0},
                  {"0x10000000000000000", false, 0},
                  {"18446744073709551615", true, UINT64_MAX}};
    for (auto& p : parses) {
        uint64_t v = 0;
        EXPECT_EQ(fbxParseValue(p.text, v), p.ok) << p.text;
        if (p.ok) {
            EXPECT_EQ(v, p.v) << p.text;
        }
    }
}

TEST_F(FlagsBoxTest, SubItemsGrowAndReadBack) {
    TListItem* it = box->List()->Items()->Add();
    EXPECT_EQ(fbxGetSbItemValue(it, 0), 0u);  // missing
    fbxSetSbItemValue(it, uint64_t(0x30), 1);
    ASSERT_EQ(it->SubItems()->Count(), 2);
    EXPECT_EQ(it->SubItems()->Get(0), "");
    EXPECT_EQ(fbxGetSbItemValue(it, 1), 0x30u);
    fbxSetSbItemValue(it, String("junk"), 0);
    EXPECT_EQ(fbxGetSbItemValue(it, 0), 0u);
    fbxSetItemFlags(it, fbxDisabled, true);
    EXPECT_EQ(fbxGetItemFlags(it), fbxDisabled);
    fbxSetItemFlags(it, fbxDisabled, false);
    EXPECT_EQ(fbxGetItemFlags(it), 0u);
}

TEST_F(FlagsBoxTest, CheckBoxModeValueRoundTrips) {
    addItems({{"a", 0x1}, {"b", 0x2}, {"ab", 0x3}, {"none", 0}, {"high", 0x100000000ull}});
    struct {
        uint64_t set, get;
        const char* text;
    } cases[] = {
        {0x1, 0x1, "[a]"},  // the 0x3 item stays unticked: its bits are not all there
        {0x2, 0x2, "[b]"}, {0x3, 0x3, "[a,b,ab]"}, {0x0, 0x0, "[]"}, {0x100000001ull, 0x100000001ull, "[a,high]"},
    };
    for (auto& c : cases) {
        box->SetChecked(c.set);
        EXPECT_EQ(box->GetChecked(), c.get) << c.set;
        EXPECT_EQ(box->GetText(), c.text) << c.set;
        EXPECT_FALSE(item(0)->Checked());
    }
    // The item's full value reaches OnItemChecked.
    EXPECT_NE(std::find(events.begin(), events.end(), 0x100000000ull), events.end());
}

TEST_F(FlagsBoxTest, SingleSelectionTicksOneItem) {
    box->SetListType(clsSingleSelection);
    addItems({{"zero", 0}, {"one", 1}, {"two", 2}});
    box->SetChecked(2);
    EXPECT_EQ(box->GetChecked(), 2u);
    EXPECT_EQ(box->GetText(), "[two]");
    box->SetChecked(0);
    EXPECT_EQ(box->GetChecked(), 0u);
    EXPECT_TRUE(item(0)->Checked());
    EXPECT_FALSE(item(2)->Checked());
    box->SetChecked(7);  // no such item: nothing changes
    EXPECT_EQ(box->GetText(), "[zero]");

    // Double clicks step through the values and wrap.
    std::vector<uint64_t> seen;
    for (int i = 0; i < 4; ++i) {
        box->DoDblClick();
        seen.push_back(box->GetChecked());
    }
    EXPECT_EQ(seen, (std::vector<uint64_t>{1, 2, 0, 1}));

    // Changing the type unticks everything.
    box->SetListType(clsCheckboxes);
    EXPECT_EQ(box->GetText(), "[]");
}

TEST_F(FlagsBoxTest, ExclusionAndDisabledItems) {
    addItems({{"none", 0}, {"a", 0x1}, {"b", 0x2}, {"all", 0x7}});
    box->List()->SetItemExcluded(item(0x7), 0x3);
    box->SetChecked(0x3);
    box->List()->checkItem(item(0), true);
    // Ticked by the user: the items inside its mask (value 0 too) go.
    box->List()->SetSelected(item(0x7));
    box->List()->LVClick();
    EXPECT_TRUE(item(0x7)->Checked());
    EXPECT_FALSE(item(0x1)->Checked());
    EXPECT_FALSE(item(0x2)->Checked());
    EXPECT_FALSE(item(0)->Checked());

    // DisabledItems: an item is disabled when all its bits are in the mask.
    box->SetDisabledItems(0x3);
    EXPECT_FALSE(box->List()->ItemEnabled(item(0x1)));
    EXPECT_FALSE(box->List()->ItemEnabled(item(0x2)));
    EXPECT_TRUE(box->List()->ItemEnabled(item(0x7)));
    EXPECT_TRUE(box->List()->ItemEnabled(item(0)));
    // The user cannot tick a disabled item; the program can.
    box->List()->SetSelected(item(0x1));
    box->List()->LVClick();
    EXPECT_FALSE(item(0x1)->Checked());
    item(0x1)->SetChecked(true);
    EXPECT_FALSE(item(0x1)->Checked());
    box->SetChecked(0x1);
    EXPECT_TRUE(item(0x1)->Checked());
    box->EnableItems(0x1, true);
    EXPECT_TRUE(box->List()->ItemEnabled(item(0x1)));
    EXPECT_FALSE(box->List()->ItemEnabled(item(0x2)));
    box->EnableItem(0x2, true);
    EXPECT_TRUE(box->List()->ItemEnabled(item(0x2)));
    // Single selection ignores DisabledItems.
    box->SetListType(clsSingleSelection);
    box->SetDisabledItems(0x7);
    EXPECT_TRUE(box->List()->ItemEnabled(item(0x7)));
}

TEST_F(FlagsBoxTest, TextTicksItemsByCaption) {
    addItems({{"Alpha", 1}, {"Beta", 2}, {"Gamma", 4}, {"Дельта", 8}});
    struct {
        const char* text;
        uint64_t before, after;
        const char* shown;
    } cases[] = {
        {"[alpha, BETA]", 4, 3, "[Alpha,Beta]"},
        {"  [ gamma ,дельта ]  ", 1, 12, "[Gamma,Дельта]"},
        {"beta", 1, 2, "[Beta]"},  // no brackets: the whole text
        {"[]", 5, 5, "[Alpha,Gamma]"},
        {"", 5, 5, "[Alpha,Gamma]"},
        {"[nothing]", 5, 0, "[]"},
    };
    for (auto& c : cases) {
        box->SetChecked(c.before);
        box->SetText(c.text);
        EXPECT_EQ(box->GetChecked(), c.after) << c.text;
        if (*c.text) {
            EXPECT_EQ(box->GetText(), c.shown) << c.text;
            EXPECT_EQ(box->Hint(), c.shown);
        }
    }
}

TEST_F(FlagsBoxTest, AddAndAssignItems) {
    box->AddItem("first", 5, true);
    box->AddItem("renamed", 5, false);
    ASSERT_EQ(box->Items()->Count(), 1);
    EXPECT_EQ(box->Items()->Item(0)->Caption(), "renamed");
    EXPECT_FALSE(box->List()->ItemEnabled(box->Items()->Item(0)));

    TStringList lines{"one,1", "short", "\"two words\",0x2", "", "four,4,extra"};
    box->AssignItems(&lines);
    ASSERT_EQ(box->Items()->Count(), 3);
    EXPECT_EQ(box->RowsVisible(), 5);
    EXPECT_EQ(box->Items()->Item(1)->Caption(), "two words");
    EXPECT_EQ(box->Items()->Item(1)->SubItems()->Get(0), "0x2");  // as written
    box->SetChecked(6);
    EXPECT_EQ(box->GetText(), "[two words,four]");

    // Sorting: by value by default, by caption on request, at once.
    box->Clear();
    addItems({{"b", 4}, {"C", 1}, {"a", 2}});
    EXPECT_EQ(box->Items()->Item(0)->Caption(), "C");
    box->SetSortType(stText);
    EXPECT_EQ(box->Items()->Item(0)->Caption(), "a");
    EXPECT_EQ(box->Items()->Item(2)->Caption(), "C");
}

// ---- the pop-up on real widgets

void mouse(QWidget* w, QEvent::Type t, QPoint p) {
    QMouseEvent e(t, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                  t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void click(QWidget* w, QPoint p) {
    mouse(w, QEvent::MouseButtonPress, p);
    mouse(w, QEvent::MouseButtonRelease, p);
}

// A press on the row's check box (left end of the first column).
void clickCheck(TCCheckListView* list, int row) {
    auto* tv = static_cast<QTreeView*>(list->Handle());
    QRect r = tv->visualRect(tv->model()->index(row, 0));
    click(tv->viewport(), QPoint(r.left() + 8, r.center().y()));
}

TEST_F(FlagsBoxTest, PopupOpensTicksAndCloses) {
    addItems({{"Чтение", 1}, {"Запись", 2}, {"Удаление", 4}});
    box->EnableItem(4, false);
    auto* other = add<TButton>(form, form, "other");
    other->SetBounds(10, 150, 80, 25);
    int shows = 0, hides = 0;
    box->OnListShow = [&](TObject*) { ++shows; };
    box->OnListHide = [&](TObject*) { ++hides; };
    form->Show();
    box->SetFocus();
    Application->ProcessMessages();

    SendKey(box, VK_DOWN, ssCtrl);
    ASSERT_TRUE(box->GetDroppedDown());
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(box->Focused());
    TCanvas measure;
    measure.Font()->Assign(box->List()->Font());
    EXPECT_EQ(box->List()->Height(), 3 * (measure.TextHeight("Йу") + 6));  // three items, never fewer rows
    EXPECT_EQ(box->List()->Width(), box->Width() - 1);

    // One press in the check-box column: one tick, one event.
    events.clear();
    clickCheck(box->List(), 1);
    EXPECT_EQ(events, (std::vector<uint64_t>{2}));
    EXPECT_EQ(box->GetChecked(), 2u);
    EXPECT_EQ(box->GetText(), "[Запись]");
    // A disabled item refuses the tick.
    clickCheck(box->List(), 2);
    EXPECT_EQ(box->GetChecked(), 2u);
    EXPECT_EQ(events.size(), 1u);

    // Keys reach the open list: Down moves, Space ticks, Escape closes.
    EXPECT_EQ(box->List()->ItemIndex(), 2);
    SendKey(box, VK_UP);
    SendKey(box, VK_UP);
    EXPECT_EQ(box->List()->ItemIndex(), 0);
    SendKey(box, VK_SPACE);
    EXPECT_EQ(box->GetChecked(), 3u);
    std::filesystem::path png = std::filesystem::path(testing::TempDir()) / "flagsbox-open.png";
    ASSERT_TRUE(box->List()->Handle()->grab().save(QString::fromStdString(png.string())));
    SendKey(box, VK_ESCAPE);
    EXPECT_FALSE(box->GetDroppedDown());
    EXPECT_EQ(hides, 1);

    // Space opens too; a press outside closes the list and still reaches its target.
    int otherClicks = 0;
    other->OnClick = [&](TObject*) { ++otherClicks; };
    SendKey(box, VK_SPACE);
    ASSERT_TRUE(box->GetDroppedDown());
    click(other->Handle(), QPoint(5, 5));
    EXPECT_FALSE(box->GetDroppedDown());
    EXPECT_EQ(otherClicks, 1);
    EXPECT_EQ(hides, 2);
    EXPECT_EQ(box->GetText(), "[Чтение,Запись]");

    // The button toggles the list.
    box->BtnClick();
    EXPECT_TRUE(box->GetDroppedDown());
    click(box->Button()->Handle(), QPoint(3, 3));
    EXPECT_FALSE(box->GetDroppedDown());
}

}  // namespace

// What the window system hands Qt for a real mouse (testlib uses the same).
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                      Qt::KeyboardModifiers mods, int timestamp);

namespace {

// A click as the window system delivers it: to the window under the mouse,
// where a modal window may block it.
void systemClick(QWidget* target, QPoint p) {
    static int time = 0;
    time += 1000;  // never a double click
    QWidget* top = target->window();
    QWindow* window = top->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint local = target->mapTo(top, p);
    const QPoint global = target->mapToGlobal(p);
    qt_handleMouseEvent(window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress, Qt::NoModifier,
                        time);
    qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease, Qt::NoModifier,
                        time + 1);
    QApplication::processEvents();
}

QPoint checkPoint(TCCheckListView* list, int row) {
    auto* tv = static_cast<QTreeView*>(list->Handle());
    const QRect r = tv->visualRect(tv->model()->index(row, 0));
    return QPoint(r.left() + 8, r.center().y());
}

// Opened from a modal window (as in the owner-parameter dialog), the list
// takes real mouse clicks: they tick and untick, in both list types.
TEST_F(FlagsBoxTest, RealClicksTickItemsOfAListOpenedFromAModalWindow) {
    addItems({{"Файл", 1}, {"HSM-токен", 2}, {"Диск", 4}});
    form->Handle()->setWindowModality(Qt::ApplicationModal);
    form->Show();
    box->SetFocus();
    Application->ProcessMessages();
    ASSERT_EQ(QApplication::activeModalWidget(), form->Handle());

    box->SetDroppedDown(true);
    ASSERT_TRUE(box->GetDroppedDown());
    auto* viewport = static_cast<QTreeView*>(box->List()->Handle())->viewport();
    systemClick(viewport, checkPoint(box->List(), 1));
    EXPECT_EQ(box->GetChecked(), 2u);
    systemClick(viewport, checkPoint(box->List(), 2));
    EXPECT_EQ(box->GetChecked(), 6u);
    systemClick(viewport, checkPoint(box->List(), 1));
    EXPECT_EQ(box->GetChecked(), 4u);
    EXPECT_EQ(box->GetText(), "[Диск]");
    box->SetDroppedDown(false);

    box->SetListType(clsSingleSelection);
    box->SetDroppedDown(true);
    systemClick(viewport, checkPoint(box->List(), 1));
    EXPECT_EQ(box->GetChecked(), 2u);
    EXPECT_EQ(box->GetText(), "[HSM-токен]");
    box->SetDroppedDown(false);
    form->Hide();
    form->Handle()->setWindowModality(Qt::NonModal);
}

TEST_F(FlagsBoxTest, SingleSelectionPopupSelectsCurrentAndHidesOnSelect) {
    box->SetListType(clsSingleSelection);
    box->SetHideListOnSelect(true);
    EXPECT_TRUE(box->HideListOnSelect());
    addItems({{"Файл", 0}, {"Токен", 36}, {"Диск", 2}});
    box->SetChecked(36);
    form->Show();
    box->SetFocus();
    box->SetDroppedDown(true);
    ASSERT_TRUE(box->GetDroppedDown());
    EXPECT_EQ(box->List()->Selected(), item(36));
    clickCheck(box->List(), box->List()->Items()->IndexOf(item(2)));
    EXPECT_FALSE(box->GetDroppedDown());
    EXPECT_EQ(box->GetChecked(), 2u);
    EXPECT_FALSE(item(36)->Checked());

    // Stored only in single selection.
    box->SetListType(clsCheckboxes);
    box->SetHideListOnSelect(true);
    EXPECT_FALSE(box->HideListOnSelect());
}

TEST_F(FlagsBoxTest, FocusColours) {
    auto* other = add<TEdit>(form, form, "other");
    other->SetTop(100);
    form->Show();
    box->SetColorFocus(clYellow);
    box->SetColorNoFocus(clSilver);
    box->SetFocus();
    Application->ProcessMessages();
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(box->Color(), clSilver);
    box->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(box->Color(), clYellow);
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(box->Color(), clSilver);
}

}  // namespace
