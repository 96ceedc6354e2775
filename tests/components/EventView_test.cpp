#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <thread>

#include "components/EvDiagDialog.h"
#include "components/EventView.h"
#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/TimeUtils.h"
#include "support/TempDir.h"
#include "platform/framework/QtTestApp.h"

#include "CompoundFixture.h"

namespace {

using zrxtest::readFile;
using zrxtest::TempDir;

std::vector<std::pair<int32_t, std::string>> g_logged;
void captureLog(int32_t code, const char* text) { g_logged.emplace_back(code, text); }
std::vector<std::string> g_displayed;
void captureDisplay(const char* text) { g_displayed.emplace_back(text); }

// An environment variable set (or removed) for a scope.
struct EnvVar {
    std::string name;
    std::optional<std::string> old;
    EnvVar(const char* n, const char* value) : name(n) {
        if (const char* v = std::getenv(n)) old = v;
        if (value) setenv(n, value, 1);
        else unsetenv(n);
    }
    ~EnvVar() {
        if (old) setenv(name.c_str(), old->c_str(), 1);
        else unsetenv(name.c_str());
    }
};

// The runtime's channels are process-wide: each case leaves them as it found them.
struct EventViewTest : ::testing::Test {
    TForm* form = nullptr;
    TEventView* view = nullptr;
    TCSLogOutFunc oldLog = nullptr;
    TCSDisplayFunc oldDisplay = nullptr;
    uint32_t oldMask = 0;
    TempDir dir;

    void SetUp() override {
        ensureQtApp();
        oldLog = csSetLogOutFunc(nullptr);
        oldDisplay = csSetDisplayFunc(nullptr);
        oldMask = csGetDbgOutMask();
        g_logged.clear();
        g_displayed.clear();
        form = CreateComponent<TForm>(Application);
        form->SetBounds(40, 40, 600, 300);
        view = makeView("events");
        form->Show();
    }
    void TearDown() override {
        form->Free();
        csSetLogOutFunc(oldLog);
        csSetDisplayFunc(oldDisplay);
        csSetDbgOutMask(oldMask);
        TEventView::forgetDefDbgFileName();
    }
    TEventView* makeView(const char* name) {
        auto* v = add<TEventView>(form, form, name);
        v->SetBounds(0, 0, 580, 280);
        v->Loaded();
        return v;
    }
    static String sub(const TListItem* it, int i) { return it->SubItems()->Count() > i ? it->SubItems()->Get(i) : ""; }
    std::vector<String> texts(TEventView* v = nullptr) const {
        v = v ? v : view;
        std::vector<String> r;
        for (int i = 0; i < v->Items()->Count(); ++i) r.push_back(sub(v->Items()->Item(i), 0));
        return r;
    }
    TMenuItem* menuItem(const char* caption) const { return view->PopupMenu()->Items()->Find(caption); }
};

TEST_F(EventViewTest, CreatedWithItsColumnsAndDefaults) {
    ASSERT_EQ(view->Columns()->Count(), 3);
    EXPECT_EQ(view->Columns()->Items(0)->Caption(), "Время");
    EXPECT_EQ(view->Columns()->Items(1)->Caption(), "Событие");
    EXPECT_EQ(view->Columns()->Items(2)->Caption(), "Код");
    EXPECT_EQ(view->EventCount(), 100);
    EXPECT_EQ(view->ViewColumns(), evAllVColumns);
    EXPECT_FALSE(view->Direction() || view->RtlLoggin() || view->RtlDbgMessaging() || view->MultyThreaded());
    EXPECT_EQ(view->Items()->Count(), 0);
    EXPECT_FALSE(view->ColumnClick());
    EXPECT_TRUE(view->ReadOnly());

    // Widths of the time and code columns by style.
    struct {
        TEventViewerStyles style;
        int time, code;
    } widths[] = {{evSimple, 0, 0}, {evNoTime, 0, 70}, {evNoCode, 80, 0}, {evAllVColumns, 80, 70}};
    for (auto& w : widths) {
        view->SetViewColumns(w.style);
        EXPECT_EQ(view->Columns()->Items(0)->Width(), w.time) << w.style;
        EXPECT_EQ(view->Columns()->Items(2)->Width(), w.code) << w.style;
    }
}

TEST_F(EventViewTest, RecordKindsPicturesCodesAndFilters) {
    struct {
        uint32_t code;
        int image;
        const char* codeText;
        bool setsError, setsEvent;
        char kind;  // 'm' messages, 'v' events, 'e' errors: the switch that shows it
    } cases[] = {
        {0, 0, "-", false, false, 'm'},
        {1, 2, "00000001", false, true, 'v'},
        {0x7FFFFFFF, 2, "7FFFFFFF", false, true, 'v'},
        // A warning is an event, yet its text is the last error text.
        {0x80800003, 2, "80800003", true, false, 'v'},
        {0xBFFFFFFF, 2, "BFFFFFFF", true, false, 'v'},
        {0xC0000000, 1, "C0000000", true, false, 'e'},
        {0xC0800024, 1, "C0800024", true, false, 'e'},
        {0xFFFFFFFF, 1, "FFFFFFFF", true, false, 'e'},
    };
    auto show = [this](char kind, bool on) {
        if (kind == 'm') view->SetShowMesages(on);
        else if (kind == 'v') view->SetShowEvents(on);
        else view->SetShowErrors(on);
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.codeText);
        view->ClearItemClick(nullptr);
        view->addText("до", 5);
        view->addText(nullptr, -3);
        const TCString text = TCString::format("запись %08X", c.code);
        view->addText(text.c_str(), int32_t(c.code));
        TListItem* top = view->Items()->Item(0);
        EXPECT_EQ(top->ImageIndex(), c.image);
        EXPECT_EQ(sub(top, 0), text.str());
        EXPECT_EQ(sub(top, 1), c.codeText);
        EXPECT_EQ(int32_t(reinterpret_cast<intptr_t>(top->Data())), int32_t(c.code));
        EXPECT_EQ(evImageIndexOf(int32_t(c.code)), c.image);
        EXPECT_EQ(view->getLastEventText().str(), c.setsEvent ? text.str() : "до");
        EXPECT_EQ(view->getLastErrorText().str(), c.setsError
                                                      ? TCString::format("Ошибка № %X.\n%s", c.code, text.c_str()).str()
                                                      : TCString::format("Ошибка № %X.\n", uint32_t(-3)).str());
        // With its kind switched off the record is dropped.
        show(c.kind, false);
        view->addText("скрыта", int32_t(c.code));
        EXPECT_EQ(view->Items()->Count(), 3);
        show(c.kind, true);
    }
}

