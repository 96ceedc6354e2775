#include "requests/UserExParsFrame.h"

#include <algorithm>

#include "platform/framework/ComCtrls.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/Translation.h"
#include "requests/GenFlags.h"
#include "platform/framework/Placement.h"
#include "requests/RequestParamMaker.h"

namespace {

TCBaseReqPropsFrame* newUserExPars(TComponent* owner) { return new TUserExPars(owner); }
TCBaseReqPropsFrame* newCreatorUserExPars(TComponent* owner) { return new TCreatorUserExPars(owner); }

// The general page is there from program start; the generator replaces it.
const bool gUserExParsRegistered = registerReqPropsFrame("UserExPars", newUserExPars);

// Usages "Исключить нестандартные расширения" leaves to the owner.
bool isStandardUsage(const TCString& name) {
    static const char* const kNames[] = {"UAExtKeyUsage_Stamp", "serverAuth", "clientAuth",      "timeStamping",
                                         "OCSPSigning",         "zorenCMP",   "UAExtKeyUsage_RA"};
    return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* n) { return name.compare(n) == 0; });
}

// Profiles whose page offers no default usage.
bool withoutDefaultUsage(int profileId) {
    static const int kIds[] = {1, 20, 21, 22, 55, 56, 57};
    return std::find(std::begin(kIds), std::end(kIds), profileId) != std::end(kIds);
}

}  // namespace

// ------------------------------------------------------------- TUserExPars

IMPLEMENT_CLASS(TUserExPars, TCBaseReqPropsFrame) {}

TUserExPars::TUserExPars(TComponent* AOwner) : TCBaseReqPropsFrame(AOwner) {
    (void)gUserExParsRegistered;
    SetName("UserExPars");
    caption_ = zrnTranslateString("Дополнительные свойства");
    Label1 = placeControl<TLabel>(this, this, "Label1", 10, 8, 418, 17);
    Label1->SetCaption("Фраза для блокирования сертификата");
    Edit1 = placeControl<TEdit>(this, this, "Edit1", 10, 27, 418, 21);
    lbl1 = placeControl<TLabel>(this, this, "lbl1", 10, 56, 418, 17);
    lbl1->SetCaption("Уточняющий вопрос");
    chedt1 = placeControl<TCompoundHistoryEdit>(this, this, "chedt1", 10, 75, 418, 21);
    chedt1->RegInfo()->SetRootKey(hkCURRENT_USER);
    chedt1->RegInfo()->SetKey("Software\\Zoren\\ZI509\\WinControlForm_1");
    chedt1->RegInfo()->SetValueName("chedt1");
    chedt1->SetMaxHistCount(20);
    chedt1->SetRowsVisible(8);
    chedt1->SetSaveHistory(true);
    placeEkuBoxes(105);
    chckbxsEKU->SetVisible(true);
}

void TUserExPars::placeEkuBoxes(int top) {
    constexpr int kBottomMargin = 8;
    chckbxsEKU->SetAnchors(akSet(akLeft) | akSet(akTop) | akSet(akRight) | akSet(akBottom));
    chckbxsEKU->SetBounds(3, top, 432, std::max(112, Height() - top - kBottomMargin));
}

bool TUserExPars::loadPars(TCRequestParamMaker* maker, TCustomForm*) {
    loadEkuBoxes(this, chckbxsEKU, maker, true);
    return true;
}

bool TUserExPars::storePars(TCRequestParamMaker* maker) {
    storeEkuBoxes(this, chckbxsEKU, maker);
    TCString phrase(Edit1->GetText());
    phrase.trim();
    const TCXProfileDescriptor* profile = maker ? maker->profile() : nullptr;
    if (Edit1->Visible() && Edit1->Enabled() && phrase.isEmpty() && profile && (profile->flags & kPfPhraseRequired)) {
        if (auto* sheet = dynamic_cast<TTabSheet*>(Parent()))
            if (sheet->PageControl()) sheet->PageControl()->SetActivePage(sheet);
        SysMessageBox(zrnTranslateString("Данное поле необходимо обязательно заполнить!").str(),
                      zrnTranslateString("Ошибка").str(), MB_ICONERROR);
        Edit1->SetFocus();
        return false;
    }
    TCString challenge = phrase;
    const TCString question(chedt1->getUCTextValue());
    if (!question.isEmpty()) challenge += "|" + question.str();
    if (maker) maker->assignChallengePassword(challenge.c_str());
    return true;
}

