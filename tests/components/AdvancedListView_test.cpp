#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "components/CAdvancedListView.h"
#include "components/ListDialogs.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "support/TempDir.h"

#include "CompoundFixture.h"

namespace {

struct AlvTest : ::testing::Test {
    TForm* form = nullptr;
    TCAdvancedListView* lv = nullptr;
    void SetUp() override {
        EnsureApplication();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(50, 50, 500, 300);
        lv = add<TCAdvancedListView>(form, form, "list");
        lv->SetBounds(0, 0, 480, 280);
        lv->SetSortIncrImageIndex(0);
        lv->SetSortDecrImageIndex(1);
        for (auto [c, w] : {std::pair{"Имя", 100}, std::pair{"Серийный номер", 100}, std::pair{"Описание", 200}}) {
            TListColumn* col = lv->Columns()->Add();
            col->SetCaption(c);
            col->SetWidth(w);
        }
    }
    void TearDown() override { form->Free(); }
    TListItem* row(const String& caption, std::initializer_list<String> subs = {}) {
        TListItem* it = lv->Items()->Add();
        it->SetCaption(caption);
        for (auto& s : subs) it->SubItems()->Add(s);
        return it;
    }
    std::vector<String> captions() const {
        std::vector<String> v;
        for (int i = 0; i < lv->Items()->Count(); ++i) v.push_back(lv->Items()->Item(i)->Caption());
        return v;
    }
};

// ---- sorting

TEST_F(AlvTest, ComparatorIsStrictWithShortRows) {
    // Rows lacking the sorted column sort as the empty text; std::sort with
    // many such rows stays within the rows (sanitizer runs check it).
    std::mt19937 rnd(7);
    const char* words[] = {"Яблоко", "абрикос", "Банан", "", "вишня", "Абрикос"};
    for (int i = 0; i < 300; ++i) {
        TListItem* it = row(std::to_string(i));
        if (rnd() % 3) it->SubItems()->Add(words[rnd() % 6]);
    }
    lv->SetSortColumn(1);
    for (int i = 0; i + 1 < lv->Items()->Count(); ++i)
        EXPECT_LE(lv->lvCompare(lv->Items()->Item(i), lv->Items()->Item(i + 1)), 0) << i;
    std::vector<TListItem*> v;
    for (int i = 0; i < lv->Items()->Count(); ++i) v.push_back(lv->Items()->Item(i));
    std::shuffle(v.begin(), v.end(), rnd);
    std::sort(v.begin(), v.end(), [&](TListItem* a, TListItem* b) { return lv->lvCompare(a, b) < 0; });
    for (size_t i = 0; i + 1 < v.size(); ++i) ASSERT_LE(lv->lvCompare(v[i], v[i + 1]), 0);
    // Missing sub-items come first, then the words by locale order ignoring case.
    EXPECT_EQ(lv->Items()->Item(0)->SubItems()->Count() == 0 || lv->Items()->Item(0)->SubItems()->Get(0).empty(), true);
    struct {
        const char *a, *b;
        int sign;
    } table[] = {{"абрикос", "Абрикос", 0}, {"", "a", -1}, {"Банан", "вишня", -1}, {"яблоко", "Банан", 1}};
    for (auto& t : table) {
        TListItem* a = lv->Items()->Add();
        a->SubItems()->Add(t.a);
        TListItem* b = lv->Items()->Add();
        b->SubItems()->Add(t.b);
        int r = lv->lvCompare(a, b);
        if (t.sign == 0) {
            EXPECT_EQ(r, -lv->lvCompare(b, a)) << t.a;  // total, antisymmetric
        } else {
            EXPECT_EQ(r > 0 ? 1 : -1, t.sign) << t.a << " " << t.b;
        }
    }
}

TEST_F(AlvTest, ColumnClicksToggleOrderAndMovePictures) {
    row("b", {"2"});
    row("a", {"3"});
    row("c", {"1"});
    lv->SetSortColumn(0);
    EXPECT_EQ(captions(), (std::vector<String>{"a", "b", "c"}));
    EXPECT_EQ(lv->Columns()->Items(0)->ImageIndex(), 0);
    lv->SetSortColumn(0);  // the same column: descending
    EXPECT_FALSE(lv->SortGrown());
    EXPECT_EQ(captions(), (std::vector<String>{"c", "b", "a"}));
    EXPECT_EQ(lv->Columns()->Items(0)->ImageIndex(), 1);
    lv->SetSortColumn(0);
    EXPECT_EQ(captions(), (std::vector<String>{"a", "b", "c"}));
    lv->SetSortColumn(1);  // another column: ascending, the picture moves
    EXPECT_EQ(captions(), (std::vector<String>{"c", "b", "a"}));
    EXPECT_EQ(lv->Columns()->Items(0)->ImageIndex(), -1);
    EXPECT_EQ(lv->Columns()->Items(1)->ImageIndex(), 0);
    EXPECT_EQ(lv->GetSortColumnCaption(), "Серийный номер");
    lv->SetSortColumn(7);  // beyond the columns: only stored
    EXPECT_EQ(lv->SortColumn(), 7);
    EXPECT_EQ(lv->GetSortColumnCaption(), "");

    // By caption: the list becomes text-sorted and the column sorts.
    lv->SetSortColumnCaption("Имя");
    EXPECT_EQ(lv->SortType(), stText);
    EXPECT_EQ(lv->SortColumn(), 0);
    lv->SetSortColumnCaption("нет такой");
    EXPECT_EQ(lv->SortColumn(), 0);

    // A handler may compare otherwise (numbers here).
    lv->OnColumnsCompare = [](TCAdvancedListView*, const String& a, const String& b, int col) {
        EXPECT_EQ(col, 1);
        return std::stoi(a) - std::stoi(b);
    };
    lv->SetSortColumn(1);
    EXPECT_EQ(captions(), (std::vector<String>{"c", "b", "a"}));
}

// Without a locale in the process (as here) names sort by the Ukrainian and
// Russian alphabets, letter case aside: Ґ, Є, І and Ї where they belong, not
// after Я.
TEST_F(AlvTest, CyrillicNamesSortInAlphabetOrder) {
    const std::vector<String> sorted = {"Аврам", "Гай",      "ґава", "Ґудзь", "Дмитренко", "Елец",  "ЄВА",      "євген",
                                        "Жук",   "Ильин",    "іван", "Ігор",  "Їжак",      "Йосип", "Шевченко", "Щука",
                                        "Ъер",   "Ыхтиандр", "Ьо",   "Эрик",  "Юрій",      "Ярош"};
    for (size_t i = 0; i < sorted.size(); ++i) row(sorted[(i * 7) % sorted.size()]);  // 7 and 22 share no factor
    lv->SetSortColumn(0);
    EXPECT_EQ(captions(), sorted);
    lv->SetSortColumn(0);
    EXPECT_EQ(captions(), std::vector<String>(sorted.rbegin(), sorted.rend()));
}

// ---- searching

TEST_F(AlvTest, SearchStartRulesAndNotFound) {
    std::vector<String> misses;
    lv->OnValueNotFound = [&](TCAdvancedListView*, const String& v) { misses.push_back(v); };
    EXPECT_FALSE(lv->SearchText("x", true, true, false));  // empty list
    EXPECT_TRUE(misses.empty());
    EXPECT_EQ(lv->GetFindString(), "");

    row("xABCx", {"один", "два"});
    row("abc", {"три"});
    row("zzz", {"Четыре"});
    struct {
        const char* text;
        bool fromStart, forward, next;
        int focus;  // focused row before, -1 none
        int found;
    } cases[] = {
        {"abc", true, false, true, 2, 0},      // from the start: row 0 examined, forward
        {"abc", false, true, true, 0, 1},      // next from row 0
        {"abc", false, false, true, 1, 0},     // backward from row 1
        {"abc", false, true, false, 1, 1},     // the current row counts without Next
        {"abc", false, true, true, 1, -1},     // nothing after row 1
        {"abc", false, false, true, 0, -1},    // before row 0 is outside the list
        {"ЧЕТЫРЕ", true, true, false, -1, 2},  // Cyrillic case folding
    };
    for (auto& c : cases) {
        lv->SetFocusedRow(c.focus);
        lv->SetSelected(nullptr);
        bool ok = lv->SearchText(c.text, c.fromStart, c.forward, c.next);
        EXPECT_EQ(ok, c.found >= 0) << c.text << c.focus;
        EXPECT_EQ(lv->FoundRow(), c.found) << c.text << c.focus;
        if (ok) {
            EXPECT_EQ(lv->FocusedRow(), c.found);
            EXPECT_TRUE(lv->Items()->Item(c.found)->Selected());
        }
    }
    EXPECT_EQ(misses.size(), 2u);
    lv->SetFindIgnoreCase(false);
    EXPECT_FALSE(lv->SearchText("abcx", true, true, false));
    lv->SetFindIgnoreCase(true);
    EXPECT_TRUE(lv->SearchText("abcx", true, true, false));

    // Next and Prev repeat the stored search.
    lv->SetFocusedRow(0);
    EXPECT_TRUE(lv->GetSeachNextEnabled());
    EXPECT_FALSE(lv->GetSeachPrevEnabled());
    EXPECT_TRUE(lv->SearchTextEx("abc", true, true, false, 0));
    EXPECT_TRUE(lv->SearchNext());
    EXPECT_EQ(lv->FoundRow(), 1);
    EXPECT_TRUE(lv->SearchPrev());
    EXPECT_EQ(lv->FoundRow(), 0);
}

TEST_F(AlvTest, SearchInColumnsAndAcrossJoints) {
    row("cap", {"one", "two"});
    row("x", {"solo"});
    struct {
        const char* text;
        int column, found;
    } cases[] = {
        {"cap|one", -1, 0},     // across the caption's joint
        {"one\r\ntwo", -1, 0},  // across the line break between sub-items
        {"two", 0, -1},         // caption only
        {"two", 2, 0},          // sub-item 1
        {"solo", 2, -1},        // a row without that column does not match
        {"solo", 9, -1},        // nor a column no row has
        {"solo", 1, 1},
    };
    for (auto& c : cases) {
        lv->SearchTextEx(c.text, true, true, false, c.column);
        EXPECT_EQ(lv->FoundRow(), c.found) << c.text << " in " << c.column;
        EXPECT_EQ(lv->SearchInColumn(), c.column);
    }
}

struct TProbeList : TCAdvancedListView {
    explicit TProbeList(TComponent* o) : TCAdvancedListView(o) {}
    using TCAdvancedListView::CustomDrawItem;
};

TEST_F(AlvTest, FoundRowHighlightUntilAnotherRowTakesFocus) {
    auto* probe = add<TProbeList>(form, form, "probe");
    probe->SetBounds(0, 0, 480, 280);
    lv->SetVisible(false);
    probe->Columns()->Add()->SetCaption("Имя");
    for (const char* c : {"one", "two", "three"}) probe->Items()->Add()->SetCaption(c);
    form->Show();
    ASSERT_TRUE(probe->SearchText("two", true, true, false));
    EXPECT_EQ(probe->FoundRow(), 1);
    TListItem* two = probe->Items()->Item(1);
    // The highlight: info-tip background and underline on the found row only.
    probe->Canvas()->Font()->SetStyle(0);
    probe->Canvas()->Brush()->SetColor(clWindow);
    EXPECT_TRUE(probe->CustomDrawItem(two, 0, cdPrePaint));
    EXPECT_EQ(probe->Canvas()->Brush()->Color(), clInfoBk);
    EXPECT_TRUE(probe->Canvas()->Font()->Style() & fsSet(fsUnderline));
    EXPECT_TRUE(probe->CustomDrawItem(probe->Items()->Item(0), 0, cdPrePaint));
    EXPECT_FALSE(probe->Canvas()->Font()->Style() & fsSet(fsUnderline));
    std::string png = testing::TempDir() + "/advanced-list-found.png";
    ASSERT_TRUE(form->Handle()->grab().save(QString::fromStdString(png)));
    // The user moves on: the highlight goes.
    probe->SetItemIndex(2);
    EXPECT_EQ(probe->FoundRow(), -1);
}

// ---- selection and clipboard

TEST_F(AlvTest, RowsAsTextAndClipboardKeys) {
    lv->SetMultiSelect(true);
    TListItem* a = row("a", {"b", "c"});
    row("skip");
    TListItem* d = row("d");
    EXPECT_EQ(lv->item2String(a), "a;b;c;");
    lv->ansiSetSubItemsText(d, "x\r\ny\nz");
    EXPECT_EQ(lv->item2String(d), "d;x;y;z;");
    lv->ansiSetSubItemsText(d, "");
    EXPECT_EQ(lv->item2String(d), "d;");

    form->Show();
    lv->SetFocus();
    Clipboard()->SetAsText("before");
    SendKey(lv, 'C', ssCtrl);  // nothing selected: the clipboard stays
    EXPECT_EQ(Clipboard()->AsText(), "before");
    a->SetSelected(true);
    d->SetSelected(true);
    EXPECT_EQ(lv->countSelected(), 2);
    SendKey(lv, 'C', ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "a;b;c;\nd;\n");
    Clipboard()->Clear();
    SendKey(lv, VK_INSERT, ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "a;b;c;\nd;\n");
    // Numeric-keypad keys copy and select nothing.
    Clipboard()->Clear();
    SendKey(lv, 0x63, ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "");
    SendKey(lv, 0x61, ssCtrl);
    EXPECT_EQ(lv->countSelected(), 2);
    SendKey(lv, 'A', ssCtrl);
    EXPECT_EQ(lv->countSelected(), 3);
    lv->ClearSelection();
    EXPECT_EQ(lv->countSelected(), 0);
    // Other Ctrl keys keep their meaning: Ctrl+End and Ctrl+Home still move.
    lv->SetFocusedRow(0);
    SendKey(lv, VK_END, ssCtrl);
    EXPECT_EQ(lv->FocusedRow(), 2);
    SendKey(lv, VK_HOME, ssCtrl);
    EXPECT_EQ(lv->FocusedRow(), 0);
}

TEST_F(AlvTest, CountSelectedInOwnerDataMode) {
    lv->SetMultiSelect(true);
    lv->SetOwnerData(true);
    lv->OnData = [](TObject*, TListItem* it) { it->SetCaption("r" + std::to_string(it->Index())); };
    lv->Items()->SetCount(50);
    EXPECT_EQ(lv->countSelected(), 0);
    for (int r : {2, 30, 49}) lv->SetRowSelected(r, true);
    EXPECT_EQ(lv->countSelected(), 3);
    lv->copySelectionToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "r2;\nr30;\nr49;\n");
}

