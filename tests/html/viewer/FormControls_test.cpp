// The typed form controls on real pages in the real viewer: what they
// submit, how they reset and take saved data, the changes they report and
// the pictures they print.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "html/text/HtmlText.h"
#include "html/viewer/FormControlFrames.h"
#include "html/viewer/HtmlFormControls.h"
#include "html/viewer/ViewerFixture.h"
#include "platform/framework/Buttons.h"
#include "platform/framework/RecordingDC.h"
#include "platform/framework/ScrollBar.h"

namespace viewertest {
namespace {

using htmltext::fromUtf8;
using htmltext::toUtf8;

std::vector<std::string> lines(const TStringList& L) {
    std::vector<std::string> out;
    for (int i = 0; i < L.Count(); ++i) out.push_back(L.Get(i));
    return out;
}

class FormControls : public ViewerTest {
protected:
    THtmlViewer* load(const std::u16string& Html, int W = 600, int H = 400) {
        if (!viewer) {
            viewer = new THtmlViewer(form);
            viewer->SetParent(form);
            viewer->SetBorderStyle(htNone);
            form->Show();
        }
        viewer->SetBounds(0, 0, W, H);
        viewer->LoadFromString(Html);
        return viewer;
    }
    ThtDocument* doc() const { return viewer->SectionList(); }
    ThtmlFormBase* firstForm() const { return doc()->htmlFormList.empty() ? nullptr : doc()->htmlFormList[0].get(); }
    template <class T = TFormControlObjBase> T* control(std::u16string_view Name, int Nth = 0) const {
        for (int i = 0; doc()->FormControlList && i < doc()->FormControlList->Count(); ++i) {
            TFormControlObjBase* c = doc()->FormControlList->GetItem(i);
            if (c->FName == Name && Nth-- == 0) return dynamic_cast<T*>(c);
        }
        return nullptr;
    }
    std::vector<std::string> submission() const { return lines(*firstForm()->GetFormSubmission()); }
    // A print copy of the control, in a print copy of the document.
    std::unique_ptr<TSectionBase> printCopy(TFormControlObjBase* Control) {
        if (!copyDoc) copyDoc = ThtDocument::CreateCopy(*doc());
        return Control->CreateCopy(copyDoc.get());
    }
    THtmlViewer* viewer = nullptr;
    std::unique_ptr<ThtDocument> copyDoc;
    void TearDown() override {
        copyDoc.reset();
        ViewerTest::TearDown();
    }
};

const std::u16string EveryControl =
    uR"(<form action="/send" method="post">
<input name="t" value="abc">
<input type=PASSWORD name="p" value="pw">
<input type=hidden name="h" value="hv">
<input type=checkbox name="c1">
<input type=checkbox name="c2" checked>
<input type=checkbox name="c3" value="yes" checked>
<select name="d"><option>one<option selected value="2">two<option></select>
<select name="s" size=3><option>a<option selected>b<option>c</select>
<select name="m" multiple><option selected>x<option>y<option selected value="zz">z</select>
<textarea name="ta">line1
line2</textarea>
<input type=file name="f" value="ignored">
<input type=submit name="go" value="Go">
<select name="e"></select>
</form>)";

TEST_F(FormControls, SubmissionResetAndSavedDataOverEveryKind) {
    load(EveryControl);
    ASSERT_NE(firstForm(), nullptr);
    const std::vector<std::string> initial{
        "t=abc", "p=pw", "h=hv", "c2=on", "c3=yes", "d=2", "s=b", "m=x", "m=zz", "ta=line1\r\nline2", "f="};
    EXPECT_EQ(submission(), initial);

    // The file input: an edit that starts empty, then an unnamed button.
    auto* file = control<TEditFormControlObj>(u"f");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetText(), u"");
    int buttons = 0;
    for (int i = 0; i < doc()->FormControlList->Count(); ++i)
        if (auto* b = dynamic_cast<TButtonFormControlObj*>(doc()->FormControlList->GetItem(i));
            b && b->Which == TWhichType::Browse) {
            ++buttons;
            EXPECT_TRUE(b->FName.empty());
            EXPECT_EQ(b->MyEdit, file);
            EXPECT_EQ(b->FControl->Caption(), "Browse...");
        }
    EXPECT_EQ(buttons, 1);