TEST_F(EventViewTest, RowLimitDirectionAndTrimming) {
    auto addFive = [this] {
        for (int i = 1; i <= 5; ++i) view->addText(std::to_string(i).c_str(), i);
    };
    view->SetEventCount(3);
    addFive();
    EXPECT_EQ(texts(), (std::vector<String>{"5", "4", "3"}));
    EXPECT_EQ(view->ItemFocused(), view->Items()->Item(0));
    // Lowering the count drops the oldest rows, not the newest.
    view->SetEventCount(2);
    EXPECT_EQ(texts(), (std::vector<String>{"5", "4"}));

    view->SetEventCount(3);
    view->SetDirection(true);  // switching clears the rows
    EXPECT_EQ(view->Items()->Count(), 0);
    addFive();
    EXPECT_EQ(texts(), (std::vector<String>{"3", "4", "5"}));
    EXPECT_EQ(view->ItemFocused(), view->Items()->Item(2));
    view->SetEventCount(1);
    EXPECT_EQ(texts(), (std::vector<String>{"5"}));
    view->SetDirection(true);  // unchanged: the rows stay
    EXPECT_EQ(view->Items()->Count(), 1);

    // Counts of 0 or below keep the newest record only.
    view->SetEventCount(0);
    EXPECT_EQ(view->Items()->Count(), 0);
    addFive();
    EXPECT_EQ(texts(), (std::vector<String>{"5"}));
    view->SetEventCount(-4);
    addFive();
    EXPECT_EQ(texts(), (std::vector<String>{"5"}));
}