// ---- dialogs through the modal hook

struct HookGuard {
    TModalHook old;
    explicit HookGuard(TModalHook h) : old(SetModalHook(std::move(h))) {}
    ~HookGuard() { SetModalHook(old); }
};

TEST_F(AlvTest, PlainSearchDialogRefusesEmptyText) {
    int offers = 0;
    String caption;
    bool groupEnabled = true;
    int direction = -1;
    HookGuard g([&](TObject* w) {
        auto* f = dynamic_cast<TCFindForm*>(w);
        if (!f) return int(mrCancel);
        caption = f->Caption();
        groupEnabled = f->RadioGroup2->Enabled();
        direction = f->RadioGroup2->ItemIndex();
        if (++offers == 1) {
            f->Button1->Click();  // empty text: stays open
            return 0;
        }
        f->SearchEdit->SetText("дерево");
        f->RadioGroup1->SetItemIndex(1);
        f->RadioGroup2->SetItemIndex(1);
        f->Button1->Click();
        return 0;
    });
    String text;
    bool fromStart = true, forward = false;
    EXPECT_EQ(getSearchText(text, fromStart, forward, "TestSearch"), 0);
    EXPECT_EQ(offers, 2);
    EXPECT_EQ(caption, "Найти значение");
    EXPECT_EQ(text, "дерево");
    EXPECT_FALSE(fromStart);
    EXPECT_FALSE(forward);
    (void)groupEnabled;
    (void)direction;
}