    TStringList saved{"t=xyz", "P=q", "h=h2", "c1=ON", "d=one", "s=c", "m=y", "ta=new", "f=/tmp/a", "e=none"};
    firstForm()->SetFormData(saved);
    EXPECT_EQ(submission(),
              (std::vector<std::string>{"t=xyz", "p=q", "h=h2", "c1=on", "d=one", "s=c", "m=y", "ta=new", "f=/tmp/a"}));

    // Back to the page's values; a hidden field keeps what it was given.
    firstForm()->ResetControls();
    std::vector<std::string> reset = initial;
    reset[2] = "h=h2";
    EXPECT_EQ(submission(), reset);

    // The empty drop-down holds no choice and submits nothing.
    auto* empty = control<TComboFormControlObj>(u"e");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->FControl->ItemIndex(), -1);
}

TEST_F(FormControls, ButtonsSubmitResetAndBrowse) {
    load(
        uR"(<form action="/a"><input name="t" value="v"><input type=submit name="go" value="Go">
<input type=submit><input type=reset><input type=button value="Plain"><input type=file name="f"></form>)");
    std::vector<std::vector<std::string>> sent;
    doc()->SubmitForm = [&](TObject*, const std::u16string& Action, const std::u16string&, const std::u16string&,
                            const std::u16string&, std::unique_ptr<TStringList> Results) {
        EXPECT_EQ(Action, u"/a");
        sent.push_back(lines(*Results));
    };
    doc()->FileBrowse = [](TObject*, TFormControlObjBase*, std::u16string& S) { S += u"/chosen.txt"; };
    std::vector<TButtonFormControlObj*> buttons;
    for (int i = 0; i < doc()->FormControlList->Count(); ++i)
        if (auto* b = dynamic_cast<TButtonFormControlObj*>(doc()->FormControlList->GetItem(i))) buttons.push_back(b);
    ASSERT_EQ(buttons.size(), 5u);
    EXPECT_EQ(buttons[1]->FControl->Caption(), "Submit");
    EXPECT_EQ(buttons[2]->FControl->Caption(), "Reset");
    EXPECT_EQ(buttons[3]->Which, TWhichType::Button);

    control<TEditFormControlObj>(u"t")->SetText(u"changed");
    buttons[0]->FControl->Click();
    buttons[1]->FControl->Click();
    buttons[2]->FControl->Click();  // reset
    buttons[3]->FControl->Click();  // nothing
    buttons[4]->FControl->Click();  // browse
    EXPECT_EQ(control<TEditFormControlObj>(u"t")->GetText(), u"v");
    EXPECT_EQ(control<TEditFormControlObj>(u"f")->GetText(), u"/chosen.txt");
    EXPECT_EQ(sent, (std::vector<std::vector<std::string>>{{"t=changed", "f=", "go=Go"}, {"t=changed", "f="}}));
}

TEST_F(FormControls, EditSizeAndPassword) {
    struct Case {
        std::u16string attrs;
        int32_t size;
    } cases[] = {{u"size=\"20, 5\"", 20}, {u"size=20", 20}, {u"size=abc", 15}, {u"", 15}, {u"size=\"x, 5\"", 20}};
    for (const Case& c : cases) {
        load(u"<input name=a " + c.attrs + u">");
        auto* e = control<TEditFormControlObj>(u"a");
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->EditSize, c.size) << toUtf8(c.attrs);
        EXPECT_EQ(e->FControl->Width(), e->tmAveCharWidth * c.size + 23) << toUtf8(c.attrs);
    }
    load(u"<input type=PASSWORD name=p value=secret maxlength=4 placeholder=hint readonly>");
    auto* p = control<TEditFormControlObj>(u"p");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->IsPassword());
    EXPECT_EQ(p->FControl->PasswordChar(), U'*');
    EXPECT_EQ(p->FControl->MaxLength(), 4);
    EXPECT_EQ(p->FControl->TextHint(), "hint");
    EXPECT_TRUE(p->FControl->ReadOnly());
}

