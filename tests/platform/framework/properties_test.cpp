#include <gtest/gtest.h>

#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/QtTestApp.h"

namespace {

enum TMode { mdOff, mdOn, mdAuto };
const TEnumInfo ModeInfo{"TMode", {"mdOff", "mdOn", "mdAuto"}};

// One published property of every kind.
struct TSample : TComponent {
    DECLARE_CLASS(TSample)
    explicit TSample(TComponent* o) : TComponent(o) {}
    int Count = 0;
    int64_t Big = 0;
    bool Flag = false;
    TMode Mode = mdOff;
    uint32_t Kinds = 0;
    String Title;
    double Ratio = 0;
    TStringList Lines;
    TComponent* Link = nullptr;
    int GetCount() const { return Count; }
    void SetCount(int v) { Count = v; }
    int64_t GetBig() const { return Big; }
    void SetBig(int64_t v) { Big = v; }
    bool GetFlag() const { return Flag; }
    void SetFlag(bool v) { Flag = v; }
    TMode GetMode() const { return Mode; }
    void SetMode(TMode v) { Mode = v; }
    uint32_t GetKinds() const { return Kinds; }
    void SetKinds(uint32_t v) { Kinds = v; }
    String GetTitle() const { return Title; }
    void SetTitle(const String& v) { Title = v; }
    double GetRatio() const { return Ratio; }
    void SetRatio(double v) { Ratio = v; }
    TStrings* GetLines() { return &Lines; }
    void SetLines(TStrings* v) { Lines.Assign(v); }
    TComponent* GetLink() const { return Link; }
    void SetLink(TComponent* v) { Link = v; }
};

IMPLEMENT_CLASS(TSample, TComponent) {
    r.Integer("Count", &TSample::GetCount, &TSample::SetCount);
    r.Int64("Big", &TSample::GetBig, &TSample::SetBig);
    r.Boolean("Flag", &TSample::GetFlag, &TSample::SetFlag);
    r.Enum("Mode", ModeInfo, &TSample::GetMode, &TSample::SetMode);
    r.Set("Kinds", ModeInfo, &TSample::GetKinds, &TSample::SetKinds);
    r.Str("Title", &TSample::GetTitle, &TSample::SetTitle);
    r.Float("Ratio", &TSample::GetRatio, &TSample::SetRatio);
    r.Object<TStrings>("Lines", &TSample::GetLines, &TSample::SetLines);
    r.Object<TComponent>("Link", &TSample::GetLink, &TSample::SetLink);
}

TEST(Properties, WalkInDeclarationOrderBaseFirst) {
    TSample s(nullptr);
    std::vector<String> names;
    for (auto* p : GetPropList(&s)) names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<String>{"Name", "Tag", "Count", "Big", "Flag", "Mode", "Kinds", "Title", "Ratio",
                                          "Lines", "Link"}));
    std::vector<String> strs;
    for (auto* p : GetPropList(&s, tkStrings)) strs.push_back(p->Name);
    EXPECT_EQ(strs, (std::vector<String>{"Name", "Title"}));
    EXPECT_EQ(s.ClassName(), "TSample");
    EXPECT_TRUE(s.InheritsFrom(TComponent::StaticClass()));
}

