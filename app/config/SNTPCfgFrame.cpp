#include "app/config/SNTPCfgFrame.h"

#include "dialogs/DialogLayout.h"
#include "components/FormsTranslation.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/Translation.h"

#include <cstring>

namespace {
TCNumberEdit* wordEdit(TComponent* owner, TWinControl* parent, const char* name, int top, uint16_t initial) {
    auto* e = placeControl<TCNumberEdit>(owner, parent, name, 190, top, 80, 21);
    e->SetIsUnsigned(true);
    // The record keeps both in 16 bits: larger numbers cannot be entered.
    e->SetMinValue(0);
    e->SetMaxValue(0xFFFF);
    e->SetDefault(initial);
    e->SetValue(initial);
    return e;
}
}  // namespace

IMPLEMENT_CLASS(TCSNTPCfgFrame, TFrame) {}

TCSNTPCfgFrame::TCSNTPCfgFrame(TComponent* AOwner) : TFrame(AOwner) {
    SetName("CSNTPCfgFrame");
    SetBounds(0, 0, 400, 150);
    chk1 = placeControl<TCheckBox>(this, this, "chk1", 12, 12, 370, 17);
    chk1->SetCaption("Отключить контроль времени");
    chk1->OnClick = [this](TObject* s) { chk1Click(s); };
    lbl1 = placeLabel(this, this, "lbl1", "Адрес NTP-сервера", 12, 47);
    hstrydt1 = placeControl<THistoryEdit>(this, this, "hstrydt1", 190, 44, 200, 21);
    hstrydt1->SetMaxLength(int(TSNTPParams::kServerNameChars));
    hstrydt1->SetMaxHistCount(20);
    hstrydt1->RegInfo()->SetRootKey(hkCURRENT_USER);
    hstrydt1->RegInfo()->SetKey("Software\\Zoren\\SNTPConfig");
    hstrydt1->RegInfo()->SetValueName("hstrydt1");
    hstrydt1->SetSaveHistory(true);
    lbl2 = placeLabel(this, this, "lbl2", "Порт NTP-сервера", 12, 79);
    nedt1 = wordEdit(this, this, "nedt1", 76, 123);
    lbl3 = placeLabel(this, this, "lbl3", "Допустимое расхождение", 12, 111);
    nedt2 = wordEdit(this, this, "nedt2", 108, 60);
    lbl4 = placeLabel(this, this, "lbl4", "сек.", 278, 111);
    translateComponentProperties(this);
}

void TCSNTPCfgFrame::chk1Click(TObject*) {
    const bool on = !chk1->Checked();
    for (TControl* c : std::initializer_list<TControl*>{lbl1, lbl2, lbl3, lbl4, hstrydt1, nedt1, nedt2})
        c->SetEnabled(on);
    hstrydt1->SetColor(on ? clWindow : clBtnFace);
    nedt1->setColor(on ? clWindow : clBtnFace);
    nedt2->setColor(on ? clWindow : clBtnFace);
    translateComponentProperties(this);
}

void TCSNTPCfgFrame::loadParams(const TSNTPParams& params) {
    chk1->SetChecked(params.disabled != 0);
    chk1Click(chk1);  // also when the state did not change
    hstrydt1->SetText(cutChars(params.serverName, TSNTPParams::kServerNameChars).str());
    nedt1->SetValue(params.port);
    nedt2->SetValue(params.allowedDiff);
}

void TCSNTPCfgFrame::storeParams(TSNTPParams& params) {
    params.disabled = chk1->Checked() ? 1 : 0;
    const TCString server = cutChars(TCString(hstrydt1->GetText()).trim().c_str(), TSNTPParams::kServerNameChars);
    std::memset(params.serverName, 0, sizeof params.serverName);
    std::memcpy(params.serverName, server.c_str(), server.length());
    params.port = uint16_t(nedt1->GetValue() & 0xFFFF);
    params.allowedDiff = uint16_t(nedt2->GetValue() & 0xFFFF);
}

bool TCSNTPCfgFrame::checkParams(TTabSheet* page) {
    const TCString server = TCString(hstrydt1->GetText()).trim();
    // The record holds 85 characters: a longer name is refused rather than cut.
    const bool tooLong = zrx_utf8::charCount(server.view()) > TSNTPParams::kServerNameChars;
    if (!tooLong && (chk1->Checked() || !server.isEmpty())) return true;
    if (page && page->PageControl()) page->PageControl()->SetActivePage(page);
    SysMessageBox(
        zrnTranslateString(tooLong ? "Слишком длинное имя сервера!" : "Данное поле необходимо обязательно заполнить!")
            .str(),
        zrnTranslateString("Ошибка").str(), MB_ICONERROR);
    if (TCustomForm* f = ParentForm()) f->SetActiveControl(hstrydt1);
    return false;
}
