// Forms in documents the real viewer loads: their attributes and automatic
// forms, radio groups, submissions through the viewer's event, reset, saved
// form data, the control events and the arrow walk on real widgets, and
// the size and place of controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

#include "html/layout/Document.h"
#include "html/text/HtmlText.h"
#include "html/viewer/HtmlForms.h"
#include "html/viewer/HtmlObjectFactory.h"
#include "html/viewer/ViewerFixture.h"
#include "platform/framework/Buttons.h"
#include "platform/runtime/Utf16.h"
#include "support/TempDir.h"

namespace viewertest {
namespace {

std::string u8(const std::u16string& s) { return htmltext::toUtf8(s); }

// Runs the real event loop for a while, as a user's pause would.
void runLoop(int ms = 30) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A click as the user's: the button's own widget is pressed.
void userClick(TWinControl* Button) { static_cast<QAbstractButton*>(Button->Handle())->click(); }

std::vector<std::string> lines(const TStringList& L) {
    std::vector<std::string> out;
    for (int i = 0; i < L.Count(); ++i) out.push_back(L.Get(i));
    return out;
}

// A single-line edit as a typed control makes one: a real edit that hands
// its keys to the form.
class LineEdit : public TFormControlObj {
public:
    LineEdit(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
        : TFormControlObj(Parent, Position, L, Prop, ThtFormControlKind::Edit) {
        FControl = new TEdit(nullptr);
        PrepareControl(FControl);
        FControl->SetText(htmltext::toUtf8(FValue));
        FControl->OnKeyPress = [this](TObject* Sender, char32_t& Key) {
            if (ThtmlForm* form = Form()) form->ControlKeyPress(Sender, Key);
        };
    }
    ~LineEdit() override {
        if (!IsCopy()) FControl->Free();
    }
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic*) const override { return nullptr; }
    TWinControl* GetTheControl() override { return FControl; }
    bool GetSubmission(int Index, std::u16string& S) override {
        if (Index != 0) return false;
        S = FName + u"=" + htmltext::fromUtf8(FControl->GetText());
        return true;
    }
    TEdit* FControl;
};

class LineEditFactory : public ThtmlObjectFactory {
public:
    TFormControlObjBase* CreateFormControl(ThtFormControlKind Kind, TCellBasic* Parent, int32_t Position,
                                           TAttributeList* L, TProperties* Prop) override {
        if (Kind == ThtFormControlKind::Edit) return new LineEdit(Parent, Position, L, Prop);
        return ThtmlObjectFactory::CreateFormControl(Kind, Parent, Position, L, Prop);
    }
};

class HtmlForms : public ViewerTest {
protected:
    THtmlViewer* load(const std::u16string& Html, int W = 400, int H = 300,
                      std::shared_ptr<ThtObjectFactory> Factory = nullptr) {
        viewer = new THtmlViewer(form);
        if (Factory) viewer->SectionList()->SetObjectFactory(Factory);
        viewer->SetParent(form);
        viewer->SetBorderStyle(htNone);
        viewer->SetBounds(0, 0, W, H);
        form->Show();
        viewer->LoadFromString(Html);
        paint();
        runLoop();
        return viewer;
    }
    // The panel painted, as the screen would: controls move to where they are drawn.
    void paint() { viewer->PaintPanel()->Handle()->grab(); }
    ThtDocument& doc() { return *viewer->SectionList(); }
    ThtmlForm* formAt(size_t I) { return dynamic_cast<ThtmlForm*>(doc().htmlFormList.at(I).get()); }
    TRadioButtonFormControlObj* radio(size_t Form, int I) {
        return dynamic_cast<TRadioButtonFormControlObj*>(formAt(Form)->ControlList.GetItem(I));
    }
    std::vector<std::string> checked(size_t Form) {
        std::vector<std::string> out;
        for (int i = 0; i < formAt(Form)->ControlList.Count(); ++i)
            if (auto* r = dynamic_cast<TRadioButtonFormControlObj*>(formAt(Form)->ControlList.GetItem(i));
                r && r->Checked())
                out.push_back(u8(r->FName) + "=" + u8(r->FValue));
        return out;
    }
    THtmlViewer* viewer = nullptr;
};

const std::u16string kPage =
    u"<form action='/go' method='post' target='_top' enctype='text/plain'>"
    u"<input type=radio name=Color value=red checked>"
    u"<input type=radio name=size value=s>"
    u"<input type=radio name=color value=green checked>"
    u"<input type=radio name=COLOR value=blue>"
    u"<input type=image name=pic src='none.png'>"
    u"</form>"
    u"<p><input type=radio name=lone value=1 checked disabled>"
    u"<input type=radio name=lone2 value=2 checked disabled=no>"
    u"<input type=radio name=lone3 value=3 checked disabled=0>";

TEST_F(HtmlForms, FormsTakeTheirTagAndControlsOutsideJoinAnAutomaticForm) {
    load(kPage);
    ASSERT_EQ(doc().htmlFormList.size(), 2u);
    ThtmlForm* f = formAt(0);
    ASSERT_TRUE(f);
    EXPECT_EQ(u8(f->Action), "/go");
    EXPECT_EQ(u8(f->Method), "post");
    EXPECT_EQ(u8(f->Target), "_top");
    EXPECT_EQ(u8(f->EncType), "text/plain");
    EXPECT_EQ(f->ControlList.Count(), 5);
    EXPECT_EQ(f->NonHiddenCount, 5);
    ThtmlForm* automatic = formAt(1);
    ASSERT_TRUE(automatic);
    EXPECT_EQ(u8(automatic->Method), "Get");
    EXPECT_TRUE(automatic->Action.empty());
    // "disabled" unless its value is "no" or "0".
    EXPECT_TRUE(radio(1, 0)->Disabled);
    EXPECT_FALSE(radio(1, 1)->Disabled);
    EXPECT_FALSE(radio(1, 2)->Disabled);
    EXPECT_FALSE(radio(1, 0)->FControl->Enabled());
}

TEST_F(HtmlForms, RadioGroupsIgnoreLetterCaseAndTheLaterCheckedWins) {
    load(kPage);
    EXPECT_EQ(checked(0), std::vector<std::string>({"color=green"}));
    // Only the checked radio of a group is a tab stop; a radio alone in its group keeps one.
    EXPECT_FALSE(radio(0, 0)->FControl->TabStop());
    EXPECT_TRUE(radio(0, 1)->FControl->TabStop());
    EXPECT_TRUE(radio(0, 2)->FControl->TabStop());
    EXPECT_FALSE(radio(0, 3)->FControl->TabStop());

    // A click checks one radio of the group and clears the others; clicking it again keeps it.
    userClick(radio(0, 3)->FControl);
    EXPECT_EQ(checked(0), std::vector<std::string>({"COLOR=blue"}));
    userClick(radio(0, 3)->FControl);
    EXPECT_EQ(checked(0), std::vector<std::string>({"COLOR=blue"}));
    EXPECT_TRUE(radio(0, 3)->FControl->TabStop());
    EXPECT_FALSE(radio(0, 2)->FControl->TabStop());
    userClick(radio(0, 1)->FControl);
    EXPECT_EQ(checked(0), std::vector<std::string>({"size=s", "COLOR=blue"}));

    formAt(0)->ResetControls();
    EXPECT_EQ(checked(0), std::vector<std::string>({"color=green"}));
}

TEST_F(HtmlForms, SubmissionsLeaveOutDisabledControlsAndReachOnFormSubmit) {
    load(kPage);
    struct Submitted {
        std::string action, target, enctype, method;
        std::vector<std::string> results;
    };
    std::vector<Submitted> seen;
    viewer->SetOnFormSubmit([&](TObject* Sender, const std::u16string& Action, const std::u16string& Target,
                                const std::u16string& EncType, const std::u16string& Method,
                                std::unique_ptr<TStringList> Results) {
        EXPECT_EQ(Sender, viewer);
        seen.push_back({u8(Action), u8(Target), u8(EncType), u8(Method), lines(*Results)});
    });
    // The automatic form: the disabled radio is in the collected data, not in what is submitted.
    EXPECT_EQ(lines(*formAt(1)->GetFormSubmission()), std::vector<std::string>({"lone=1", "lone2=2", "lone3=3"}));
    formAt(1)->SubmitTheForm(u"go=Send");
    Application->ProcessMessages();  // submissions arrive once the input is handled
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].results, std::vector<std::string>({"lone2=2", "lone3=3", "go=Send"}));
    EXPECT_EQ(seen[0].method, "Get");