TEST_F(AlvTest, PlainSearchDialogStartsFromTheCallerState) {
    bool groupEnabled = true;
    int direction = -1;
    HookGuard g([&](TObject* w) {
        auto* f = dynamic_cast<TCFindForm*>(w);
        groupEnabled = f->RadioGroup2->Enabled();
        direction = f->RadioGroup2->ItemIndex();
        f->Button2->Click();
        return 0;
    });
    String text = "keep";
    bool fromStart = true, forward = false;
    EXPECT_NE(getSearchText(text, fromStart, forward, nullptr), 0);
    EXPECT_FALSE(groupEnabled);  // from the start: no direction
    EXPECT_EQ(direction, 0);     // and forward, whatever was asked
    EXPECT_EQ(text, "keep");
    EXPECT_TRUE(fromStart);
}

TEST_F(AlvTest, PlainSearchThroughTheList) {
    row("альфа");
    row("бета");
    lv->SetFindString("бе");
    String shown;
    HookGuard g([&](TObject* w) {
        auto* f = dynamic_cast<TCFindForm*>(w);
        shown = f->SearchEdit->GetText();
        f->Button1->Click();
        return 0;
    });
    EXPECT_TRUE(lv->SearchItemDialog(false, nullptr));
    EXPECT_EQ(shown, "бе");  // starts from the stored text
    EXPECT_EQ(lv->FoundRow(), 1);
}