// Sizes follow the font: the average character width of DejaVu Sans as Qt
// measures it, and rows of text for lists and text areas.
TEST_F(FormControls, SizesFollowTheFont) {
    load(
        uR"(<style>input, select, textarea { font-family: 'DejaVu Sans'; font-size: 20px }</style>
<input name=a size=10><select name=s size=2><option>a<option>bb<option>c</select>
<select name=d><option>one<option>two</select>
<textarea name=t rows=3 cols=7></textarea>)");
    auto* e = control<TEditFormControlObj>(u"a");
    ASSERT_NE(e, nullptr);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(20);
    EXPECT_EQ(e->tmAveCharWidth, QFontMetrics(f).averageCharWidth());
    EXPECT_EQ(e->FControl->Width(), QFontMetrics(f).averageCharWidth() * 10 + 23);

    auto* l = control<TListBoxFormControlObj>(u"s");
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->LBSize, 2);
    EXPECT_GE(l->FControl->ClientHeight(), 2 * QFontMetrics(f).height());
    EXPECT_EQ(l->FControl->Width(), SystemScrollBarWidth() + l->Longest + 10);
    EXPECT_NEAR(l->Longest, QFontMetrics(f).horizontalAdvance(QStringLiteral("bb")), 1);

    // A drop-down shows its widest option whole.
    auto* d = control<TComboFormControlObj>(u"d");
    ASSERT_NE(d, nullptr);
    EXPECT_GE(d->FControl->Width(), SystemScrollBarWidth() + d->Longest + 10);
    EXPECT_GE(d->FControl->Width(), d->FControl->WidthForText(d->Longest));

    auto* t = control<TTextAreaFormControlObj>(u"t");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->FControl->ClientHeight(), QFontMetrics(f).height() * 3 + 5);
    EXPECT_EQ(t->FControl->ClientWidth(), QFontMetrics(f).horizontalAdvance(QChar('s')) * 7 + 5);
}

TEST_F(FormControls, HardWrapSubmitsTheLinesShown) {
    const std::u16string text = u"alpha beta gamma delta epsilon zeta";
    for (std::u16string wrap : {u"hard", u"soft", u"off"}) {
        load(u"<textarea name=w cols=8 wrap=" + wrap + u">" + text + u"</textarea>");
        std::string sent = submission().at(0);
        if (wrap == u"hard") {
            EXPECT_NE(sent.find("\r\n"), std::string::npos);
            sent.erase(std::remove_if(sent.begin(), sent.end(), [](char c) { return c == '\r' || c == '\n'; }),
                       sent.end());
        }
        EXPECT_EQ(sent, "w=" + toUtf8(text)) << toUtf8(wrap);
    }
}

// Changes are reported between entering and leaving, when the tag asks.
TEST_F(FormControls, ChangeEventsBetweenEnterAndExit) {
    std::u16string options;
    for (int i = 0; i < 60; ++i) options += u"<option>o" + htmltext::fromInt(i);
    load(
        u"<form><input name=t onchange=x><input type=checkbox name=c onchange=x>"
        u"<select name=m multiple onchange=x>" +
        options +
        u"</select>"
        u"<select name=d onchange=x><option>a<option>b</select>"
        u"<textarea name=a onchange=x>q</textarea><input name=quiet></form>");
    std::vector<std::u16string> changed;
    doc()->ObjectChange = [&](TObject*, TFormControlObjBase* Obj, const std::u16string& Message) {
        EXPECT_EQ(Message, u"x");
        changed.push_back(Obj->FName);
    };
    struct Step {
        std::u16string name;
        std::function<void(TFormControlObjBase*)> change;
    } steps[] = {
        {u"t", [](TFormControlObjBase* c) { static_cast<TEditFormControlObj*>(c)->SetText(u"new"); }},
        {u"c", [](TFormControlObjBase* c) { static_cast<TCheckBoxFormControlObj*>(c)->SetChecked(true); }},
        {u"m",
         [](TFormControlObjBase* c) { static_cast<TListBoxFormControlObj*>(c)->FControl->SetSelected(59, true); }},
        {u"d", [](TFormControlObjBase* c) { static_cast<TComboFormControlObj*>(c)->FControl->SetItemIndex(1); }},
        {u"a", [](TFormControlObjBase* c) { static_cast<TTextAreaFormControlObj*>(c)->SetText(u"r"); }},
        {u"quiet", [](TFormControlObjBase* c) { static_cast<TEditFormControlObj*>(c)->SetText(u"new"); }},
    };
    for (const Step& s : steps) {
        TFormControlObjBase* c = control(s.name);
        ASSERT_NE(c, nullptr) << toUtf8(s.name);
        // Entering and leaving without a change reports nothing.
        c->EnterEvent(c->GetTheControl());
        c->ExitEvent(c->GetTheControl());
        c->EnterEvent(c->GetTheControl());
        s.change(c);
        c->ExitEvent(c->GetTheControl());
    }
    EXPECT_EQ(changed, (std::vector<std::u16string>{u"t", u"c", u"m", u"d", u"a"}));
}