TEST_F(EventViewTest, TextsAreOneLineCutAtACharacterAndNeverBreakTheView) {
    const std::string longCyr = [] {
        std::string s;
        for (int i = 0; i < 5000; ++i) s += "я";  // 10,000 bytes
        return s;
    }();
    struct {
        const char* name;
        std::string in;
        std::string shown;
    } cases[] = {
        {"line feeds", "первая\nвторая\r\nтретья\n", "перваявтораятретья"},
        {"only a line feed", "\n", ""},
        {"empty", "", ""},
        {"long", longCyr, longCyr.substr(0, 8190)},
        {"long latin", std::string(9000, 'x'), std::string(8191, 'x')},
        {"invalid UTF-8", "a\xff\xfe\xc0z", "a\xff\xfe\xc0z"},
        {"printf marks", "%s %n %08X", "%s %n %08X"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        view->addText(c.in.c_str(), 0x20);
        TListItem* top = view->Items()->Item(0);
        ASSERT_EQ(top->SubItems()->Count(), 2);
        EXPECT_EQ(sub(top, 0), c.shown);
        EXPECT_EQ(sub(top, 1), "00000020");
    }
}

TEST_F(EventViewTest, TimeTexts) {
    const int64_t t = 1700000000;
    TCDynTextEventInfo info;
    info.time = t;
    info.code = 7;
    info.text = "динамическое";
    view->addDynEvent(&info);
    EXPECT_EQ(view->Items()->Item(0)->Caption(), utime2str(t).str());
    view->SetShowDate(true);
    view->addDynEvent(&info);
    EXPECT_EQ(view->Items()->Item(0)->Caption(), gm_dateTimeStr(t, true).str());
    TCTextEventInfo now;
    now.code = 0;
    now.text = "сейчас";
    view->addTextEvent(&now);
    view->addTextEvent(nullptr);
    view->addDynEvent(nullptr);
    EXPECT_EQ(texts(), (std::vector<String>{"сейчас", "динамическое", "динамическое"}));
}

TEST_F(EventViewTest, DebugFileLines) {
    view->addText("первое", 0);
    view->addText("второе", int32_t(0xC0800024));
    const std::string name = dir.file("dbg.txt");
    ASSERT_EQ(view->enableLoggin(name.c_str()), 0);
    EXPECT_TRUE(view->isLogging());
    // The rows already shown, oldest first; then each new record as received.
    view->addText("три\nстроки\nтекста", 0x10);
    const std::string t0 = view->Items()->Item(2)->Caption(), t1 = view->Items()->Item(1)->Caption(),
                      t2 = view->Items()->Item(0)->Caption();
    std::string expected =
        t0 + " |    - | первое\n" + t1 + " | C0800024 | второе\n" + t2 + " | 00000010 |три\nстроки\nтекста\n";
    EXPECT_EQ(readFile(name), expected);

    // A disabled debug-file item keeps records out of the file.
    view->FileDbgItem()->SetEnabled(false);
    view->addText("мимо", 1);
    view->FileDbgItem()->SetEnabled(true);
    EXPECT_EQ(readFile(name), expected);

    view->disableLoggin();
    view->addText("после", 1);
    EXPECT_EQ(readFile(name), expected);
    EXPECT_EQ(view->flushCurrentEvents(), -1);

    // Opening appends; with new rows at the bottom the oldest is still first.
    view->SetDirection(true);
    view->addText("a", 1);
    view->addText("b", 2);
    ASSERT_EQ(view->enableLoggin(name.c_str()), 0);
    ASSERT_EQ(view->enableLoggin(name.c_str()), 0);  // reopening closes the first file
    const std::string ta = view->Items()->Item(0)->Caption(), tb = view->Items()->Item(1)->Caption();
    const std::string twice = ta + " | 00000001 | a\n" + tb + " | 00000002 | b\n";
    EXPECT_EQ(readFile(name), expected + twice + twice);

    // A file that cannot be opened: -1 and the view goes on without one.
    for (const std::string& bad : {dir.file("no/such/folder/x.txt"), dir.str()}) {
        EXPECT_EQ(view->enableLoggin(bad.c_str()), -1) << bad;
        EXPECT_FALSE(view->isLogging());
        EXPECT_EQ(view->flushCurrentEvents(), -1);
        view->addText("дальше", 1);
    }
    EXPECT_EQ(readFile(name), expected + twice + twice);
}

TEST_F(EventViewTest, DefaultDebugFileName) {
    setModuleFileName("keygen");
    setModulePath(dir.str().c_str());
    struct {
        const char *allUsers, *user;
        std::string expected;
    } cases[] = {
        {"/srv/all", "/home/u", "/srv/all/keygen.dbg.txt"},
        {nullptr, "/home/u", "/home/u/keygen.dbg.txt"},
        {"", "/home/u", "/home/u/keygen.dbg.txt"},
        {nullptr, nullptr, dir.file("keygen.dbg.txt")},
    };
    for (auto& c : cases) {
        EnvVar a("ALLUSERSPROFILE", c.allUsers), u("USERPROFILE", c.user);
        TEventView::forgetDefDbgFileName();
        EXPECT_EQ(TEventView::getDefDbgFileName().str(), c.expected);
        // Kept for the process until forgotten.
        setenv("USERPROFILE", "/elsewhere", 1);
        EXPECT_EQ(TEventView::getDefDbgFileName().str(), c.expected);
    }
    setModuleFileName(nullptr);
    setModulePath(nullptr);
}

TEST_F(EventViewTest, SaveToFileExportsHtmlBesideTheName) {
    view->addText("строка <b>", 3);
    EXPECT_EQ(view->saveToFile(dir.file("events.txt").c_str()), 0);
    const std::string html = readFile(dir.file("events.Htm"));
    EXPECT_NE(html.find("строка &lt;b&gt;"), std::string::npos);
    EXPECT_NE(html.find("00000003"), std::string::npos);
    EXPECT_EQ(view->saveToFile(dir.file("no/such/x").c_str()), -1);
    EXPECT_EQ(view->saveToFile(nullptr), -1);
}

TEST_F(EventViewTest, ChainOfHookedViews) {
    TEventView* second = makeView("second");
    csSetLogOutFunc(&captureLog);
    view->SetrtlLoggin(true);
    second->SetrtlLoggin(true);
    EXPECT_EQ(TEventView::currentLogView(), second);
    csLogFmtText(5, "запись %d", 1);
    EXPECT_EQ(texts(second), (std::vector<String>{"запись 1"}));
    EXPECT_EQ(texts(), (std::vector<String>{"запись 1"}));
    ASSERT_EQ(g_logged.size(), 1u);
    EXPECT_EQ(g_logged[0], (std::pair<int32_t, std::string>{5, "запись 1"}));

    // A hidden view shows nothing but hands the record on.
    second->SetVisible(false);
    csLogFmtText(6, "скрытая");
    EXPECT_EQ(second->Items()->Count(), 1);
    EXPECT_EQ(texts().front(), "скрытая");
    EXPECT_EQ(g_logged.size(), 2u);
    second->SetVisible(true);

    // Unhooked in reverse order: the function installed before is back.
    second->SetrtlLoggin(false);
    EXPECT_EQ(TEventView::currentLogView(), view);
    view->SetrtlLoggin(false);
    EXPECT_EQ(TEventView::currentLogView(), nullptr);
    EXPECT_EQ(csGetLogOutFunc(), &captureLog);
    view->SetrtlLoggin(false);  // unchanged: nothing happens
    EXPECT_EQ(csGetLogOutFunc(), &captureLog);

    // Unhooked in the order of hooking: the later view keeps getting records
    // and hands them to the function that was there first.
    g_logged.clear();
    view->SetrtlLoggin(true);
    second->SetrtlLoggin(true);
    view->SetrtlLoggin(false);
    csLogFmtText(7, "после");
    EXPECT_EQ(texts(second).front(), "после");
    EXPECT_NE(texts().front(), "после");
    EXPECT_EQ(g_logged.size(), 1u);
    second->SetrtlLoggin(false);
    EXPECT_EQ(csGetLogOutFunc(), &captureLog);

    // A hooked view that is destroyed takes itself out of the chain.
    view->SetrtlLoggin(true);
    second->SetrtlLoggin(true);
    view->Free();
    view = nullptr;
    csLogFmtText(8, "без первого");
    EXPECT_EQ(texts(second).front(), "без первого");
    EXPECT_EQ(g_logged.size(), 2u);
    second->Free();
    EXPECT_EQ(TEventView::currentLogView(), nullptr);
    EXPECT_EQ(csGetLogOutFunc(), &captureLog);
    csLogFmtText(9, "никому");
    EXPECT_EQ(g_logged.size(), 3u);
}

// A view whose form is released while the view refreshes itself (the
// refresh processes messages, the release among them) is never touched
// again; the views hooked before it and the function installed first still
// get the record, on both channels.
TEST_F(EventViewTest, AViewReleasedDuringItsOwnRefresh) {
    csSetLogOutFunc(&captureLog);
    csSetDisplayFunc(&captureDisplay);
    csSetDbgOutMask(DBG_FILES);
    view->SetrtlLoggin(true);
    view->SetrtlDbgMessaging(true);
    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel == 0 ? "event log" : "debug display");
        auto* other = CreateComponent<TForm>(Application);
        other->SetBounds(60, 60, 400, 200);
        auto* released = add<TEventView>(other, other, "released");
        released->SetBounds(0, 0, 380, 180);
        released->Loaded();
        released->SetRefreshMode(evProcessMessages);
        other->Show();
        released->SetrtlLoggin(true);
        released->SetrtlDbgMessaging(true);
        const int formsBefore = Screen->FormCount();
        other->Release();  // freed by the next processing of messages
        g_logged.clear();
        g_displayed.clear();
        if (channel == 0) csLogFmtText(11, "під час звільнення");
        else csOutDbgText(DBG_FILES, "під час звільнення");
        EXPECT_EQ(formsBefore - 1, Screen->FormCount()) << "released during the refresh";
        EXPECT_EQ(texts().front(), "під час звільнення");
        if (channel == 0) {
            ASSERT_EQ(1u, g_logged.size());
            EXPECT_EQ("під час звільнення", g_logged[0].second);
        } else {
            ASSERT_EQ(1u, g_displayed.size());
        }
        EXPECT_EQ(view, channel == 0 ? TEventView::currentLogView() : TEventView::currentDbgView());
    }
    view->SetrtlLoggin(false);
    view->SetrtlDbgMessaging(false);
}

