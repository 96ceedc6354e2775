#include "views/KeyViewFrmEx.h"

#include <atomic>

#include "components/CAdvancedListView.h"
#include "components/CCompStorage.h"
#include "components/FormsTranslation.h"
#include "views/HtmlViewerColor.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Utf16.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"
#include "views/HtmlViewSetup.h"

namespace {
constexpr int kButtonWidth = 90, kButtonHeight = 25, kGap = 8, kPanelHeight = 41;
std::atomic<uint32_t> gViewFlags{0};

TButton* makeButton(TForm* form, TWinControl* parent, const char* name, const char* caption, TModalResult mr) {
    auto* b = new TButton(form);
    b->SetName(name);
    b->SetParent(parent);
    b->SetCaption(caption);
    b->SetModalResult(mr);
    b->SetBounds(0, (kPanelHeight - kButtonHeight) / 2, kButtonWidth, kButtonHeight);
    return b;
}

}  // namespace

IMPLEMENT_CLASS(TKeyViewFormEx, TForm) {}

TKeyViewFormEx::TKeyViewFormEx(TComponent* AOwner) : TForm(AOwner) {
    SetName("KeyViewFormEx");
    SetCaption("Просмотр");
    SetPosition(poMainFormCenter);
    SetClientWidth(800);
    SetClientHeight(469);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alBottom);
    Panel1->SetHeight(kPanelHeight);
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetCaption("");

    Button1 = makeButton(this, Panel1, "Button1", "Закрыть", mrCancel);
    Button1->SetCancel(true);
    Button2 = makeButton(this, Panel1, "Button2", "Продолжить", mrOk);
    Button2->SetDefault(true);
    Button2->SetVisible(false);
    Button3 = makeButton(this, Panel1, "Button3", "Продолжить", mrOk);
    Button3->SetVisible(false);
    Button4 = makeButton(this, Panel1, "Button4", "Выполнить", mrOk);
    Button4->SetVisible(false);

    ActionList1 = new TActionList(this);
    ActionList1->SetName("ActionList1");
    PrintAction = new TAction(this);
    PrintAction->SetName("PrintAction");
    PrintAction->SetCaption("Печатать");
    PrintAction->SetActionList(ActionList1);
    PrintAction->OnExecute = [this](TObject* s) { Button4Click(s); };
    SaveHTMLAction = new TAction(this);
    SaveHTMLAction->SetName("SaveHTMLAction");
    SaveHTMLAction->SetCaption("Сохранить в HTML");
    SaveHTMLAction->SetHint("Сохранить в HTML-файл");
    SaveHTMLAction->SetActionList(ActionList1);
    SaveHTMLAction->OnExecute = [this](TObject* s) { Button5Click(s); };

    Button5 = makeButton(this, Panel1, "Button5", "", mrNone);
    Button5->SetAction(PrintAction);
    Button5->SetLeft(kGap);
    Button6 = makeButton(this, Panel1, "Button6", "", mrNone);
    Button6->SetAction(SaveHTMLAction);
    Button6->SetLeft(2 * kGap + kButtonWidth);
    Button6->SetWidth(kButtonWidth + 40);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    auto addItem = [this](const char* name, TAction* action, const char* caption) {
        auto* mi = new TMenuItem(this);
        mi->SetName(name);
        if (action) mi->SetAction(action);
        else mi->SetCaption(caption);
        PopupMenu1->Items()->Add(mi);
    };
    addItem("PrintMI", PrintAction, nullptr);
    addItem("N1", nullptr, "-");
    addItem("SaveMI", SaveHTMLAction, nullptr);

    pnl1 = new TPanel(this);
    pnl1->SetName("pnl1");
    pnl1->SetParent(this);
    pnl1->SetAlign(alClient);
    pnl1->SetBevelOuter(bvNone);
    pnl1->SetCaption("");

    lbl1 = new TLabel(this);
    lbl1->SetName("lbl1");
    lbl1->SetParent(pnl1);
    lbl1->SetAlign(alTop);
    lbl1->SetAlignment(taCenter);
    lbl1->SetWordWrap(true);
    lbl1->SetShowAccelChar(false);  // the caption carries an owner's name
    lbl1->Font()->SetName("Tahoma");
    lbl1->Font()->SetColor(clNavy);
    lbl1->Font()->SetStyle(fsSet(fsBold));
    lbl1->SetVisible(false);

    htmlView1 = new TWindowHtmlViewer(this);
    htmlView1->SetName("htmlView1");
    htmlView1->SetParent(pnl1);
    htmlView1->SetAlign(alClient);
    setupHtmlViewer(htmlView1, "Courier New");
    htmlView1->SetPopupMenu(PopupMenu1);
    htmlView1->OnKeyDown = [this](TObject* s, uint16_t& k, TShiftState sh) { htmlView1KeyDown(s, k, sh); };

    htmlv33 = new TWindowHtmlViewer(this);
    htmlv33->SetName("htmlv33");
    htmlv33->SetParent(pnl1);
    setupHtmlViewer(htmlv33, "Verdana");
    htmlv33->SetVisible(false);

    PrintDialog = makePagePrintDialog(this, "PrintDialog");
    SaveDialog1 = makeHtmlSaveDialog(this, "SaveDialog1");

    CompStorage = new TCCompStorage(this);
    CompStorage->SetName("CompStorage");
    CompStorage->SetRegKey("Software\\Zoren\\ZI509");
    CompStorage->SetValueName("%FORMNAME%");
    FormTranslator = new TCFormTranslator(this);
    FormTranslator->SetName("FormTranslator");
    FormTranslator->SetDefLanguageID(1);
    FormTranslator->SetPropsToChange("Caption,Hint,Items");

    setHtmlViewerColor(htmlView1);
    setMode(3);
}