TEST_F(AlvTest, ColumnSearchDialogMapsColumns) {
    row("a", {"x1", "needle"});
    row("b", {"needle", "y"});
    lv->SetSearchInColumn(2);
    lv->SetFindString("needle");
    int shownIndex = -1;
    String firstEntry, shownText;
    bool caseBox = true;
    HookGuard g([&](TObject* w) {
        auto* f = dynamic_cast<TCFindInListForm*>(w);
        if (!f) return int(mrCancel);
        shownIndex = f->ComboBox1->ItemIndex();
        firstEntry = f->ComboBox1->Items()->Get(0);
        shownText = f->SearchEdit->GetText();
        caseBox = f->CheckBoxNoIgnoreCase->Checked();
        f->Handle()->grab().save(QString::fromStdString(testing::TempDir() + "/find-in-list.png"));
        f->Button1->Click();
        return 0;
    });
    EXPECT_TRUE(alvSearch(lv, "TestListSearch"));
    EXPECT_EQ(shownIndex, 3);  // "Все колонки", then the caption column and column 1
    EXPECT_EQ(firstEntry, "Все колонки");
    EXPECT_EQ(shownText, "needle");
    EXPECT_FALSE(caseBox);
    EXPECT_EQ(lv->SearchInColumn(), 2);
    EXPECT_EQ(lv->FoundRow(), 0);
    EXPECT_TRUE(lv->SearchItemDialog(true, "TestListSearch"));
}