// Print pictures on the recording device: what a print copy draws.
TEST_F(FormControls, PrintPicturesOnTheRecordingCanvas) {
    load(
        uR"(<form><input type=password name=p value="pw5ch"><input type=checkbox name=c checked>
<select name=l size=3><option>r0<option>r1<option>r2<option>r3<option>r4</select>
<input type=submit name=go value="Go"><textarea name=a rows=2>one
two
three</textarea><select name=d><option>first<option selected>second</select></form>)");
    TDeviceCaps mono;
    mono.BitsPixel = 1;
    TRecordingDC dc(1000, 1000, mono);
    TCanvas canvas;
    canvas.SetDevice(&dc);
    auto drawCopy = [&](std::u16string_view Name) {
        dc.ClearLog();
        auto copy = printCopy(control(Name));
        static_cast<TFormControlObjBase*>(copy.get())->DrawInline1(&canvas, 10, 20);
        std::string log;
        for (const std::string& l : dc.Log()) log += l + "\n";
        return log;
    };
    copyDoc = ThtDocument::CreateCopy(*doc());
    copyDoc->PrintMonoBlack = true;

    const std::string password = drawCopy(u"p");
    EXPECT_NE(password.find("\"*****\""), std::string::npos) << password;
    EXPECT_EQ(password.find("pw5ch"), std::string::npos);

    auto* box = control<TCheckBoxFormControlObj>(u"c");
    const std::string checked = drawCopy(u"c");
    const int m = 20 + box->FControl->Height() / 2;
    EXPECT_NE(
        checked.find("=line 13," + std::to_string(m) + " 15," + std::to_string(m + 2) + " 19," + std::to_string(m - 2)),
        std::string::npos)
        << checked;

    const std::string list = drawCopy(u"l");
    for (const char* row : {"\"r0\"", "\"r1\"", "\"r2\""}) EXPECT_NE(list.find(row), std::string::npos) << list;
    for (const char* row : {"\"r3\"", "\"r4\""}) EXPECT_EQ(list.find(row), std::string::npos) << list;

    // On a monochrome device the button is drawn, with the caption of the
    // window control it shares with the page.
    const std::string button = drawCopy(u"go");
    EXPECT_NE(button.find("\"Go\""), std::string::npos) << button;

    const std::string area = drawCopy(u"a");
    EXPECT_NE(area.find("\"one\""), std::string::npos) << area;
    EXPECT_NE(area.find("\"two\""), std::string::npos) << area;
    EXPECT_EQ(area.find("\"three\""), std::string::npos) << area;

    const std::string combo = drawCopy(u"d");
    EXPECT_NE(combo.find("\"second\""), std::string::npos) << combo;
}

// A colour device prints the button's picture, grabbed from its window.
TEST_F(FormControls, ColourPrintOfAButtonIsItsPicture) {
    load(uR"(<form><input type=submit name=go value="WWWW"></form>)");
    auto* go = control<TButtonFormControlObj>(u"go");
    ASSERT_NE(go, nullptr);
    TBitmap page;
    page.SetSize(200, 60);
    page.Canvas()->Brush()->SetColor(clFuchsia);
    page.Canvas()->FillRect(Rect(0, 0, 200, 60));
    auto copy = printCopy(go);
    auto* printed = static_cast<TButtonFormControlObj*>(copy.get());
    printed->DrawInline1(page.Canvas(), 5, 5);
    ASSERT_NE(printed->PaintBitmap, nullptr);
    EXPECT_EQ(printed->PaintBitmap->Width(), go->FControl->Width());
    EXPECT_NE(page.Canvas()->Pixel(5 + go->FControl->Width() / 2, 5 + go->FControl->Height() / 2), clFuchsia);
    EXPECT_EQ(page.Canvas()->Pixel(5 + go->FControl->Width() + 3, 5), clFuchsia);
}

