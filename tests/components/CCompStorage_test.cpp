#include <gtest/gtest.h>

#include "components/CCompStorage.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/QtTestApp.h"
#include "platform/win/Registry.h"

namespace {

// A collection item with simple properties of several kinds, one of which
// (Ratio, floating point) cannot be stored.
struct TCol : TCollectionItem {
    DECLARE_CLASS(TCol)
    explicit TCol(TCollection* c) : TCollectionItem(c) {}
    int Width = 0;
    double Ratio = 0;
    String Title;
    int GetWidth() const { return Width; }
    void SetWidth(int v) { Width = v; }
    double GetRatio() const { return Ratio; }
    void SetRatio(double v) { Ratio = v; }
    String GetTitle() const { return Title; }
    void SetTitle(const String& v) { Title = v; }
};
IMPLEMENT_CLASS(TCol, TCollectionItem) {
    r.Float("Ratio", &TCol::GetRatio, &TCol::SetRatio);
    r.Str("Title", &TCol::GetTitle, &TCol::SetTitle);
    r.Integer("Width", &TCol::GetWidth, &TCol::SetWidth);
}

struct THolder : TComponent {
    DECLARE_CLASS(THolder)
    explicit THolder(TComponent* o) : TComponent(o), Columns([](TCollection* c) { return new TCol(c); }, this) {}
    TCollection Columns;
    int64_t Serial = 0;
    TComponent* Target = nullptr;
    TCollection* GetColumns() { return &Columns; }
    int64_t GetSerial() const { return Serial; }
    void SetSerial(int64_t v) { Serial = v; }
    TComponent* GetTarget() const { return Target; }
    void SetTarget(TComponent* c) { Target = c; }
    TCol* Col(int i) { return static_cast<TCol*>(Columns.Items(i)); }
};
IMPLEMENT_CLASS(THolder, TComponent) {
    r.Object<TCollection>("Columns", &THolder::GetColumns, nullptr);
    r.Int64("Serial", &THolder::GetSerial, &THolder::SetSerial);
    r.Object<TComponent>("Target", &THolder::GetTarget, &THolder::SetTarget);
}

struct TStoreForm : TForm {
    TCheckBox* chk1;
    TEdit* edt1;
    TComboBox* cmb1;
    TPanel* pnl1;
    THolder* lv1;
    TCCompStorage* stor;
    int ownCreate = 0, ownClose = 0;
    TStoreForm(TComponent* o, int columns, bool handlersFirst) : TForm(o) {
        SetName("ChainViewForm");
        SetBounds(100, 80, 500, 350);
        if (handlersFirst) setHandlers();
        stor = new TCCompStorage(this);
        stor->SetRegKey("Software\\Zoren\\ZI509");
        stor->SetStorePosition(true);
        stor->SetStoreState(true);
        stor->GetStoredProps()->SetText(
            "chk1.Checked\npnl1.Width\nlv1.Columns\nedt1.Text\ncmb1.Items\nlv1.Serial\npnl1.Missing\nnone.Width\nTag");
        pnl1 = new TPanel(this);
        pnl1->SetName("pnl1");
        pnl1->SetParent(this);
        pnl1->SetWidth(120);
        chk1 = new TCheckBox(this);
        chk1->SetName("chk1");
        chk1->SetParent(this);
        edt1 = new TEdit(this);
        edt1->SetName("edt1");
        edt1->SetParent(this);
        edt1->SetText("designed");
        cmb1 = new TComboBox(this);
        cmb1->SetName("cmb1");
        cmb1->SetParent(this);
        cmb1->Items()->SetText("a\nb\n");
        lv1 = new THolder(this);
        lv1->SetName("lv1");
        for (int i = 0; i < columns; ++i) {
            auto* c = static_cast<TCol*>(lv1->Columns.Add());
            c->Width = 50;
            c->Title = "col";
        }
        if (!handlersFirst) setHandlers();
    }
    void setHandlers() {
        OnCreate = [this](TObject*) { ++ownCreate; };
        OnClose = [this](TObject*, TCloseAction&) { ++ownClose; };
    }
};

TCString regString(const char* path, const char* name) {
    TCRegKey k;
    TCString t;
    if (k.openKey(HKEY_CURRENT_USER, path, CFG_REG_READONLY)) k.readString(name, t);
    return t;
}
bool regInt(const char* path, const char* name, uint32_t& v) {
    TCRegKey k;
    return k.openKey(HKEY_CURRENT_USER, path, CFG_REG_READONLY) && k.readInt(name, v, 0);
}
const char* kMain = "Software\\Zoren\\ZI509\\ChainViewForm";

// Each case starts with nothing stored and restoring on, and leaves it so.
struct CompStorage : ::testing::Test {
    static void clear() {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Zoren");
        cstResetNoRestore();
    }
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
};

TEST_F(CompStorage, StoreOnCloseRestoreOnCreate) {
    ensureQtApp();
    for (bool handlersFirst : {true, false}) {
        auto* f = CreateComponent<TStoreForm>(Application, 3, handlersFirst);
        EXPECT_EQ(f->ownCreate, 1);
        f->Show();
        f->SetBounds(40, 30, 610, 420);
        f->chk1->SetChecked(true);
        f->pnl1->SetWidth(77);
        f->edt1->SetText("Ёлка и ель");
        f->cmb1->Items()->SetText("x\ny\nz\n");
        f->lv1->Col(1)->Width = 99;
        f->lv1->Col(2)->Title = "Имя";
        f->lv1->Serial = 0x1234567890ABCDEFll;
        f->SetWindowState(TWindowState::wsMaximized);
        Application->ProcessMessages();  // the window takes the maximized size
        f->Close();
        EXPECT_EQ(f->ownClose, 1);
        f->Free();

        uint32_t v = 0;
        EXPECT_TRUE(regInt(kMain, "ChainViewForm.Left", v));
        EXPECT_EQ(v, 40u);
        EXPECT_EQ(regString(kMain, "ChainViewForm.WindowState").str(), "wsMaximized");
        EXPECT_EQ(regString(kMain, "chk1.Checked").str(), "True");
        EXPECT_TRUE(regInt(kMain, "pnl1.Width", v));
        EXPECT_EQ(v, 77u);
        EXPECT_TRUE(regInt(kMain, "ChainViewForm.Tag", v));  // the one-element path
        EXPECT_TRUE(regInt("Software\\Zoren\\ZI509\\ChainViewForm\\lv1.Columns", "Item002.Width", v));
        EXPECT_EQ(regString("Software\\Zoren\\ZI509\\ChainViewForm\\lv1.Columns", "Item002.Title").str(), "Имя");

        auto* g = CreateComponent<TStoreForm>(Application, 2, handlersFirst);
        EXPECT_EQ(g->ownCreate, 1);  // the form's own handler still runs, once
        EXPECT_EQ(g->Left(), 40);
        EXPECT_EQ(g->Top(), 30);
        EXPECT_EQ(g->Width(), 610);
        EXPECT_EQ(g->Height(), 420);
        EXPECT_EQ(g->WindowState(), TWindowState::wsMaximized);
        EXPECT_TRUE(g->chk1->Checked());
        EXPECT_EQ(g->pnl1->Width(), 77);
        EXPECT_EQ(g->edt1->GetText(), "Ёлка и ель");
        EXPECT_EQ(g->cmb1->Items()->Text(), "x\r\ny\r\nz\r\n");
        EXPECT_EQ(g->lv1->Col(1)->Width, 99);  // two columns: the first two only, never a third
        EXPECT_EQ(g->lv1->Columns.Count(), 2);
        EXPECT_EQ(g->lv1->Serial, 0x1234567890ABCDEFll);  // the high half survives
        g->Free();
    }
}

TEST_F(CompStorage, NoRestoreStopsRestoringNotStoring) {
    ensureQtApp();
    auto* f = CreateComponent<TStoreForm>(Application, 1, true);
    f->chk1->SetChecked(true);
    f->SetBounds(10, 20, 300, 200);
    f->Show();
    f->Close();
    f->Free();
    cstNoRestoreComponens();
    auto* g = CreateComponent<TStoreForm>(Application, 1, true);
    EXPECT_FALSE(g->chk1->Checked());  // designed state
    EXPECT_EQ(g->Left(), 100);
    EXPECT_TRUE(g->stor->restore());
    g->pnl1->SetWidth(55);
    g->Show();
    g->Close();
    g->Free();
    uint32_t v = 0;
    EXPECT_TRUE(regInt(kMain, "pnl1.Width", v));
    EXPECT_EQ(v, 55u);
}

TEST_F(CompStorage, RestoredPositionIsKeptOnTheDesktop) {
    ensureQtApp();
    const int W = Screen->Width(), H = Screen->Height();
    struct Case {
        int l, t, w, h;
        int el, et, ew, eh;
    };
    const Case cases[] = {
        {-2000, 10, 300, 200, 1, 10, 300, 200},
        {50, 60, 0, 0, 50, 60, 600, 400},
        {0, 10, W + 300, 200, 0, 10, W - 10, 200},
        {W + 5, H + 5, 300, 200, 1, 1, 300, 200},
        {3, 3, 0x7FFFFFFF, 0x7FFFFFFF, 3, 3, W - 10, H - 55},  // a damaged size cannot wrap past the check
    };
    for (const Case& c : cases) {
        {
            TCRegKey k;
            ASSERT_TRUE(k.openKey(HKEY_CURRENT_USER, kMain, CFG_REG_CREATE));
            k.writeInt("ChainViewForm.Left", uint32_t(c.l));
            k.writeInt("ChainViewForm.Top", uint32_t(c.t));
            k.writeInt("ChainViewForm.Width", uint32_t(c.w));
            k.writeInt("ChainViewForm.Height", uint32_t(c.h));
        }
        auto* f = CreateComponent<TStoreForm>(Application, 0, true);
        EXPECT_EQ(f->Left(), c.el) << c.l;
        EXPECT_EQ(f->Top(), c.et) << c.t;
        EXPECT_EQ(f->Width(), c.ew) << c.w;
        EXPECT_EQ(f->Height(), c.eh) << c.h;
        f->Free();
    }
}

TEST_F(CompStorage, KeyNamesAndDamagedValues) {
    ensureQtApp();
    auto* f = CreateComponent<TStoreForm>(Application, 0, true);
    f->stor->SetValueName("SelDevForm");
    f->stor->SetRegKey("Software\\Zoren\\");
    EXPECT_EQ(f->stor->mainKeyPath().str(), "Software\\Zoren\\SelDevForm");
    f->stor->SetRegKey("\\Software\\Zoren");
    f->stor->SetValueName("");
    EXPECT_EQ(f->stor->mainKeyPath().str(), "Software\\Zoren\\ChainViewForm");
    f->stor->SetRegKey("Software\\Zoren\\ZI509");

    // Five lines, then two: the old lines stay behind, Count rules the restore.
    f->cmb1->Items()->SetText("1\n2\n3\n4\n5\n");
    EXPECT_FALSE(f->stor->store());  // the entries naming nothing fail; the rest are stored
    f->cmb1->Items()->SetText("1\n2\n");
    f->stor->store();
    const char* sub = "Software\\Zoren\\ZI509\\ChainViewForm\\cmb1.Items";
    EXPECT_EQ(regString(sub, "str004").str(), "5");
    f->cmb1->Items()->SetText("q\n");
    f->stor->restore();
    EXPECT_EQ(f->cmb1->Items()->Count(), 2);

    // A damaged list (a line missing) leaves the current contents alone;
    // an unknown enumeration name fails that property only.
    {
        TCRegKey k;
        ASSERT_TRUE(k.openKey(HKEY_CURRENT_USER, sub, CFG_REG_CREATE));
        k.writeInt("Count", 9);
        TCRegKey m;
        ASSERT_TRUE(m.openKey(HKEY_CURRENT_USER, kMain, CFG_REG_CREATE));
        m.writeString("chk1.Checked", "Maybe");
        m.writeString("edt1.Text", "restored");
    }
    f->cmb1->Items()->SetText("keep\n");
    f->chk1->SetChecked(true);
    EXPECT_TRUE(f->stor->restore());
    EXPECT_EQ(f->cmb1->Items()->Text(), "keep\r\n");
    EXPECT_TRUE(f->chk1->Checked());
    EXPECT_EQ(f->edt1->GetText(), "restored");

    // Long texts come back whole: a list line, a text property and a single value.
    {
        const String longLine(5000, 'L');
        String longText;  // 40000 bytes in 20000 characters
        for (int i = 0; i < 20000; ++i) longText += "Ж";
        f->cmb1->Items()->SetText((longLine + "\nshort\n").c_str());
        f->edt1->SetText(longText);
        f->stor->store();
        f->cmb1->Items()->SetText("q\n");
        f->edt1->SetText("");
        EXPECT_TRUE(f->stor->restore());
        EXPECT_EQ(f->cmb1->Items()->Count(), 2);
        EXPECT_EQ(f->cmb1->Items()->Get(0), longLine);
        EXPECT_EQ(f->edt1->GetText(), longText);
        EXPECT_TRUE(f->stor->saveString(longText.c_str(), "long"));
        EXPECT_EQ(f->stor->loadString("long", "def").str(), longText);
        EXPECT_EQ(f->stor->loadString("absent", "def").str(), "def");
    }

    // UTF-16 text is stored as UTF-8, pairs joined and a lone surrogate replaced.
    EXPECT_TRUE(f->stor->saveString(std::u16string(u"Ключ \U0001D11E ") + char16_t(0xD800), "wide"));
    EXPECT_EQ(f->stor->loadString("wide", "").str(), "Ключ \xF0\x9D\x84\x9E \xEF\xBF\xBD");
    f->Free();
}

TEST_F(CompStorage, ComponentReferenceAndManualMode) {
    ensureQtApp();
    auto* f = CreateComponent<TStoreForm>(Application, 0, true);
    f->stor->SetManual(true);
    f->stor->GetStoredProps()->SetText("lv1.Target");
    f->lv1->Target = f->edt1;
    EXPECT_TRUE(f->stor->store());
    EXPECT_EQ(regString(kMain, "lv1.Target").str(), "edt1");
    f->lv1->Target = nullptr;
    EXPECT_TRUE(f->stor->restore());
    EXPECT_EQ(f->lv1->Target, f->edt1);
    // A reference into a form that is not open changes nothing.
    {
        TCRegKey k;
        ASSERT_TRUE(k.openKey(HKEY_CURRENT_USER, kMain, CFG_REG_CREATE));
        k.writeString("lv1.Target", "NoSuchForm.edt1");
    }
    EXPECT_TRUE(f->stor->restore());
    EXPECT_EQ(f->lv1->Target, f->edt1);
    // Manual: closing does not store.
    f->chk1->SetChecked(true);
    f->stor->GetStoredProps()->SetText("chk1.Checked");
    f->Show();
    f->Close();
    EXPECT_EQ(regString(kMain, "chk1.Checked").str(), "");
    f->Free();
}

}  // namespace