TEST_F(AlvTest, SortDialog) {
    row("b", {"1"});
    row("a", {"2"});
    int column = 1;
    bool ascending = false;
    String caption;
    HookGuard g([&](TObject* w) {
        auto* f = dynamic_cast<TSortListParsForm*>(w);
        caption = f->Caption();
        f->Handle()->grab().save(QString::fromStdString(testing::TempDir() + "/sort-dialog.png"));
        EXPECT_EQ(f->ComboBox1->ItemIndex(), 1);
        EXPECT_EQ(f->RadioGroup1->ItemIndex(), 0);
        f->Button1->Click();
        return 0;
    });
    EXPECT_EQ(getSortListPars(lv, column, ascending), 0);
    EXPECT_EQ(caption, "Cортировка записей");
    EXPECT_EQ(column, 1);
    EXPECT_FALSE(ascending);

    // Through the list: the choice sorts it.
    SetModalHook([](TObject* w) {
        auto* f = dynamic_cast<TSortListParsForm*>(w);
        f->ComboBox1->SetItemIndex(0);
        f->RadioGroup1->SetItemIndex(0);
        f->Button1->Click();
        return 0;
    });
    lv->SortDialog();
    EXPECT_EQ(lv->SortColumn(), 0);
    EXPECT_FALSE(lv->SortGrown());
    EXPECT_EQ(captions(), (std::vector<String>{"b", "a"}));

    // A list without columns is answered "cancelled" without a dialog.
    auto* bare = add<TListView>(form, form, "bare");
    int shown = 0;
    SetModalHook([&](TObject*) {
        ++shown;
        return int(mrOk);
    });
    EXPECT_NE(getSortListPars(bare, column, ascending), 0);
    EXPECT_EQ(shown, 0);
}