void TUserExPars::setCompact(bool c) {
    TCBaseReqPropsFrame::setCompact(c);
    for (TControl* control : std::initializer_list<TControl*>{Label1, Edit1, lbl1, chedt1}) control->SetVisible(!c);
    if (c) placeEkuBoxes(Label1->Top());
}

// ------------------------------------------------------- TCreatorUserExPars

IMPLEMENT_CLASS(TCreatorUserExPars, TUserExPars) {}

TCreatorUserExPars::TCreatorUserExPars(TComponent* AOwner) : TUserExPars(AOwner) {
    SetName("CreatorUserExPars");
    lbl1->SetVisible(false);
    chedt1->SetVisible(false);
    Label1->SetLeft(10);
    Label1->SetTop(59);
    Edit1->SetTop(78);
    placeEkuBoxes(105);
    chk1 = placeControl<TCheckBox>(this, this, "chk1", 10, 8, 418, 19);
    chk1->SetCaption("Исключить нестандартные расширения");
    chk1->OnClick = [this](TObject* Sender) { chk1Click(Sender); };
    chk2 = placeControl<TCheckBox>(this, this, "chk2", 10, 31, 418, 19);
    chk2->SetCaption("Сформировать самоизаднный сертификат");
    chk2->OnClick = [this](TObject* Sender) { chk2Click(Sender); };
    cmpstrg1 = new TCCompStorage(this);
    cmpstrg1->SetName("cmpstrg1");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZrXCreator");
    cmpstrg1->SetValueName("%FORMNAME%");
    cmpstrg1->SetManual(true);
    cmpstrg1->GetStoredProps()->SetText("chk1.Checked\nchk2.Checked");
}

bool TCreatorUserExPars::loadPars(TCRequestParamMaker* maker, TCustomForm*) {
    maker_ = maker;
    const TCXProfileDescriptor* profile = maker ? maker->profile() : nullptr;
    lbl1->SetVisible(false);
    chedt1->SetVisible(false);
    loadEkuBoxes(this, chckbxsEKU, maker, !(profile && withoutDefaultUsage(profile->id)));
    cmpstrg1->restore();
    chk1Click(chk1);
    chk2Click(chk2);
    return true;
}

bool TCreatorUserExPars::storePars(TCRequestParamMaker* maker) {
    cmpstrg1->store();
    // The generator's challenge password is the phrase alone.
    chedt1->SetText(String());
    return TUserExPars::storePars(maker);
}

void TCreatorUserExPars::setCompact(bool c) {
    TCBaseReqPropsFrame::setCompact(c);
    Label1->SetVisible(!c);
    Edit1->SetVisible(!c);
    if (c) placeEkuBoxes(Label1->Top());
}

void TCreatorUserExPars::chk1Click(TObject*) {
    const bool exclude = chk1->Checked();
    Label1->SetEnabled(!exclude);
    Edit1->SetEnabled(!exclude);
    Edit1->SetColor(exclude ? clBtnFace : clWindow);
    genFlags.set(kGenExcludeNonStandard, exclude);
    const auto& items = ekuItems();
    for (int i = 0; i < chckbxsEKU->GetButtonCount() && size_t(i) < items.size(); ++i) {
        if (isStandardUsage(items[size_t(i)].name)) continue;
        if (exclude) chckbxsEKU->SetIsChecked(i, false);
        chckbxsEKU->SetIsEnabled(i, !exclude);
    }
    if (maker_ && maker_->profile()) {
        uint32_t& f = maker_->profile()->flags;
        f = exclude ? (f & ~kPfNonStandardExts) : (f | kPfNonStandardExts);
    }
}

void TCreatorUserExPars::chk2Click(TObject*) { genFlags.set(kGenSelfIssuedCert, chk2->Checked()); }

void registerCreatorUserExPars() { registerReqPropsFrame("UserExPars", newCreatorUserExPars); }