TEST_F(EventViewTest, DebugDisplayHookAndSettings) {
    csSetDisplayFunc(&captureDisplay);
    view->SetRTLDbgFilter(int(DBG_FILES));
    EXPECT_EQ(csGetDbgOutMask(), DBG_FILES);
    view->SetRTLDbgFlags(3);
    EXPECT_TRUE(view->RtlDbgMessaging());
    EXPECT_EQ(TEventView::currentDbgView(), view);
    csOutDbgText(DBG_FILES, "файл %s", "открыт");
    csOutDbgText(DBG_CRYPTO, "не та категория");
    EXPECT_EQ(texts(), (std::vector<String>{"файл открыт"}));
    EXPECT_EQ(sub(view->Items()->Item(0), 1), "-");
    EXPECT_EQ(g_displayed, (std::vector<std::string>{"файл открыт"}));
    view->SetRTLDbgFlags(2);
    EXPECT_FALSE(view->RtlDbgMessaging());
    EXPECT_EQ(view->GetRTLDbgFlags(), 2u);
    EXPECT_EQ(csGetDisplayFunc(), &captureDisplay);
}

TEST_F(EventViewTest, OldStyleMenu) {
    TPopupMenu* m = view->PopupMenu();
    ASSERT_NE(m, nullptr);
    std::vector<String> captions;
    for (int i = 0; i < m->Items()->Count(); ++i) captions.push_back(m->Items()->Items(i)->Caption());
    EXPECT_EQ(captions, (std::vector<String>{"Очистить", "Диагностика", "-", "Текстовый протокол", "Копировать"}));

    // Diagnostics toggles the debug display; the file item follows its tick.
    menuItem("Диагностика")->Click();
    EXPECT_TRUE(view->RtlDbgMessaging());
    EXPECT_TRUE(view->DiagItem()->Checked());
    EXPECT_TRUE(view->FileDbgItem()->Enabled());
    menuItem("Диагностика")->Click();
    EXPECT_FALSE(view->RtlDbgMessaging());
    EXPECT_FALSE(view->FileDbgItem()->Enabled());
    EXPECT_EQ(csGetDisplayFunc(), nullptr);

    // The text log goes to the default file (its item is enabled while
    // diagnostics are on).
    menuItem("Диагностика")->Click();
    ASSERT_TRUE(view->FileDbgItem()->Enabled());
    setModuleFileName("keygen");
    EnvVar a("ALLUSERSPROFILE", dir.str().c_str());
    TEventView::forgetDefDbgFileName();
    view->addText("в файл", 1);
    menuItem("Текстовый протокол")->Click();
    EXPECT_TRUE(view->FileDbgItem()->Checked());
    EXPECT_TRUE(view->isLogging());
    menuItem("Текстовый протокол")->Click();
    EXPECT_FALSE(view->isLogging());
    EXPECT_NE(readFile(dir.file("keygen.dbg.txt")).find("| 00000001 | в файл\n"), std::string::npos);
    // A default file that cannot be opened leaves the item unticked.
    EnvVar b("ALLUSERSPROFILE", dir.file("missing").c_str());
    TEventView::forgetDefDbgFileName();
    menuItem("Текстовый протокол")->Click();
    EXPECT_FALSE(view->FileDbgItem()->Checked());
    EXPECT_FALSE(view->isLogging());
    setModuleFileName(nullptr);

    // Copy: code, a blank and the text of the selected row; nothing without one.
    Clipboard()->SetAsText("прежнее");
    menuItem("Копировать")->Click();
    EXPECT_EQ(Clipboard()->AsText(), "прежнее");
    view->Items()->Item(0)->SetSelected(true);
    menuItem("Копировать")->Click();
    EXPECT_EQ(Clipboard()->AsText(), "00000001 в файл");
    menuItem("Очистить")->Click();
    EXPECT_EQ(view->Items()->Count(), 0);
}