// ---- HTML export

std::string readAll(const std::string& path) { return zrxtest::readFile(path); }

TEST_F(AlvTest, HtmlExportFile) {
    zrxtest::TempDir dir;
    lv->PrinterSettings()->Printer()->SetPrintTableHeader(true);
    lv->ExportsSettings()->BodyFont()->SetName("Arial");
    lv->ExportsSettings()->HeaderFont()->SetName("Arial");
    lv->Columns()->Items(2)->SetAlignment(taRightJustify);
    row("a<b>c", {"x"});
    row("e", {"f", "g"});
    std::string path = dir.file("t.htm");
    ASSERT_EQ(lv->SaveToHTML_Ex(path, "<p>pre</p>", nullptr), 0);
    std::string html = readAll(path);
    const char* expected =
        "<HTML>\r\n<HEAD>\r\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n</HEAD>\r\n"
        "<p>pre</p><table BORDERCOLOR=\"#000000\" border=\"1\" cellspacing=\"0\" width=\"100%\">\r\n"
        "<tr>\r\n"
        "<td ALIGN=CENTER VALIGN=MIDDLE WIDTH=\"25%\" nowrap BGCOLOR=\"#000080\"><FONT FACE=\"Arial\" "
        "COLOR=\"#FFFFFF\" SIZE=1><B>Имя</B></FONT></td>\r\n"
        "<td ALIGN=CENTER VALIGN=MIDDLE WIDTH=\"25%\" nowrap BGCOLOR=\"#000080\"><FONT FACE=\"Arial\" "
        "COLOR=\"#FFFFFF\" SIZE=1><B>Серийный номер</B></FONT></td>\r\n"
        "<td ALIGN=CENTER VALIGN=MIDDLE WIDTH=\"50%\" nowrap BGCOLOR=\"#000080\"><FONT FACE=\"Arial\" "
        "COLOR=\"#FFFFFF\" SIZE=1><B>Описание</B></FONT></td>\r\n"
        "</tr>\r\n"
        "<tr>\r\n"
        "<td ALIGN=CENTER VALIGN=MIDDLE BGCOLOR=\"#FFFFFF\"><FONT FACE=\"Arial\" COLOR=\"#000000\" "
        "SIZE=1>a&lt;b&gt;c</FONT></td>\r\n"
        "<td ALIGN=LEFT VALIGN=MIDDLE BGCOLOR=\"#FFFFFF\"><FONT FACE=\"Arial\" COLOR=\"#000000\" "
        "SIZE=1>x</FONT></td>\r\n"
        "<td ALIGN=RIGHT VALIGN=MIDDLE BGCOLOR=\"#FFFFFF\"></td>\r\n"
        "</tr>\r\n"
        "<tr>\r\n"
        "<td ALIGN=CENTER VALIGN=MIDDLE BGCOLOR=\"#FFFFFF\"><FONT FACE=\"Arial\" COLOR=\"#000000\" "
        "SIZE=1>e</FONT></td>\r\n"
        "<td ALIGN=LEFT VALIGN=MIDDLE BGCOLOR=\"#FFFFFF\"><FONT FACE=\"Arial\" COLOR=\"#000000\" "
        "SIZE=1>f</FONT></td>\r\n"
        "<td ALIGN=RIGHT VALIGN=MIDDLE BGCOLOR=\"#FFFFFF\"><FONT FACE=\"Arial\" COLOR=\"#000000\" "
        "SIZE=1>g</FONT></td>\r\n"
        "</tr>\r\n"
        "</table><p>\r\n</HTML>\r\n";
    EXPECT_EQ(html, expected);
    EXPECT_EQ(lv->SaveToHTML_Ex(dir.file("none/t.htm"), nullptr, nullptr), -1);
}