    // The image button submits the point clicked, once.
    auto* image = dynamic_cast<TImageFormControlObj*>(formAt(0)->ControlList.GetItem(4));
    ASSERT_TRUE(image);
    image->XTmp = 12;
    image->YTmp = 7;
    image->FControl->Click();
    Application->ProcessMessages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].action, "/go");
    EXPECT_EQ(seen[1].target, "_top");
    EXPECT_EQ(seen[1].enctype, "text/plain");
    EXPECT_EQ(seen[1].method, "post");
    EXPECT_EQ(seen[1].results, std::vector<std::string>({"color=green", "pic.x=12", "pic.y=7"}));
    EXPECT_EQ(lines(*formAt(0)->GetFormSubmission()), std::vector<std::string>({"color=green"}));
}

TEST_F(HtmlForms, FormDataComesBackByNameWithoutRegardToCase) {
    load(kPage);
    userClick(radio(0, 3)->FControl);
    userClick(radio(0, 1)->FControl);
    auto saved = doc().GetFormcontrolData();
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->size(), 2u);
    EXPECT_EQ(lines(*(*saved)[0]), std::vector<std::string>({"size=s", "COLOR=blue"}));

    // The same page loaded again shows the saved choice.
    load(kPage);
    EXPECT_EQ(checked(0), std::vector<std::string>({"color=green"}));
    doc().SetFormcontrolData(*saved);
    EXPECT_EQ(checked(0), std::vector<std::string>({"size=s", "COLOR=blue"}));

    // Saved names in other letters and values in other case still match.
    TStringList other;
    other.Add("cOLOR=RED");
    formAt(0)->SetFormData(other);
    EXPECT_EQ(checked(0), std::vector<std::string>({"Color=red", "size=s"}));

    // A page with fewer forms takes what fits.
    load(u"<form><input type=radio name=color value=red><input type=radio name=color value=blue checked></form>");
    doc().SetFormcontrolData(*saved);
    EXPECT_EQ(checked(0), std::vector<std::string>({"color=blue"}));
    ASSERT_EQ(doc().htmlFormList.size(), 1u);
}