TEST_F(EventViewTest, KeysCopyOnlyWithCtrlC) {
    view->SetMultiSelect(true);
    view->addText("вторая", 2);
    view->addText("первая", 0);
    view->SetFocus();
    view->Items()->Item(1)->SetSelected(true);
    Clipboard()->SetAsText("прежнее");
    SendKey(view, 'A', ssCtrl);
    EXPECT_EQ(view->SelCount(), 1);
    SendKey(view, 'C', 0);
    EXPECT_EQ(Clipboard()->AsText(), "прежнее");
    SendKey(view, 'C', ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "вторая");
    view->ClearSelection();
    Clipboard()->SetAsText("прежнее");
    SendKey(view, 'C', ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "прежнее");
}

TEST_F(EventViewTest, NewStyleMenuAndDiagnosticsDialog) {
    TEventView* v = add<TEventView>(form, form, "newStyle");
    v->SetNewStyePopup(true);
    v->Loaded();
    TPopupMenu* m = v->PopupMenu();
    std::vector<String> captions;
    for (int i = 0; i < m->Items()->Count(); ++i) captions.push_back(m->Items()->Items(i)->Caption());
    EXPECT_EQ(captions, (std::vector<String>{"Очистить", "-", "Диагностика...", "-", "Копировать"}));
    EXPECT_EQ(m->Items()->Items(4)->ShortCut(), 0);  // "Ctrl+С" with a Cyrillic letter names no key
    EXPECT_EQ(v->FileDbgItem(), nullptr);

    int changes = 0;
    unsigned gotMask = 0, gotFlags = 0;
    v->OnDbgParsChanged = [&](TObject*, unsigned mask, unsigned flags) {
        ++changes;
        gotMask = mask;
        gotFlags = flags;
    };
    csSetDbgOutMask(DBG_RUNTIME);
    struct {
        const char* name;
        int answer;
        uint64_t mask;
        uint32_t flags;
        bool reset;
        int changesAfter;
    } cases[] = {
        {"cancelled", mrCancel, DBG_FILES, 1, false, 0},
        {"applied", mrOk, DBG_FILES | DBG_NETWORK, 1, false, 1},
        {"unchanged", mrOk, DBG_FILES | DBG_NETWORK, 1, false, 1},
        {"reset", mrOk, DBG_CRYPTO, 3, true, 2},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        uint64_t shownMask = 0;
        uint32_t shownFlags = 0;
        TModalHook old = SetModalHook([&](TObject* w) {
            auto* d = dynamic_cast<TEvDiagDialog*>(w);
            if (!d) return int(mrCancel);
            shownMask = d->cflgsbx1->GetChecked();
            shownFlags = d->chckbxs1->GetChecked();
            EXPECT_EQ(d->cflgsbx1->Items()->Count(), int(getDbgMaskDesctiptors().size()));
            d->cflgsbx1->SetChecked(c.mask);
            d->chckbxs1->SetChecked(c.flags);
            if (c.reset) {
                d->btn1->Click();
                EXPECT_EQ(d->cflgsbx1->GetChecked(), 0u);
                EXPECT_EQ(d->chckbxs1->GetChecked(), 0u);
            }
            return c.answer;
        });
        const uint32_t maskBefore = csGetDbgOutMask();
        const unsigned flagsBefore = v->GetRTLDbgFlags();
        v->EnableDebugItemClick(v);
        SetModalHook(old);
        EXPECT_EQ(shownMask, maskBefore);  // the dialog shows the runtime's mask
        EXPECT_EQ(shownFlags, flagsBefore);
        EXPECT_EQ(changes, c.changesAfter);
        if (c.answer == mrOk && !c.reset) {
            EXPECT_EQ(csGetDbgOutMask(), uint32_t(c.mask));
            EXPECT_EQ(uint64_t(uint32_t(v->GetRTLDbgFilter())), c.mask);
            EXPECT_EQ(v->GetRTLDbgFlags(), c.flags);
            EXPECT_EQ(v->RtlDbgMessaging(), (c.flags & 1) != 0);
            EXPECT_EQ(gotMask, uint32_t(c.mask));
            EXPECT_EQ(gotFlags, c.flags);
        }
    }
    // Reset and applied: everything off.
    EXPECT_EQ(csGetDbgOutMask(), 0u);
    EXPECT_EQ(v->GetRTLDbgFlags(), 0u);
    EXPECT_FALSE(v->RtlDbgMessaging());
    EXPECT_EQ(csGetDisplayFunc(), nullptr);
}