void TKeyViewFormEx::setHtml(const char* html, const char* printCopy) {
    htmlView1->LoadFromString(TCString(html).toUtf16(), u"", HTMLType);
    FPrintCopy = printCopy ? printCopy : (html ? html : "");
}

void TKeyViewFormEx::setMode(int mode) {
    struct TButtonSpec {
        TButton* button;
        const char* caption;
        TModalResult result;
    };
    std::vector<TButtonSpec> shown;
    TButton* def = nullptr;
    switch (mode) {
    case 0:
        shown = {{Button1, "Прекратить", mrCancel}, {Button2, "Выполнить", mrOk}};
        def = Button2;
        break;
    case 4:
        shown = {{Button1, "Прекратить", mrCancel}, {Button2, "Нет", mrNo}, {Button3, "Выполнить", mrOk}};
        def = Button3;
        break;
    case 5:
        shown = {{Button1, "Прекратить", mrCancel},
                 {Button2, "Все", mrAll},
                 {Button3, "Пропустить", mrNo},
                 {Button4, "Выполнить", mrOk}};
        def = Button4;
        break;
    default:
        shown = {{Button1, "Закрыть", mrCancel}};
        def = Button1;
        break;
    }
    for (TButton* b : {Button1, Button2, Button3, Button4}) {
        b->SetVisible(false);
        b->SetDefault(false);
        b->SetCancel(false);
    }
    // Escape and the close box stop (2) in every mode.
    Button1->SetCancel(true);
    int right = Panel1->ClientWidth() - kGap;
    for (const TButtonSpec& s : shown) {
        s.button->SetCaption(zrnTranslateString(s.caption).c_str());
        s.button->SetModalResult(s.result);
        s.button->SetLeft(right - kButtonWidth);
        s.button->SetAnchors(akSet(akRight) | akSet(akTop));
        s.button->SetVisible(true);
        right -= kButtonWidth + kGap;
    }
    def->SetDefault(true);
    if (def->Visible()) SetActiveControl(def);
}

void TKeyViewFormEx::showCaption(const char* text, const char* prefix, int mode) {
    const TCString caption = TCFString("%s %s", prefix ? prefix : "", text ? text : "");
    SetCaption(caption.c_str());
    if (mode != 3) {
        lbl1->SetWidth(ClientWidth());
        lbl1->SetCaption((" \n" + caption + " \n").c_str());
        lbl1->SetVisible(true);
    }
}

bool TKeyViewFormEx::printHtml(const TCString& html, bool askDialog, int copies) {
    if (copies != 0) PrintDialog->Copies = copies;
    PrintDialog->PrintRange = prAllPages;
    if (askDialog && !PrintDialog->Execute()) return false;
    TCursorSetter hourglass;
    htmlv33->LoadFromString(html.toUtf16(), u"", HTMLType);
    if (PrintDialog->PrintRange == prPageNums) htmlv33->Print(PrintDialog->FromPage, PrintDialog->ToPage, nullptr);
    else htmlv33->Print(kPrintFirstPage, kPrintLastPage, nullptr);
    return true;
}

bool TKeyViewFormEx::saveHtml(const TCString& html) {
    for (;;) {
        if (!SaveDialog1->Execute()) return false;
        const String name = SaveDialog1->FileName();
        if (saveStr(name.c_str(), html.c_str())) return true;
        // A failed write is said, and the dialog is offered again.
        kvdShowErrorMessage(this, 0xC0800002, 1, zrnTranslateString("Ошибка записи в файл \"%s\"!").c_str(),
                            name.c_str());
    }
}

void TKeyViewFormEx::Button4Click(TObject*) { printHtml(FPrintCopy, true, 0); }

void TKeyViewFormEx::Button5Click(TObject*) { saveHtml(FPrintCopy); }

void TKeyViewFormEx::htmlView1KeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
    if (Key == VK_INSERT && (Shift & ssCtrl))
        if (auto* v = dynamic_cast<TWindowHtmlViewer*>(Sender)) v->CopyToClipboard();
}

int execKeyViewForm(const char* html, int mode, const char* text, const char* prefix, const char* printCopy) {
    auto* form = CreateComponent<TKeyViewFormEx>(Application);
    return ShowModalAndFree(form, [&] {
        form->showCaption(text, prefix, mode);
        form->setHtml(html, printCopy);
        form->setMode(mode);
    });
}

bool viewHtmlText(const char* html, bool withExecute, const char* text, const char* prefix) {
    const int r = execKeyViewForm(html, withExecute ? 0 : 3, text, prefix, nullptr);
    return r == mrOk || r == mrAll;
}

void setViewFlags(uint32_t flags) { gViewFlags = flags; }

bool testViewFlags(uint32_t bits) { return (gViewFlags.load() & bits) == bits; }