TEST_F(HtmlForms, TheHistoryKeepsTheFormDataOfThePageLeft) {
    zrxtest::TempDir dir;
    zrxtest::writeFile(dir.file("a.htm"),
                       "<form><input type=radio name=c value=1 checked><input type=radio name=c value=2></form>");
    zrxtest::writeFile(dir.file("b.htm"), "<p>next");
    load(u"");
    viewer->SetHistoryMaxCount(5);
    viewer->LoadFromFile(zrx_utf8::toUtf16(dir.file("a.htm")));
    userClick(radio(0, 1)->FControl);
    viewer->LoadFromFile(zrx_utf8::toUtf16(dir.file("b.htm")));
    ASSERT_EQ(viewer->History()->Count(), 2);
    ThvHistoryItem* left = viewer->History()->GetItem(1);
    ASSERT_TRUE(left && left->FormData);
    ASSERT_EQ(left->FormData->size(), 1u);
    EXPECT_EQ(lines(*(*left->FormData)[0]), std::vector<std::string>({"c=2"}));

    // Back on the page, the kept data shows the choice again.
    viewer->LoadFromFile(zrx_utf8::toUtf16(dir.file("a.htm")));
    EXPECT_EQ(checked(0), std::vector<std::string>({"c=1"}));
    doc().SetFormcontrolData(*left->FormData);
    EXPECT_EQ(checked(0), std::vector<std::string>({"c=2"}));
}