TEST_F(EventViewTest, RowColours) {
    view->addText("ошибка", int32_t(0xC0000001));
    view->addText("событие", 1);
    view->addText("сообщение", 0);
    struct {
        int row;
        TColor colour;
    } cases[] = {{2, TColor(0x000080)}, {1, TColor(0x800000)}, {0, clBlack}};
    for (auto& c : cases) {
        bool draw = true;
        view->Canvas()->Font()->SetColor(clLime);
        view->OnAdvancedCustomDrawItem(view, view->Items()->Item(c.row), 0, cdPrePaint, draw);
        EXPECT_EQ(view->Canvas()->Font()->Color(), c.colour) << c.row;
        EXPECT_TRUE(draw);
    }
    // The owner's own handler, set before loading, is called instead.
    TEventView* v = add<TEventView>(form, form, "owned");
    int calls = 0;
    v->OnAdvancedCustomDrawItem = [&](TObject*, TListItem*, TCustomDrawState, TCustomDrawStage, bool&) { ++calls; };
    v->Loaded();
    v->Loaded();
    v->addText("x", int32_t(0xC0000001));
    bool draw = true;
    v->Canvas()->Font()->SetColor(clLime);
    const int before = calls;
    v->OnAdvancedCustomDrawItem(v, v->Items()->Item(0), 0, cdPrePaint, draw);
    EXPECT_EQ(calls, before + 1);
    EXPECT_EQ(v->Canvas()->Font()->Color(), clLime);
    // Painting runs the whole drawing path without trouble.
    v->SetColorItems(true);
    v->Repaint();
}

