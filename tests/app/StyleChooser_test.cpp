#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/config/StyleChooser.h"
#include "app/ViewCtxForm.h"
#include "components/CfgFile.h"
#include "html/viewer/WindowViewer.h"
#include "platform/framework/AppStyle.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/QtTestApp.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/FileUtils.h"
#include "support/ProgramLanguage.h"

// Qt last: its "slots" keyword would clash with the names above.
#include <QImage>
#include <QMap>
#include <QTabBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <cmath>

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

// The contrast of text against its background, as the accessibility
// guidelines measure it: the region's most frequent colour is taken for the
// background, the colour farthest from it for the text.
double textContrast(const QImage& image, const QRect& region) {
    QMap<QRgb, int> counts;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) ++counts[image.pixel(x, y) & 0xFFFFFF];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > most) most = it.value(), background = it.key();
    auto distance = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    };
    QRgb text = background;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (distance(it.key(), background) > distance(text, background)) text = it.key();
    auto luminance = [](QRgb c) {
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    };
    const double a = luminance(background), b = luminance(text);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// Windows made in one style read well in every other: the main window's
// page tabs, its tool bar's captions and the rows of a list.
TEST_F(Styles, EveryStyleGivesReadableText) {
    constexpr double kReadable = 4.5;
    ApplyAppStyle("Light Sky Blue");
    auto* main = CreateComponent<TZrXViewCtxForm>(Application);
    main->Show();
    showStyleChooser();
    TSelectVSFForm* chooser = styleChooser();
    ASSERT_NE(chooser, nullptr);
    for (const char* style : {"Carbon", "Windows", "Light Sky Blue", "Carbon"}) {
        SCOPED_TRACE(style);
        chooser->applyStyle(style);
        ASSERT_EQ(TStyleManager::ActiveStyleName(), style);
        Application->ProcessMessages();

        // Controls are measured on the window's picture, where their
        // parents' backgrounds show through.
        QWidget* window = main->Handle();
        const QImage picture = window->grab().toImage();
        auto inWindow = [window](QWidget* w, const QRect& r) { return QRect(w->mapTo(window, r.topLeft()), r.size()); };

        auto* tabs = main->pgc1->Handle()->findChild<QTabBar*>();
        ASSERT_NE(tabs, nullptr);
        // Insets keep borders and grid lines out of the measure.
        for (int i = 0; i < tabs->count(); ++i)
            EXPECT_GE(textContrast(picture, inWindow(tabs, tabs->tabRect(i).adjusted(4, 4, -4, -4))), kReadable)
                << "tab " << tabs->tabText(i).toStdString();

        int captions = 0;
        for (QToolButton* b : main->ctxFrame->tlb1->Handle()->findChildren<QToolButton*>()) {
            if (!b->isVisible() || !b->isEnabled() || b->text().isEmpty()) continue;
            // The caption lies under the picture.
            const QRect caption(2, b->height() / 2, b->width() - 4, b->height() - b->height() / 2 - 2);
            EXPECT_GE(textContrast(picture, inWindow(b, caption)), kReadable)
                << "tool button " << b->text().toStdString();
            ++captions;
        }
        EXPECT_GT(captions, 0);

        auto* list = static_cast<QTreeView*>(chooser->ListView1->Handle());
        const QImage rows = list->viewport()->grab().toImage();
        for (int i = 0; i < list->model()->rowCount(); ++i) {
            const QModelIndex index = list->model()->index(i, 0);
            EXPECT_GE(textContrast(rows, list->visualRect(index).adjusted(2, 2, -2, -2)), kReadable)
                << "row " << index.data().toString().toStdString();
        }
    }
    main->Free();
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
    // At the top right corner of the work area, with room for its border.
    const TRect area = AvailableScreenArea();
    EXPECT_EQ(f->Top(), area.Top);
    EXPECT_GE(f->Left(), area.Left);
    EXPECT_LE(f->Left() + f->Width(), area.Right - 8);
    EXPECT_GT(f->Left() + f->Width(), area.Right - 16);
    std::vector<String> listed;
    for (int i = 0; i < f->ListView1->Items()->Count(); ++i)
        listed.push_back(f->ListView1->Items()->Item(i)->Caption());
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