TEST(FormControlFrames, SunkenRaisedAndMonochrome) {
    ensureQtApp();
    TBitmap b;
    b.SetSize(20, 20);
    const TColor face = TColor(0x00FF00);
    DrawFormControlFrame(b.Canvas(), 0, 0, 20, 20, 0, face, false, false, false);
    const TColor leftTop = b.Canvas()->Pixel(0, 5), rightBottom = b.Canvas()->Pixel(18, 5);
    EXPECT_EQ(b.Canvas()->Pixel(1, 10), leftTop);  // two pixels wide
    EXPECT_EQ(b.Canvas()->Pixel(10, 10), face);
    EXPECT_EQ(b.Canvas()->Pixel(10, 17), rightBottom);
    DrawFormControlFrame(b.Canvas(), 0, 0, 20, 20, 0, face, false, false, true);
    EXPECT_EQ(b.Canvas()->Pixel(0, 5), rightBottom);  // raised: the other way round
    EXPECT_EQ(b.Canvas()->Pixel(18, 5), leftTop);
    DrawFormControlFrame(b.Canvas(), 0, 0, 20, 20, 0, face, true, false, false);
    EXPECT_NE(b.Canvas()->Pixel(10, 10), face);  // disabled: the button face

    TDeviceCaps caps;
    caps.BitsPixel = 1;
    TRecordingDC dc(100, 100, caps);
    TCanvas mono;
    mono.SetDevice(&dc);
    mono.Brush()->SetColor(clRed);
    DrawFormControlFrame(&mono, 0, 0, 20, 20, 0, face, false, true, false);
    const std::vector<std::string> fills = dc.Calls("FillRect");
    ASSERT_EQ(fills.size(), 5u);
    EXPECT_EQ(fills[0], "FillRect 0 0 19 19 " + std::to_string(clWhite));
    EXPECT_EQ(fills[1], "FillRect 0 0 1 19 " + std::to_string(clBlack));
    EXPECT_EQ(fills[3], "FillRect 18 1 19 19 " + std::to_string(0xC0C0C0));
    EXPECT_EQ(mono.Brush()->Color(), clRed);  // the brush is the caller's again
}

// The whole page of controls, laid out and drawn by a print copy; with
// ZRX_KEEP_PNG set to a folder the picture is saved there.
TEST_F(FormControls, EveryKindOnAPage) {
    load(EveryControl);
    const QImage img = viewer->Handle()->grab().toImage();
    if (const char* keep = std::getenv("ZRX_KEEP_PNG")) img.save(QString::fromUtf8(keep) + "/form-controls.png");
    // Every window control with a size is on the panel, within the page.
    for (int i = 0; i < doc()->FormControlList->Count(); ++i) {
        TFormControlObjBase* c = doc()->FormControlList->GetItem(i);
        TWinControl* w = c->GetTheControl();
        if (!w) continue;
        EXPECT_TRUE(w->Visible()) << toUtf8(c->FName);
        EXPECT_GE(w->Left(), 0) << toUtf8(c->FName);
        EXPECT_GT(w->Width(), 0) << toUtf8(c->FName);
    }
}

// The page's print copy laid out and drawn on a white page: the controls
// appear as pictures while the live window controls stay where they were.
// With ZRX_KEEP_PNG set to a folder the picture is saved there.
TEST_F(FormControls, PrintCopyOfThePageDrawsEveryControl) {
    load(EveryControl);
    std::vector<std::string> before;
    for (int i = 0; i < doc()->FormControlList->Count(); ++i)
        if (TWinControl* w = doc()->FormControlList->GetItem(i)->GetTheControl()) before.push_back(bounds(w));
    copyDoc = ThtDocument::CreateCopy(*doc());
    copyDoc->Printing = true;
    copyDoc->PageBottom = 400;  // one page
    TBitmap page;
    page.SetSize(600, 400);
    page.Canvas()->Brush()->SetColor(clWhite);
    page.Canvas()->FillRect(Rect(0, 0, 600, 400));
    int32_t scrollWidth = 0, curs = 0;
    copyDoc->DoLogic(page.Canvas(), 0, 600, 400, 0, scrollWidth, curs);
    copyDoc->Draw(page.Canvas(), Rect(0, 0, 600, 400), 100000, 0, 0, 0, 0);
    if (const char* keep = std::getenv("ZRX_KEEP_PNG")) page.SaveToFile(std::string(keep) + "/form-controls-print.png");
    // The text edit's picture: its face, framed, at the control's place.
    auto* t = control<TEditFormControlObj>(u"t");
    ASSERT_NE(t, nullptr);
    int drawn = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 600; ++x)
            if (page.Canvas()->Pixel(x, y) != clWhite) ++drawn;
    EXPECT_GT(drawn, 2000);
    std::vector<std::string> after;
    for (int i = 0; i < doc()->FormControlList->Count(); ++i)
        if (TWinControl* w = doc()->FormControlList->GetItem(i)->GetTheControl()) after.push_back(bounds(w));
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace viewertest
