#include "update/UpdateParsDlg.h"

#include "dialogs/MessageView.h"
#include "views/KeyViewFrmEx.h"
#include "components/FormsTranslation.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/Translation.h"
#include "update/UpdateCache.h"

namespace {

constexpr uint32_t kClosed = 1001;

template <class T>
T* make(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height) {
    auto* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    return c;
}

TLabel* label(TComponent* owner, TWinControl* parent, const char* name, const char* caption, int left, int top) {
    auto* l = make<TLabel>(owner, parent, name, left, top, 110, 26);
    l->SetCaption(caption);
    return l;
}

TCompoundHistoryEdit* historyEdit(TComponent* owner, TWinControl* parent, const char* name, int left, int top,
                                  int width) {
    auto* e = make<TCompoundHistoryEdit>(owner, parent, name, left, top, width, 21);
    e->SetMaxHistCount(20);
    e->SetRowsVisible(3);
    e->RegInfo()->SetRootKey(hkCURRENT_USER);
    e->RegInfo()->SetKey("Software\\Zoren\\Updates");
    e->RegInfo()->SetValueName(name);
    e->SetSaveHistory(true);
    return e;
}

String trimmed(const String& s) { return TCString(s).trim().str(); }

}  // namespace

IMPLEMENT_CLASS(TEditUpdateParsFrm, TFrame) {}

TEditUpdateParsFrm::TEditUpdateParsFrm(TComponent* AOwner) : TFrame(AOwner) {
    SetName("EditUpdateParsFrm");
    SetBounds(0, 0, 448, 297);
    chckbxs1 = make<TCheckBoxes>(this, this, "chckbxs1", 10, 6, 415, 55);
    chckbxs1->SetCaption("Проверка обновлений");
    chckbxs1->Items()->Add("При старте программы");
    chckbxs1->Items()->Add("По команде оператора");
    chckbxs1->OnChekBoxClick = [this](TCheckBox* box, unsigned flag) { chckbxs1ChekBoxClick(box, flag); };

    lbl1 = label(this, this, "lbl1", "Адрес сервера\r\nобновлений", 10, 70);
    chedt1 = historyEdit(this, this, "chedt1", 130, 73, 297);
    lbl2 = label(this, this, "lbl2", "Периодичность\r\nпроверки", 10, 109);
    edt1 = make<TEdit>(this, this, "edt1", 130, 112, 121, 21);
    edt1->SetText("0");
    ud1 = make<TUpDown>(this, this, "ud1", 251, 112, 17, 21);
    ud1->SetMax(3650);
    ud1->SetAssociate(edt1);
    lbl3 = label(this, this, "lbl3", "дней", 275, 115);

    grp1 = make<TGroupBox>(this, this, "grp1", 10, 139, 425, 135);
    grp1->SetCaption("Параметры прокси сервера");
    lbl4 = label(this, grp1, "lbl4", "Адрес", 10, 25);
    chedt2 = historyEdit(this, grp1, "chedt2", 120, 22, 121);
    lbl5 = label(this, grp1, "lbl5", "Имя пользователя", 10, 62);
    edt2 = make<TEdit>(this, grp1, "edt2", 120, 59, 121, 21);
    lbl6 = label(this, grp1, "lbl6", "Пароль", 10, 97);
    edt3 = make<TEdit>(this, grp1, "edt3", 120, 94, 121, 21);
    edt3->SetPasswordChar(U'*');
}

bool TEditUpdateParsFrm::load() {
    config.read();
    chckbxs1->SetChecked(config.updationMode);
    ud1->SetPosition(config.checkPeriod);
    chedt1->setTextValue(config.href.str());
    chedt2->setTextValue(config.proxy.str());
    edt2->SetText(config.proxyUser.str());
    edt3->SetText(std::string(config.proxyPassword.c_str(), config.proxyPassword.length()));
    return true;
}