TEST_F(EventViewTest, RecordsFromOtherThreadsAreShownOnTheViewsThread) {
    for (bool multi : {false, true}) {
        SCOPED_TRACE(multi);
        view->SetMultyTreaded(multi);
        EXPECT_EQ(view->MultyThreaded(), multi);
        view->ClearItemClick(nullptr);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([this, t] {
                for (int i = 0; i < 50; ++i) view->addText(("поток " + std::to_string(t)).c_str(), t + 1);
            });
        for (auto& th : threads) th.join();
        EXPECT_EQ(view->Items()->Count(), 0);  // nothing touched off the view's thread
        if (multi) {
            // The view's timer brings them in.
            for (int i = 0; i < 300 && view->Items()->Count() < 100; ++i) {
                Application->ProcessMessages();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        } else {
            view->processPendingEvents();
        }
        EXPECT_EQ(view->Items()->Count(), 100);
        EXPECT_TRUE(view->lock() == multi);
        if (multi) view->unlock();
    }
    view->SetMultyTreaded(false);
}

}  // namespace

namespace {
std::atomic<int> g_counted{0};
void countLog(int32_t, const char*) { ++g_counted; }

TEST_F(EventViewTest, ViewsComeAndGoWhileAnotherThreadLogs) {
    g_counted = 0;
    csSetLogOutFunc(&countLog);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) csLogFmtText(1, "из потока");
    });
    for (int round = 0; round < 30; ++round) {
        TEventView* v = makeView(("v" + std::to_string(round)).c_str());
        v->SetrtlLoggin(true);
        view->SetrtlLoggin(round % 2 == 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        Application->ProcessMessages();
        v->Free();
    }
    stop = true;
    writer.join();
    view->SetrtlLoggin(false);
    EXPECT_EQ(csGetLogOutFunc(), &countLog);
    EXPECT_GT(g_counted.load(), 0);
    view->processPendingEvents();
    EXPECT_GT(view->Items()->Count(), 0);
}
}  // namespace