TEST_F(AlvTest, HtmlExportRoundTripsThroughAParser) {
    zrxtest::TempDir dir;
    lv->SetTitle("Список <\"ключей\"> & сертификатов");
    std::string longText(5000, 'w');
    longText += "конец";
    row("Привет, мир", {"<&>", longText});
    std::string path = dir.file("t.htm");
    ASSERT_EQ(lv->SaveToHTML(path), 0);
    std::string html = readAll(path);
    EXPECT_NE(html.find("<TITLE>Список &lt;&quot;ключей&quot;&gt; &amp; сертификатов</TITLE>"), std::string::npos);
    EXPECT_NE(html.find("COLOR=\"#0000FF\" SIZE=4"), std::string::npos);  // the title font's blue

    htmlDocPtr doc = htmlReadMemory(html.data(), int(html.size()), nullptr, nullptr,
                                    HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    ASSERT_NE(doc, nullptr);
    std::vector<std::string> cells;
    std::function<void(xmlNode*)> walk = [&](xmlNode* n) {
        for (; n; n = n->next) {
            if (n->type == XML_ELEMENT_NODE && xmlStrcasecmp(n->name, BAD_CAST "td") == 0) {
                xmlChar* t = xmlNodeGetContent(n);
                cells.emplace_back(reinterpret_cast<char*>(t));
                xmlFree(t);
            }
            walk(n->children);
        }
    };
    walk(xmlDocGetRootElement(doc));
    xmlChar* title = nullptr;
    std::function<void(xmlNode*)> findTitle = [&](xmlNode* n) {
        for (; n && !title; n = n->next) {
            if (n->type == XML_ELEMENT_NODE && xmlStrcasecmp(n->name, BAD_CAST "title") == 0)
                title = xmlNodeGetContent(n);
            findTitle(n->children);
        }
    };
    findTitle(xmlDocGetRootElement(doc));
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(title), "Список <\"ключей\"> & сертификатов");
    xmlFree(title);
    xmlFreeDoc(doc);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0], "Привет, мир");
    EXPECT_EQ(cells[1], "<&>");
    EXPECT_EQ(cells[2], longText);  // kept whole
}

TEST_F(AlvTest, HtmlExportThroughTheSaveDialog) {
    zrxtest::TempDir dir;
    row("a");
    lv->SetTitle("T");
    // Another export of the same list lies beside the chosen name.
    std::ofstream(dir.file("out.Htm")) << "kept";
    struct Case {
        std::string chosen, written;
    } cases[] = {
        {"out.html", "out.html"},  // saved under the name chosen
        {"report", "report.Htm"},  // no extension: the dialog's default one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        String title;
        {
            HookGuard g([&](TObject* w) {
                auto* d = dynamic_cast<TSaveDialog*>(w);
                if (!d) return int(mrCancel);
                title = d->Title();
                d->SetFileName(dir.file(c.chosen));
                return int(mrOk);
            });
            lv->SaveToHTML("<P>prefix\nsecond line</P>\n", "<P>suffix\r\n</P>\n");
        }
        EXPECT_EQ(title, "Экспорт в HTML\"T\"");
        const std::string html = readAll(dir.file(c.written));
        ASSERT_FALSE(html.empty());
        EXPECT_NE(html.find("<P>prefix\r\nsecond line</P>\r\n"), std::string::npos);
        EXPECT_NE(html.find("<P>suffix\r\n</P>\r\n</HTML>"), std::string::npos);
        // CR LF throughout: no line feed alone.
        for (size_t at = html.find('\n'); at != std::string::npos; at = html.find('\n', at + 1))
            EXPECT_EQ('\r', html[at - 1]) << at;
    }
    EXPECT_EQ("kept", readAll(dir.file("out.Htm")));
    // A file that cannot be written is reported.
    MessageCatcher msgs;
    TModalHook inner = SetModalHook(nullptr);
    SetModalHook([&](TObject* w) {
        if (auto* d = dynamic_cast<TSaveDialog*>(w)) {
            d->SetFileName(dir.file("missing/x.htm"));
            return int(mrOk);
        }
        return inner(w);
    });
    lv->SaveToHTML(nullptr, nullptr);
    SetModalHook(inner);
    ASSERT_EQ(msgs.texts.size(), 1u);
    EXPECT_NE(msgs.texts[0].find("missing/x.htm"), String::npos);
}

}  // namespace