TEST(Properties, GetAndSetEveryKindAsText) {
    TSample s(nullptr);
    TComponent other(nullptr);
    other.SetName("other");
    struct Case {
        const char* prop;
        const char* text;
        const char* back;
    };
    const Case cases[] = {
        {"count", "-42", "-42"},
        {"Big", "81985529216486895", "81985529216486895"},  // 0x0123456789ABCDEF keeps its high half
        {"Flag", "true", "True"},
        {"Mode", "mdAuto", "mdAuto"},
        {"Kinds", "mdOn, mdOff", "mdOff,mdOn"},
        {"Kinds", "[mdAuto]", "mdAuto"},
        {"Kinds", "", ""},
        {"Title", "Заголовок", "Заголовок"},
        {"Ratio", "0.5", "0.5"},
        {"Lines", "a\r\nb\r\n", "a\r\nb\r\n"},
    };
    for (const Case& c : cases) {
        SetPropValue(&s, c.prop, c.text);
        EXPECT_EQ(GetPropValue(&s, c.prop), c.back) << c.prop;
    }
    EXPECT_EQ(s.Big, 0x0123456789ABCDEFll);
    EXPECT_EQ(s.Lines.Count(), 2);
    SetObjectProp(&s, "Link", &other);
    EXPECT_EQ(GetPropValue(&s, "Link"), "other");
    EXPECT_EQ(PropType(&s, "Flag"), tkEnumeration);
    EXPECT_TRUE(GetPropInfo(&s, "Flag")->IsBoolean());
    EXPECT_EQ(PropType(&s, "Big"), tkInt64);
    // Bad values fail with the framework's error and leave the property as it was.
    EXPECT_THROW(SetPropValue(&s, "Mode", "mdNowhere"), EPropertyError);
    EXPECT_EQ(s.Mode, mdAuto);
    EXPECT_THROW(SetPropValue(&s, "Count", "12abc"), EPropertyError);
    EXPECT_THROW(SetPropValue(&s, "Kinds", "mdOn,bogus"), EPropertyError);
    EXPECT_THROW(GetPropValue(&s, "NoSuchProp"), EPropertyError);
    EXPECT_THROW(SetObjectProp(&s, "Lines", &other), EPropertyError);  // wrong class
}

TEST(Properties, FrameworkClassesPublishTheirNames) {
    ensureQtApp();
    auto* f = new TForm(nullptr);
    f->SetName("MainForm");
    SetPropValue(f, "WindowState", "wsMaximized");
    EXPECT_EQ(f->WindowState(), TWindowState::wsMaximized);
    SetPropValue(f, "Position", "poScreenCenter");
    EXPECT_EQ(GetPropValue(f, "Position"), "poScreenCenter");
    SetPropValue(f, "Caption", "Окно");
    EXPECT_EQ(f->Caption(), "Окно");
    auto* chk = new TCheckBox(f);
    chk->SetParent(f);
    SetPropValue(chk, "Checked", "True");
    EXPECT_TRUE(chk->Checked());
    SetPropValue(chk, "Anchors", "akLeft,akTop,akRight");
    EXPECT_EQ(chk->Anchors(), akSet(akLeft) | akSet(akTop) | akSet(akRight));
    auto* cb = new TComboBox(f);
    cb->SetParent(f);
    SetPropValue(cb, "Items", "один\r\nдва\r\n");
    EXPECT_EQ(cb->Items()->Count(), 2);
    SetPropValue(cb, "ItemIndex", "1");
    EXPECT_EQ(cb->GetText(), "два");
    auto* font = dynamic_cast<TFont*>(GetObjectProp(chk, "Font"));
    ASSERT_NE(font, nullptr);
    SetPropValue(font, "Style", "fsBold,fsItalic");
    EXPECT_EQ(font->Style(), fsSet(fsBold) | fsSet(fsItalic));
    EXPECT_FALSE(chk->ParentFont());
    // Caption is published only where the control shows one.
    EXPECT_NE(GetPropInfo(chk, "Caption"), nullptr);
    EXPECT_EQ(GetPropInfo(cb, "Caption"), nullptr);
    EXPECT_NE(GetPropInfo(cb, "Text"), nullptr);
    auto* mi = new TMenuItem(f);
    EXPECT_NE(GetPropInfo(mi, "Caption"), nullptr);
    // Qt's own properties never appear.
    EXPECT_EQ(GetPropInfo(f, "windowTitle"), nullptr);
    EXPECT_EQ(GetPropInfo(f, "objectName"), nullptr);
    f->Free();
}

}  // namespace