TEST_F(HtmlForms, ControlsSitWhereTheLayoutDrawsThem) {
    load(
        u"<p>Choose: <input type=radio name=a value=1> one <input type=radio name=a value=2> two</p>"
        u"<p style='margin-top:2000px'><input type=radio name=b value=far></p>");
    TRadioButtonFormControlObj* first = radio(0, 0);
    TRadioButtonFormControlObj* second = radio(0, 1);
    TRadioButtonFormControlObj* far = radio(0, 2);
    EXPECT_TRUE(first->FControl->Visible());
    EXPECT_EQ(first->FControl->Parent(), viewer->PaintPanel());
    EXPECT_GT(first->FControl->Left(), 20);  // after "Choose: "
    EXPECT_GT(second->FControl->Left(), first->FControl->Left() + first->FControl->Width());
    EXPECT_EQ(first->FControl->Top(), second->FControl->Top());
    EXPECT_GE(first->FControl->Top(), 0);
    EXPECT_TRUE(first->ShowIt);
    // Below the window: never drawn, kept off-screen so that tabbing still reaches it.
    EXPECT_FALSE(far->ShowIt);
    EXPECT_EQ(far->FControl->Left(), -4000);
    EXPECT_EQ(first->ClientWidth(), first->FControl->Width());
}

TEST_F(HtmlForms, StylesGiveSpacesBordersAndWidths) {
    struct Case {
        std::u16string style;
        int hspaceL, hspaceR, vspaceT, vspaceB, bordT;
        bool percent;
        int fwidth;
    };
    const std::vector<Case> cases = {
        {u"", 0, 0, 1, 1, 0, false, 0},
        {u"margin:3px 4px 5px 6px", 6, 4, 3, 5, 0, false, 0},
        {u"border:2px solid black", 2, 2, 3, 3, 2, false, 0},
        {u"margin-left:1px;border:3px solid", 4, 3, 4, 4, 3, false, 0},
        {u"width:40%", 0, 0, 1, 1, 0, true, 40},
        {u"width:100%", 0, 0, 1, 1, 0, true, 100},
        {u"width:150%", 0, 0, 1, 1, 0, false, 0},
        {u"width:30px", 0, 0, 1, 1, 0, false, 30},
    };
    for (const Case& c : cases) {
        load(u"<input type=radio name=r style='" + c.style + u"'>");
        TRadioButtonFormControlObj* r = radio(0, 0);
        const std::string what = u8(c.style);
        EXPECT_EQ(r->HSpaceL, c.hspaceL) << what;
        EXPECT_EQ(r->HSpaceR, c.hspaceR) << what;
        EXPECT_EQ(r->VSpaceT, c.vspaceT) << what;
        EXPECT_EQ(r->VSpaceB, c.vspaceB) << what;
        EXPECT_EQ(r->BordT, c.bordT) << what;
        EXPECT_EQ(r->PercentWidth, c.percent) << what;
        EXPECT_EQ(r->FWidth, c.fwidth) << what;
    }
    // A width in percent follows the room, at least 10 and never past the room less the spaces.
    load(u"<input type=radio name=r style='width:50%;margin:0 40px'>");
    TRadioButtonFormControlObj* r = radio(0, 0);
    for (auto [room, want] : std::vector<std::pair<int, int>>{{300, 150}, {100, 20}, {0, 10}, {85, 10}, {121, 41}}) {
        r->DrawLogicInline(nullptr, nullptr, room, 100);
        EXPECT_EQ(r->ClientWidth(), want) << room;
    }
}

TEST_F(HtmlForms, TabIndexesOrderTheControls) {
    std::u16string html;
    // Indexes past 99 999 and more than 999 entries keep their order.
    for (int i = 0; i < 1005; ++i)
        html += u"<input type=radio name=r" + zrx_utf8::toUtf16(std::to_string(i)) + u" tabindex=" +
                zrx_utf8::toUtf16(std::to_string(i % 2 ? 100000 + i : 1005 - i)) + u">";
    load(html);
    std::vector<std::pair<int, int>> order;  // (tab order, tab index)
    for (int i = 0; i < formAt(0)->ControlList.Count(); ++i)
        order.emplace_back(radio(0, i)->GetTabOrder(), i % 2 ? 100000 + i : 1005 - i);
    std::sort(order.begin(), order.end());
    for (size_t k = 1; k < order.size(); ++k) EXPECT_LT(order[k - 1].second, order[k].second) << k;
}

