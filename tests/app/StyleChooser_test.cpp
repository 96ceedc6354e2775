#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StyleChooser.h"
#include "components/CfgFile.h"
#include "html/viewer/WindowViewer.h"
#include "platform/framework/AppStyle.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/FileUtils.h"
#include "support/ProgramLanguage.h"

namespace {

// Each test has a program name of its own (so its own stored style) and
// gets the look it found back.
class Styles : public ::testing::Test {
protected:
    String savedStyle;
    std::vector<std::string> boxes;

    void SetUp() override {
        ensureQtApp();
        savedStyle = TStyleManager::ActiveStyleName();
        static int n = 0;
        setModuleFileName(("StyleProgram" + std::to_string(++n) + ".exe").c_str());
        SetModalHook([this](TObject* w) -> int {
            if (auto* box = dynamic_cast<TSysMessageBox*>(w)) boxes.push_back(box->Text);
            return 1;
        });
    }
    void TearDown() override {
        if (TSelectVSFForm* f = styleChooser()) f->Free();
        SetModalHook(nullptr);
        setModuleFileName(nullptr);
        if (!savedStyle.empty()) ApplyAppStyle(savedStyle);
    }
    TCString stored() {
        TCString v;
        return readRegPathString(styleRegistryPath().c_str(), v, "<none>") ? v : TCString("<none>");
    }
};

TEST_F(Styles, StoredStyleAppliedAndStored) {
    EXPECT_EQ(styleRegistryPath(), TCString::format("Software\\Zoren\\%s.GUIStyle", getApplName().c_str()));
    EXPECT_EQ(stored(), "<none>");
    applyStoredStyle("Light Sky Blue");
    EXPECT_EQ(TStyleManager::ActiveStyleName(), "Light Sky Blue");
    EXPECT_EQ(stored(), "Light Sky Blue");

    writeRegPathString(styleRegistryPath().c_str(), "Carbon");
    applyStoredStyle("Light Sky Blue");
    EXPECT_EQ(TStyleManager::ActiveStyleName(), "Carbon");
    EXPECT_TRUE(boxes.empty());

    // An unknown name: reported, the look stays, the active style stored back.
    writeRegPathString(styleRegistryPath().c_str(), "No Such Style");
    applyStoredStyle("Light Sky Blue");
    EXPECT_EQ(boxes, std::vector<std::string>{"Стиль \"No Such Style\" не найден"});
    EXPECT_EQ(TStyleManager::ActiveStyleName(), "Carbon");
    EXPECT_EQ(stored(), "Carbon");
}

TEST_F(Styles, ViewersRecolouredOnEveryForm) {
    auto* form = new TForm(Application);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* viewer = new TWindowHtmlViewer(form);
    viewer->SetParent(panel);
    viewer->SetDefBackground(clWhite);
    setStyle("Windows", false);
    EXPECT_EQ(viewer->DefBackground(), TColor(0xFCFFFF));
    EXPECT_EQ(stored(), "<none>");  // not stored without the switch
    form->Free();
}

TEST_F(Styles, ChooserListsEveryStyleAndApplies) {
    ApplyAppStyle("Light Sky Blue");
    showStyleChooser();
    TSelectVSFForm* f = styleChooser();
    ASSERT_NE(f, nullptr);
    showStyleChooser();
    EXPECT_EQ(styleChooser(), f);  // one at a time
    EXPECT_EQ(f->Left(), Screen->Width() - f->Width());
    EXPECT_EQ(f->Top(), 0);
    std::vector<String> listed;
    for (int i = 0; i < f->ListView1->Items()->Count(); ++i) listed.push_back(f->ListView1->Items()->Item(i)->Caption());
    std::vector<String> names = TStyleManager::StyleNames();
    std::sort(names.begin(), names.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, names);
    ASSERT_NE(f->ListView1->Selected(), nullptr);
    EXPECT_EQ(f->ListView1->Selected()->Caption(), "Light Sky Blue");
    EXPECT_TRUE(f->Button1->Enabled());

    f->applyStyle("Carbon");
    EXPECT_EQ(TStyleManager::ActiveStyleName(), "Carbon");
    EXPECT_EQ(f->chosenStyle(), "Carbon");
    EXPECT_EQ(f->ListView1->Selected()->Caption(), "Carbon");
    EXPECT_EQ(stored(), "Carbon");

    f->applyStyle("Nothing");  // refused: nothing else changes
    EXPECT_EQ(f->chosenStyle(), "Carbon");
    EXPECT_EQ(boxes.size(), 1u);

    f->Button3->Click();  // back to the style at open
    EXPECT_EQ(TStyleManager::ActiveStyleName(), "Light Sky Blue");

    f->ListView1->SetSelected(nullptr);
    EXPECT_FALSE(f->Button1->Enabled());
    f->Button2->Click();  // closes, stores, frees
    Application->ProcessMessages();
    EXPECT_EQ(styleChooser(), nullptr);
    EXPECT_EQ(stored(), "Light Sky Blue");
}

// Each button shows its whole caption in each of the program's languages
// ("Застосувати" is wider than the others), the window holding them all.
TEST_F(Styles, ChooserButtonsFitTheirCaptionsInEveryLanguage) {
    for (int language : zrxtest::kProgramLanguages) {
        zrxtest::ProgramLanguage inLanguage(language);
        SCOPED_TRACE(language);
        showStyleChooser();
        TSelectVSFForm* f = styleChooser();
        ASSERT_NE(f, nullptr);
        TCanvas canvas;
        int right = 0;
        for (TButton* b : {f->Button1, f->Button2, f->Button3}) {
            canvas.Font()->Assign(b->Font());
            EXPECT_GE(b->Width(), canvas.TextWidth(b->Caption()) + 8) << b->Caption();
            EXPECT_GE(b->Left(), right) << b->Caption();
            right = b->Left() + b->Width();
        }
        EXPECT_LE(right, f->ClientWidth());
        if (language == ZRN_LANG_UKRAINIAN) {
            EXPECT_EQ(f->Button1->Caption(), "Застосувати");
        }
        f->Free();
    }
}

}  // namespace