void TEditUpdateParsFrm::chckbxs1ChekBoxClick(TCheckBox*, unsigned) {
    const uint32_t bits = chckbxs1->GetChecked();
    if ((bits & UPD_CHECK_AT_START) && !(bits & UPD_CHECK_BY_COMMAND)) {
        if (TCheckBox* byCommand = chckbxs1->GetButtons(1)) byCommand->SetChecked(true);
    }
    const bool on = bits != 0;
    for (TControl* c : std::initializer_list<TControl*>{lbl1, lbl2, chedt1, edt1, ud1, lbl3, grp1}) c->SetEnabled(on);
    const TColor color = on ? clWindow : clBtnFace;
    chedt1->setColor(color);
    chedt2->setColor(color);
    for (TEdit* e : {edt1, edt2, edt3}) e->SetColor(color);
}

bool TEditUpdateParsFrm::save() {
    config.updationMode = chckbxs1->GetChecked();
    config.checkPeriod = ud1->Position();
    config.href = trimmed(chedt1->GetText());
    config.proxy = trimmed(chedt2->GetText());
    config.proxyUser = trimmed(edt2->GetText());
    TCString typed = trimmed(edt3->GetText());
    config.proxyPassword.assign(typed.c_str(), typed.length());
    secretWipe(typed.data(), typed.length());
    return config.write();
}

bool TEditUpdateParsFrm::validateAndSave() {
    if (chedt1->Enabled() && trimmed(chedt1->GetText()).empty()) {
        if (auto* sheet = dynamic_cast<TTabSheet*>(Parent()))
            if (sheet->PageControl()) sheet->PageControl()->SetActivePage(sheet);
        if (TCustomForm* f = ParentForm()) f->SetActiveControl(chedt1);
        messageDlg(zrnTranslateString("Данное поле необходимо заполнить!"), mtError, mbSet(mbOK));
        return false;
    }
    if (!save()) {
        messageDlg(TCFString(zrnTranslateString("Не удалось сохранить настройки в файле \"%s\"!").c_str(),
                             updatesIniFileName().c_str())
                       .str(),
                   mtError, mbSet(mbOK));
        return false;
    }
    return true;
}

IMPLEMENT_CLASS(TCUpdateParsDlg, TForm) {}

TCUpdateParsDlg::TCUpdateParsDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName("CUpdateParsDlg");
    SetCaption("Параметры обновления программы");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientWidth(554);
    SetClientHeight(260);
    Font()->SetName("Tahoma");
    Font()->SetSize(8);
    auto button = [this](const char* name, const char* caption, int top) {
        auto* b = make<TButton>(this, this, name, 455, top, 84, 25);
        b->SetCaption(caption);
        b->SetAnchors(akSet(akTop) | akSet(akRight));
        return b;
    };
    btn1 = button("btn1", "Сохранить", 17);
    btn1->SetDefault(true);
    btn1->SetModalResult(mrOk);
    btn1->OnClick = [this](TObject* s) { btn1Click(s); };
    btn2 = button("btn2", "Отменить", 54);
    btn2->SetCancel(true);
    btn2->SetModalResult(mrCancel);
    btn3 = button("btn3", "Очистить кеш", 104);
    btn3->OnClick = [this](TObject* s) { btn3Click(s); };
    btn4 = button("btn4", "Информация", 141);
    btn4->OnClick = [this](TObject* s) { btn4Click(s); };
    frame = new TEditUpdateParsFrm(this);
    frame->SetParent(this);
    translateComponentProperties(this);
}

void TCUpdateParsDlg::btn1Click(TObject*) {
    if (!frame->validateAndSave()) SetModalResult(mrNone);
}

void TCUpdateParsDlg::btn3Click(TObject*) { cleanUpdateCache(); }

void TCUpdateParsDlg::btn4Click(TObject*) {
    TCString page;
    updateInfoHtml(page);
    viewHtmlText(page.c_str(), false, zrnTranslateString("Информация об обновлении программы").c_str(), "");
}

uint32_t execUpdateParsDialog(bool full) {
    auto* dlg = CreateComponent<TCUpdateParsDlg>(Application->MainForm());
    uint32_t result = kClosed;
    if (!dlg->load()) {
        dlg->Free();
        return 0;
    }
    // Some controls are for the full dialog only.
    dlg->btn3->SetVisible(full);
    dlg->btn4->SetVisible(full);
    dlg->frame->chckbxs1ChekBoxClick(nullptr, 0);
    if (dlg->ShowModal() == mrOk) result = dlg->frame->chckbxs1->GetChecked();
    dlg->Free();
    return result;
}