TEST_F(HtmlForms, FocusBlurAndChangeEventsAndTheArrowWalk) {
    load(
        u"<form><input type=radio name=g value=1 onfocus=f1 onblur=b1 onchange=c1 onclick=k1>"
        u"<input type=radio name=other value=x>"
        u"<input type=radio name=G value=2 checked></form>");
    std::vector<std::string> events;
    viewer->SetOnObjectFocus([&](TObject*, TFormControlObjBase* C, const std::u16string& A) {
        events.push_back("focus " + u8(C->FValue) + " " + u8(A));
    });
    viewer->SetOnObjectBlur([&](TObject*, TFormControlObjBase* C, const std::u16string& A) {
        events.push_back("blur " + u8(C->FValue) + " " + u8(A));
    });
    viewer->SetOnObjectChange([&](TObject*, TFormControlObjBase* C, const std::u16string& A) {
        events.push_back("change " + u8(C->FValue) + " " + u8(A));
    });
    viewer->SetOnObjectClick([&](TObject*, TFormControlObjBase* C, const std::u16string& A) {
        events.push_back("click " + u8(C->FValue) + " " + u8(A));
    });
    TRadioButtonFormControlObj* one = radio(0, 0);
    TRadioButtonFormControlObj* other = radio(0, 1);
    TRadioButtonFormControlObj* two = radio(0, 2);
    one->FControl->SetFocus();
    EXPECT_TRUE(one->Active);
    userClick(one->FControl);
    two->FControl->SetFocus();
    EXPECT_FALSE(one->Active);
    EXPECT_EQ(events, std::vector<std::string>({"focus 1 f1", "click 1 k1", "change 1 c1", "blur 1 b1"}));

    // Arrows move within the group only, skipping the radio of another name.
    SendKey(two->FControl, VK_LEFT);
    EXPECT_TRUE(one->FControl->Focused());
    SendKey(one->FControl, VK_DOWN);
    EXPECT_TRUE(two->FControl->Focused());
    SendKey(two->FControl, VK_RIGHT);  // the last of the group: the focus stays
    EXPECT_TRUE(two->FControl->Focused());
    EXPECT_FALSE(other->FControl->Focused());
}

TEST_F(HtmlForms, EnterInAnEditSubmitsItsForm) {
    load(
        u"<form action=find><input type=radio name=r value=1 checked><input name=q value=hello></form>"
        u"<form action=other><input name=z></form>",
        400, 300, std::make_shared<LineEditFactory>());
    std::vector<std::string> submitted;
    viewer->SetOnFormSubmit([&](TObject*, const std::u16string& Action, const std::u16string&, const std::u16string&,
                                const std::u16string&, std::unique_ptr<TStringList> Results) {
        submitted.push_back(u8(Action));
        for (const std::string& l : lines(*Results)) submitted.push_back(l);
    });
    auto* edit = dynamic_cast<LineEdit*>(formAt(0)->ControlList.GetItem(1));
    ASSERT_TRUE(edit);
    edit->FControl->SetFocus();
    SendText(edit->FControl, "!");
    SendKey(edit->FControl, VK_RETURN);
    Application->ProcessMessages();
    EXPECT_EQ(submitted, std::vector<std::string>({"find", "r=1", "q=hello!"}));
    // Other keys are typed as usual.
    EXPECT_EQ(edit->FControl->GetText(), "hello!");
}

TEST_F(HtmlForms, PrintCopiesShareTheWindowControlAndDrawTheButton) {
    load(u"<input type=radio name=a value=1 checked><input type=radio name=a value=2>");
    std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(doc());
    TBitmap page(200, 60);
    page.Canvas()->Brush()->SetColor(clWhite);
    page.Canvas()->FillRect(Rect(0, 0, 200, 60));
    int32_t sw = 0, curs = 0;
    copy->DoLogic(page.Canvas(), 0, 200, 60, 0, sw, curs);
    copy->Draw(page.Canvas(), Rect(0, 0, 200, 60), 200, 0, 0, 0, 0);
    // The checked radio's dot is black; the unchecked one has none.
    int dots = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) dots += page.Canvas()->Pixel(x, y) == clBlack;
    EXPECT_GE(dots, 4);
    EXPECT_LE(dots, 40);
    EXPECT_TRUE(radio(0, 0)->FControl);
    copy.reset();
    // The live document's controls outlive the copy.
    EXPECT_TRUE(radio(0, 0)->Checked());
}

}  // namespace
}  // namespace viewertest
