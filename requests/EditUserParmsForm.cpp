#include "requests/EditUserParmsForm.h"

#include <algorithm>
#include <cstring>

#include "dialogs/AppServices.h"
#include "platform/framework/Placement.h"
#include "dialogs/MessageView.h"
#include "dialogs/PasswordDialogs.h"
#include "components/CompoundEdit.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/config/Locality.h"
#include "platform/core/x509/ExtList.h"
#include "platform/core/x509/ObjectRegistry.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Passwords.h"
#include "platform/runtime/TCStringList.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"
#include "platform/runtime/Translit.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"
#include "requests/RequestParamMaker.h"
#include "requests/SelectUserObject.h"
#include "requests/UserParmsRules.h"

using namespace userparms;

namespace {

TEditUserParmsForm* gOpenDialog = nullptr;

// Profile flag bits the dialog reads.
enum : uint32_t {
    kPfStartCertOnly = 0x8,  // a start certificate is always made
    kPfEmailDomain = 0x4,    // the e-mail field proposes the CA's domain
    kPfSignChoice = 0x200,   // the owner may choose signature keys
    kPfKAChoice = 0x400,     // the owner may choose key-agreement keys
};
// Item indexes of the mode boxes.
enum { kModeStartCert = 0, kModeSign = 1, kModeKA = 2 };

// The left column is wide enough for an algorithm's whole caption beside its label.
constexpr int kTop = 2, kGap = 2, kLeftColumn = 8, kLeftWidth = 304, kRightColumn = kLeftColumn + kLeftWidth + 6;

// While a dialog exists the library's password questions get the start-up
// password (the token set-up asks for it).
bool dialogPasswordCallback(void*, char* buffer, int size) {
    if (!buffer || size <= 0) return false;
    zrx_utf8::copyCut(kStartupPassword, buffer, size_t(size));
    buffer[size - 1] = '\0';
    return true;
}

std::string format1(const char* source, const std::string& arg) {
    return TCFString(zrnTranslateString(source).c_str(), arg.c_str()).str();
}

TCXEditsEntry* entryOfNode(const TTreeNode* node) { return node ? static_cast<TCXEditsEntry*>(node->Data()) : nullptr; }

TCFlagsBox* makeParamsBox(TComponent* owner, TWinControl* parent, const char* name, int left, int top) {
    auto* b = placeControl<TCFlagsBox>(owner, parent, name, left, top, kLeftWidth - left - 8, 21);
    b->SetListType(clsSingleSelection);
    b->SetReadOnly(true);
    b->SetRowsVisible(4);
    b->SetSortType(stData);
    b->SetHideListOnSelect(true);
    return b;
}

}  // namespace

IMPLEMENT_CLASS(TEditUserParmsForm, TForm) {}

TEditUserParmsForm::TEditUserParmsForm(TComponent* AOwner) : TForm(AOwner), rootEntry_("ownerParameters") {
    SetName("EditUserParmsForm");
    SetCaption("Параметры владельца");
    SetKeyPreview(true);
    SetPosition(poOwnerFormCenter);
    SetClientWidth(775);
    SetClientHeight(595);
    SetMinSize(775, 595);

    // Bottom: modes, algorithms, destination, password, buttons.
    Panel1 = placeControl<TPanel>(this, this, "Panel1", 0, 427, 775, 168);
    Panel1->SetAlign(alBottom);
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetCaption("");

    chckbxs1 = placeControl<TCheckBoxes>(this, Panel1, "chckbxs1", kLeftColumn, kTop, kLeftWidth, 80);
    chckbxs1->SetCaption("Формировать");
    chckbxs1->Items()->Add("Стартовый сертификат");
    chckbxs1->Items()->Add("Ключи ЭП");
    chckbxs1->Items()->Add("Ключи связи");
    chckbxs1->OnChekBoxClick = [this](TCheckBox* box, unsigned) { chckbxs1ChekBoxClick(box); };

    grpAlg = placeControl<TGroupBox>(this, Panel1, "grpAlg", kLeftColumn, kTop + 80 + kGap, kLeftWidth, 76);
    grpAlg->SetCaption("Алгоритмы ключей");
    lbl4 = placeLabelAt(this, grpAlg, "lbl4", "Эл. подписи", 8, 22);
    flbx1 = makeParamsBox(this, grpAlg, "flbx1", 90, 18);
    lbl5 = placeLabelAt(this, grpAlg, "lbl5", "Связи", 8, 48);
    flbx2 = makeParamsBox(this, grpAlg, "flbx2", 90, 44);

    grpDest =
        placeControl<TGroupBox>(this, Panel1, "grpDest", kRightColumn, kTop, 775 - kRightColumn - kLeftColumn, 64);
    grpDest->SetCaption("Записать в ");

    grpPassw = placeControl<TGroupBox>(this, Panel1, "grpPassw", kRightColumn, kTop + 64 + kGap,
                                       775 - kRightColumn - kLeftColumn, 62);
    grpPassw->SetCaption("Ввод пароля");
    lbl1 = placeLabelAt(this, grpPassw, "lbl1", "&Пароль ", 10, 16);
    PasswordEdit = placeControl<TPasswordEdit>(this, grpPassw, "PasswordEdit", 10, 32, 170, 21);
    lbl2 = placeLabelAt(this, grpPassw, "lbl2", "По&дтверждение", 190, 16);
    PasswordConfirm = placeControl<TPasswordEdit>(this, grpPassw, "PasswordConfirm", 190, 32, 170, 21);
    lbl1->SetFocusControl(PasswordEdit);
    lbl2->SetFocusControl(PasswordConfirm);
    for (TPasswordEdit* e : {PasswordEdit, PasswordConfirm}) {
        e->SetPasswordChar(U'*');
        e->SetOEMConvert(true);
        e->SetMaxLength(31);
        e->Font()->SetStyle(fsSet(fsBold));
    }
    PasswordEdit->OnDblClick = [this](TObject* s) { PasswordEditDblClick(s); };
    lbl3 = placeLabelAt(this, grpPassw, "lbl3", "Раскладка", 380, 16);
    pnl4 = placeControl<TPanel>(this, grpPassw, "pnl4", 380, 32, 50, 21);
    pnl4->SetBevelOuter(bvNone);
    pnl4->SetCaption("УКР");

    Button1 = placeControl<TButton>(this, Panel1, "Button1", 600, 135, 80, 25);
    Button1->SetDefault(true);
    Button2 = placeControl<TButton>(this, Panel1, "Button2", 687, 135, 80, 25);
    Button2->SetCaption("Отменить");
    Button2->SetCancel(true);
    Button2->SetModalResult(mrCancel);
    Button1->SetAnchors(akSet(akRight) | akSet(akTop));
    Button2->SetAnchors(akSet(akRight) | akSet(akTop));

    // The owner-parameter page.
    pgc1 = placeControl<TPageControl>(this, this, "pgc1", 0, 0, 775, 427);
    pgc1->SetAlign(alClient);
    ts1 = new TTabSheet(this);
    ts1->SetName("ts1");
    ts1->SetCaption("Параметры владельца");
    ts1->SetPageControl(pgc1);
    pnl1 = placeControl<TPanel>(this, ts1, "pnl1", 0, 0, 180, 400);
    pnl1->SetAlign(alLeft);
    pnl1->SetBevelOuter(bvNone);
    pnl1->SetCaption("");
    pnl2 = placeControl<TPanel>(this, pnl1, "pnl2", 0, 367, 180, 33);
    pnl2->SetAlign(alBottom);
    pnl2->SetBevelOuter(bvNone);
    pnl2->SetCaption("");
    btnAdd1 = placeControl<TButton>(this, pnl2, "btnAdd1", 4, 4, 80, 25);
    btnAdd = placeControl<TButton>(this, pnl2, "btnAdd", 92, 4, 80, 25);
    tv1 = placeControl<TTreeView>(this, pnl1, "tv1", 0, 0, 180, 367);
    tv1->SetAlign(alClient);
    tv1->SetReadOnly(true);
    tv1->SetHideSelection(false);
    tv1->OnChange = [this](TObject* s, TTreeNode* n) { tv1Change(s, n); };
    tv1->OnChanging = [this](TObject* s, TTreeNode* n, bool& allow) { tv1Changing(s, n, allow); };
    spl1 = placeControl<TSplitter>(this, ts1, "spl1", 180, 0, 4, 400);
    spl1->SetAlign(alLeft);
    spl1->SetMinSize(139);
    CEditorsBox1 = placeControl<TCEditorsBox>(this, ts1, "CEditorsBox1", 184, 0, 580, 400);
    CEditorsBox1->SetAlign(alClient);
    CEditorsBox1->SetMarkRequiredFields(true);
    CEditorsBox1->OnCreateEditor = [this](TObject* s, TCompoundEdit* e, TCEditsEntryType t, String n, String& c,
                                          String& v) { return CEditorsBox1CreateEditor(s, e, t, n, c, v); };
    CEditorsBox1->OnSetEditorValue = [this](TObject* s, TCompoundEdit* e, String& v) {
        return DoSetSerialValue(s, e, v);
    };

    tmr1 = new TTimer(this);
    tmr1->SetName("tmr1");
    tmr1->SetInterval(200);
    tmr1->OnTimer = [this](TObject* s) { tmr1Timer(s); };

    actlst1 = new TActionList(this);
    actlst1->SetName("actlst1");
    act1 = makeAction(actlst1, "act1", "Принять", "");
    act1->SetEnabled(false);
    act1->OnExecute = [this](TObject* s) { act1Execute(s); };
    act1->OnUpdate = [this](TObject* s) { act1Update(s); };
    actAdd = makeAction(actlst1, "actAdd", "Добавить", "Добавить стороннее расширение");
    actAdd->OnExecute = [this](TObject* s) { actAddExecute(s); };
    act2 = makeAction(actlst1, "act2", "Удалить", "Удалить стороннее расширение");
    actDelete = makeAction(actlst1, "actDelete", "Удалить", "Удалить нестандартное расширение");
    actDelete->OnExecute = [this](TObject* s) { actDeleteExecute(s); };
    actDelete->OnUpdate = [this](TObject* s) { actDeleteUpdate(s); };
    Button1->SetAction(act1);
    btnAdd1->SetAction(actAdd);
    btnAdd->SetAction(actDelete);

    pm1 = new TPopupMenu(this);
    pm1->SetName("pm1");
    addActionItems(this, pm1->Items(), {actAdd, nullptr, actDelete});

    cmpstrg1 = new TCCompStorage(this);
    cmpstrg1->SetName("cmpstrg1");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZrXForms");
    cmpstrg1->SetValueName("%FORMNAME%");
    cmpstrg1->SetStorePosition(true);
    cmpstrg1->GetStoredProps()->SetText("pnl1.Width\nflbx1.Checked\nflbx2.Checked");
    frmtrnsltr1 = new TCFormTranslator(this);
    frmtrnsltr1->SetName("frmtrnsltr1");
    frmtrnsltr1->SetDefLanguageID(1);
    frmtrnsltr1->SetPropsToChange("Caption,Hint,Items");

    OnKeyDown = [this](TObject* s, uint16_t& key, TShiftState shift) { FormKeyDown(s, key, shift); };
    OnCloseQuery = [this](TObject* s, bool& can) { FormCloseQuery(s, can); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };

    // Password policy.
    testPassword_ = getPassMinMax(&minPassword_, &maxPassword_);
    if (maxPassword_ != 0)
        for (TPasswordEdit* e : {PasswordEdit, PasswordConfirm}) e->SetMaxLength(maxPassword_);

    setExtensionEditMode(false);
    checks_ = {{checkRequired, this}, {checkLength, this}, {checkEmail, this}};

    // The destination: the location frame for writing keys.
    ctxFrame_ = new TCtxPtromptFrame(this);
    ctxFrame_->SetName("ctxPromptFrame");
    ctxFrame_->SetParent(grpDest);
    ctxFrame_->SetLeft(3);
    ctxFrame_->SetTop(16);
    ctxFrame_->OnMediaChange = [this](TObject* s, uint32_t media) { mediaChanged(s, media); };
    ctxFrame_->setFlags(TCFlags<unsigned int>(5));
    ctxFrame_->fillMediaTypes();
    ctxFrame_->init("GnKeys");
    ctxFrame_->setPlainEditMedia("$");
    translateComponentProperties(ctxFrame_);
    grpDest->SetHeight(std::max(grpDest->Height(), ctxFrame_->Top() + ctxFrame_->Height() + 4));
    ctxFrame_->SetWidth(grpDest->ClientWidth() - 6);

    serialHandler_ = [this](const std::string& text) { serialNumberRule(text); };
    idCard_ = false;
    registerPCBK(nullptr, 0, dialogPasswordCallback, nullptr);
    showKeyboardLayout(pnl4);
}

TEditUserParmsForm::~TEditUserParmsForm() {
    try {
        CEditorsBox1->getValues();
    } catch (const std::exception&) {}
    // The rows point into the maker's lists: none may be read after this.
    CEditorsBox1->Reset();
    registerPCBK(nullptr, 0, nullptr, nullptr);
    if (gOpenDialog == this) gOpenDialog = nullptr;
}

// ---- set-up

bool TEditUserParmsForm::initFromMaker(TCRequestParamMaker* maker) {
    maker_ = maker;
    const TCXProfileDescriptor* profile = maker->profile();
    const uint32_t pflags = profile ? profile->flags : 0;
    if (pflags & kPfStartCertOnly) maker->flags().set(kRpmStartCertFixed);
    const unsigned mflags = maker->flagsValue();

    chckbxs1->SetVisible(mflags & kRpmModeBoxes);
    grpAlg->SetVisible(mflags & kRpmModeBoxes);
    grpDest->SetVisible(mflags & kRpmDestination);
    grpPassw->SetVisible(mflags & kRpmAskPassword);
    layoutGroups();
    if (mflags & kRpmChangeCaption) grpPassw->SetCaption(tr("Смена пароля").str());

    // Algorithms: one item per candidate set, the set's index as its value.
    auto fillParams = [maker](TCFlagsBox* box, int count, bool ka, int chosen) {
        box->Clear();
        for (int i = 0; i < count; ++i) {
            const TZrX509GenParams* gp = ka ? maker->kaCandidate(i) : maker->signCandidate(i);
            const TZrXP12Params* p = gp ? maker->cryptoTemplate().findParams(gp->name().c_str()) : nullptr;
            const TCString caption = p ? getCryptoParsCaption(p) : (gp ? gp->caption() : TCString());
            box->AddItem(caption.c_str(), uint64_t(i), true);
        }
        if (chosen >= 0 && count > 0) box->SetChecked(uint64_t(chosen));
    };
    fillParams(flbx1, maker->signCandidateCount(), false, maker->signParamsIndex());
    fillParams(flbx2, maker->kaCandidateCount(), true, maker->kaParamsIndex());
    // Without signature sets there is nothing to choose (a key-agreement profile).
    flbx1->SetEnabled(maker->signCandidateCount() > 0);
    lbl4->SetEnabled(maker->signCandidateCount() > 0);

    rootEntry_.setList(&maker->nameList());
    createPages();
    buildTree();
    tv1->SetSelected(ownerNode_);
    // Selecting the node showed the entry already; showing it again would
    // put the entries' values over the editors' proposals.
    if (CEditorsBox1->getEntry() != &rootEntry_) CEditorsBox1->setEntry(&rootEntry_);

    // Generation modes.
    TCXExtList& full = maker->fullExtensions();
    chckbxs1->SetIsChecked(kModeStartCert, full.findByPath("extendedKeyUsage\\tempCertificate") != nullptr);
    chckbxs1->SetIsEnabled(kModeStartCert, !(pflags & kPfStartCertOnly));
    const TCXEditsEntry* ku = full.findByName("keyUsage");
    const TCString usage = ku ? ku->getValue().toLower() : TCString();
    chckbxs1->SetIsChecked(kModeSign, ku && usage.pos("digitalsignature") >= 0);
    chckbxs1->SetIsChecked(kModeKA, ku && usage.pos("keyagreement") >= 0);
    chckbxs1->SetIsEnabled(kModeSign, pflags & kPfSignChoice);
    chckbxs1->SetIsEnabled(kModeKA, pflags & kPfKAChoice);
    chckbxs1ChekBoxClick(nullptr);

    localityRule();
    pgc1->SetActivePage(ts1);
    if (maker->flags().isSet(kRpmStartCertFixed)) chckbxs1->SetIsEnabled(kModeStartCert, false);
    if (maker->flags().isSet(kRpmStartCertOff)) chckbxs1->SetIsChecked(kModeStartCert, false);

    maker->storageName() = "";
    ctxFrame_->setFileExistsContext(&maker->storageName());
    return true;
}

void TEditUserParmsForm::layoutGroups() {
    const bool boxes = chckbxs1->Visible(), dest = grpDest->Visible(), pass = grpPassw->Visible();
    const int left = boxes ? kRightColumn : kLeftColumn;
    const int width = ClientWidth() - left - kLeftColumn;
    int row = kTop;
    for (TGroupBox* g : {grpDest, grpPassw}) {
        if (!g->Visible()) continue;
        g->SetBounds(left, row, width, g->Height());
        row = g->Top() + g->Height() + kGap;
    }
    if (ctxFrame_) ctxFrame_->SetWidth(grpDest->ClientWidth() - 6);
    // The algorithm boxes start after the wider (translated) label.
    const int boxLeft = 8 + std::max(lbl4->Width(), lbl5->Width()) + 6;
    for (TCFlagsBox* box : {flbx1, flbx2})
        box->SetBounds(boxLeft, box->Top(), grpAlg->Width() - boxLeft - 8, box->Height());
    if (boxes) row = std::max(row, grpAlg->Top() + grpAlg->Height() + kGap);
    // The buttons under the lowest group; with no group the panel is the button row.
    const int buttonsTop = (boxes || dest || pass) ? row + 4 : 8;
    Button1->SetTop(buttonsTop);
    Button2->SetTop(buttonsTop);
    Button2->SetLeft(ClientWidth() - kLeftColumn - Button2->Width());
    Button1->SetLeft(Button2->Left() - 7 - Button1->Width());
    Panel1->SetHeight(Button2->Top() + Button2->Height() + 8);
}

void TEditUserParmsForm::createPages() {
    const TCXProfileDescriptor* profile = maker_->profile();
    const TCString list = profile ? profile->frames.text(',') : TCString();
    createReqPropsFrames(list.c_str(), this, pages_);
    for (TCBaseReqPropsFrame* frame : pages_) {
        auto* sheet = new TTabSheet(this);
        sheet->SetPageControl(pgc1);
        sheet->SetTabVisible(true);
        sheet->SetCaption(frame->caption().str());
        frame->SetParent(sheet);
        frame->SetAlign(alClient);
        frame->loadPars(maker_, this);
        frame->setCompact(hideRevocationPhrase());
    }
}

void TEditUserParmsForm::buildTree() {
    TTreeNodes* items = tv1->Items();
    items->BeginUpdate();
    items->Clear();
    ownerNode_ = items->AddChildObject(nullptr, tr("Параметры владельца").str(), &rootEntry_);
    extNode_ = nullptr;
    TCXExtList& exts = maker_->editExtensions();
    if (exts.count() > 0) {
        extNode_ = items->AddChildObject(nullptr, tr("Дополнения X.509").str(), nullptr);
        for (int i = 0; i < exts.count(); ++i) items->AddChildObject(extNode_, exts.at(i)->caption().str(), exts.at(i));
    }
    tv1->FullExpand();
    items->EndUpdate();
    tv1->SetSelected(items->GetFirstNode());
}

// ---- tree

void TEditUserParmsForm::tv1Change(TObject*, TTreeNode* Node) {
    if (!Node) return;
    TCXEditsEntry* entry = entryOfNode(Node);
    if (!entry) {
        if (Node->Count() > 0) tv1->SetSelected(Node->Item(0));
        return;
    }
    CEditorsBox1->setEntry(entry);
    if (Visible() && CEditorsBox1->GetEditorCount() > 0) {
        try {
            focusControl(CEditorsBox1->GetControls(0));
        } catch (const std::exception&) {}
    }
}

void TEditUserParmsForm::tv1Changing(TObject*, TTreeNode* Node, bool& AllowChange) {
    if (tv1->Selected() && Node != tv1->Selected()) AllowChange = checkPageLeave();
}

bool TEditUserParmsForm::checkPageLeave() {
    for (int i = 0; i < CEditorsBox1->GetEditorCount(); ++i) {
        auto* editor = dynamic_cast<TCompoundHistoryEdit*>(CEditorsBox1->GetControls(i));
        TCXEditsEntry* entry = CEditorsBox1->entryAt(i);
        if (!editor || !entry) continue;
        String value = editor->getUCTextValue();
        if (!value.empty() && isCapitalisedField(entry->getName().c_str())) {
            value = capitaliseFirst(value);
            editor->setUCTextValue(value);
        }
        if (entry->hasFlag(xefOptional)) {
            // An optional field is checked only when its mask was typed into,
            // and then it must be complete: a half-filled mask would lose the
            // typed part.
            if (!editor->isMasked() || MaskIsBlank(editor->EditMask(), editor->EditText())) continue;
            int pos = 0;
            if (value.empty() || !MaskValidate(editor->EditMask(), editor->EditText(), pos)) {
                refuseAt(editor, format1("Параметр \"%s\" должен быть либо заполнен полностью, либо оставаться пустым!",
                                         entry->caption().str()));
                return false;
            }
        }
        entry->setValue(value.c_str());
        if (!checkEntry(entry)) {
            focusControl(editor);
            return false;
        }
    }
    return true;
}

// ---- checks

bool TEditUserParmsForm::checkEntry(TCXEditsEntry* entry) {
    for (const auto& [check, form] : checks_)
        if (!check(form, entry)) return false;
    return true;
}

bool TEditUserParmsForm::checkEntries(TCXEditsEntry* entry) {
    if (!entry) return true;
    if (entry == CEditorsBox1->getEntry()) CEditorsBox1->getValues();
    TCXEditsEntry* failed = nullptr;
    if (entry->isSimple()) {
        if (!checkEntry(entry)) failed = entry;
    } else if (TCXEditsList* subs = entry->getSubEntries()) {
        for (int i = 0; i < subs->count() && !failed; ++i)
            if (!checkEntry(subs->at(i))) failed = subs->at(i);
    }
    if (!failed) return true;
    pgc1->SetActivePage(ts1);
    for (int i = 0; i < tv1->Items()->Count(); ++i)
        if (entryOfNode(tv1->Items()->Item(i)) == entry) {
            tv1->SetSelected(tv1->Items()->Item(i));
            break;
        }
    if (TCompoundEdit* editor = CEditorsBox1->editorOfEntry(failed)) focusControl(editor);
    return false;
}

bool checkRequired(TEditUserParmsForm* form, TCXEditsEntry* entry) {
    TCRequestParamMaker* maker = form->maker_;
    if (!entry->getValue().isEmpty() || entry->hasFlag(xefOptional | xefNotRequired)) return true;
    if (maker && maker->pattern() && entry->hasFlag(xefFromPattern)) return true;
    TCompoundEdit* editor = form->CEditorsBox1->editorOfEntry(entry);
    if (editor && !editor->Enabled()) return true;

    if (!entry->getAltList().isEmpty()) {
        TCStringList names;
        names.assignText(entry->getAltList(), ',');
        std::vector<std::string> captions;
        for (int i = 0; i < names.count(); ++i) {
            const TCString name = TCString(names[i]).trim();
            TCXEditsEntry* alt = maker ? maker->editExtensions().findByName(name.c_str(), true) : nullptr;
            if (alt && !alt->getValue().isEmpty()) return true;
            captions.push_back(alt ? alt->caption().str() : name.str());
        }
        messageDlg(format1("Один из параметров: \"%s\", должен быть обязательно заполнен!",
                           alternativesCaption(entry->caption().str(), captions)),
                   mtError, mbSet(mbOK));
        return false;
    }
    const TLabel* label = form->labelOf(editor);
    const std::string caption = label ? requiredFieldCaption(label->Caption()) : entry->caption().str();
    messageDlg(format1("Параметр \"%s\" должен быть обязательно заполнен!", caption), mtError, mbSet(mbOK));
    return false;
}

bool checkLength(TEditUserParmsForm*, TCXEditsEntry* entry) {
    constexpr int kMaxCodeLength = 10;
    const int nid = zrxNid(ZrXObject::DRFOUCode);
    if (entry->getNid() != nid && !entry->getName().equalsIC(zrxShortName(ZrXObject::DRFOUCode))) return true;
    if (lengthFits(entry->getValue().str(), kMaxCodeLength)) return true;
    messageDlg(
        TCFString(zrnTranslateString("Значение параметра \"%s\" должно быть длиной  не больше %d символов!").c_str(),
                  entry->caption().c_str(), kMaxCodeLength),
        mtError, mbSet(mbOK));
    return false;
}

bool checkEmail(TEditUserParmsForm*, TCXEditsEntry* entry) {
    if (!entry->getName().equalsIC("email")) return true;
    std::string bad;
    switch (checkEmailText(entry->getValue().str(), &bad)) {
    case EmailVerdict::Ok: return true;
    case EmailVerdict::Malformed:
        messageDlg(format1("Значение параметра \"%s\" заполнено некорректно!", entry->caption().str()), mtError,
                   mbSet(mbOK));
        return false;
    case EmailVerdict::BadChar:
        // The character is shown whole, whatever its length in bytes.
        messageDlg(TCFString(zrnTranslateString("Значение параметра \"%s\" не может содержать символ '%s'!").c_str(),
                             entry->caption().c_str(), bad.c_str()),
                   mtError, mbSet(mbOK));
        return false;
    }
    return false;
}

// ---- editor hooks

int TEditUserParmsForm::rowOf(const TCompoundEdit* editor) const {
    for (int i = 0; editor && i < CEditorsBox1->GetEditorCount(); ++i)
        if (CEditorsBox1->GetControls(i) == editor) return i;
    return -1;
}

TLabel* TEditUserParmsForm::labelOf(const TCompoundEdit* editor) const { return CEditorsBox1->GetLabel(rowOf(editor)); }

TCompoundEdit* TEditUserParmsForm::editorOf(const char* name) const { return CEditorsBox1->editorByName(name); }

bool TEditUserParmsForm::comesBefore(const TCompoundEdit* a, const TCompoundEdit* b) const {
    const int ia = rowOf(a), ib = rowOf(b);
    return ia >= 0 && ib >= 0 && ia < ib;
}

void TEditUserParmsForm::chainExit(TCompoundEdit* editor, std::function<void()> step) {
    TNotifyEvent before = editor->OnExit;
    editor->OnExit = [before, step](TObject* s) {
        if (before) before(s);
        step();
    };
}

void TEditUserParmsForm::chainChange(TCompoundEdit* editor, std::function<void()> step) {
    TNotifyEvent before = editor->OnChange;
    editor->OnChange = [before, step](TObject* s) {
        if (before) before(s);
        step();
    };
}

void TEditUserParmsForm::attachNameFilter(TCompoundEdit* editor) {
    TKeyPressEvent before = editor->OnKeyPress;
    editor->OnKeyPress = [before](TObject* s, char32_t& key) {
        if (before) before(s, key);
        if (key && !nameKeyAllowed(key)) key = 0;
    };
    // Pasted text passes the same filter, on change and on leaving.
    auto clean = [this, editor] {
        if (filtering_) return;
        const String text = editor->GetText();
        const String kept = filterNameText(text);
        if (kept == text) return;
        filtering_ = true;
        editor->SetText(kept);
        filtering_ = false;
    };
    chainChange(editor, clean);
    chainExit(editor, clean);
}

bool TEditUserParmsForm::CEditorsBox1CreateEditor(TObject*, TCompoundEdit* editor, TCEditsEntryType, String name,
                                                  String&, String& value) {
    const std::string field = LowerCase(name);
    auto* history = dynamic_cast<TCompoundHistoryEdit*>(editor);
    const TCXProfileDescriptor* profile = maker_ ? maker_->profile() : nullptr;

    if (field == "cn" || field == "email" || field == "sn" || field == "gn") {
        if (!history) return true;
        history->SetNewValueName(name + "." + (profile ? profile->name.str() : String()));
        if (field == "email" && value.empty() && profile && ((profile->flags & kPfEmailDomain) || profile->id == 1)) {
            const TCString domain = getCFGMacroValue("CA_DOMAIN");
            if (!domain.isEmpty()) value = TCFString("@%s", domain.c_str()).str();
        }
        if (field == "sn" || field == "gn") {
            chainExit(editor, [this] { composeCommonName(); });
            const TCXEditsEntry* entry = findTreeEntry(name.c_str());
            if (!entry || !entry->hasFlag(xefNoKeyFilter)) attachNameFilter(editor);
        } else if (field == "cn") {
            chainExit(editor, [this] { splitCommonName(); });
        }
    } else if (field == "l") {
        if (history) chainChange(editor, [this] { localityRule(); });
    } else if (field == "serialnumber") {
        chainExit(editor, [this, editor] {
            if (serialHandler_) serialHandler_(Trim(editor->getTextValue()));
        });
    } else if (field == "st") {
        presetRegionHistory(editor);
    } else if (field == "zorenpspnumber") {
        if (history) {
            pspMask_ = editor->EditMask();
            chainExit(editor, [this] { identityCodeRule(); });
        }
    } else if (field == "unzr") {
        if (history) chainChange(editor, [this] { recordNumberRule(); });
    }
    return true;
}

bool TEditUserParmsForm::DoSetSerialValue(TObject*, TCompoundEdit* editor, String& value) {
    const TCXProfileDescriptor* profile = maker_ ? maker_->profile() : nullptr;
    if (!editor || !SameText(editor->Name(), "serialNumber") || value.empty() || !profile ||
        !serviceTokenPrefix(profile->id))
        return false;
    value = serialWithProfileDigit(profile->id, value);
    serialNumberRule(value);
    return false;
}

void TEditUserParmsForm::localityRule() {
    TCompoundEdit* l = editorOf("L");
    TCompoundEdit* st = editorOf("ST");
    if (!l || !st) return;
    const bool capital = strIsKiev(l->getTextValue().c_str());
    TCXEditsEntry* entry = CEditorsBox1->entryOfEditor(st);
    st->enable(!capital);
    if (TLabel* label = labelOf(st)) label->SetEnabled(!capital);
    if (entry) entry->setFlag(xefNotRequired, capital);
    if (capital) st->setTextValue("");
}

void TEditUserParmsForm::composeCommonName() {
    TCompoundEdit* sn = editorOf("SN");
    TCompoundEdit* gn = editorOf("GN");
    TCompoundEdit* cn = editorOf("CN");
    if (!sn || !gn || !cn || !comesBefore(gn, cn)) return;
    const String snText = sn->getTextValue(), gnText = gn->getTextValue();
    const TCXEditsEntry* snEntry = CEditorsBox1->entryOfEditor(sn);
    if (snText.empty() || gnText.empty() || (snEntry && snEntry->hasFlag(xefOptional))) return;
    const std::string name = userparms::composeCommonName(snText, gnText);
    cn->setTextValue(name);
    if (grpDest->Visible()) ctxFrame_->setDefaultFileName(uaTranslitFileName(name.c_str(), ".pfx").c_str());
}

void TEditUserParmsForm::splitCommonName() {
    TCompoundEdit* cn = editorOf("CN");
    if (!cn) return;
    const String text = cn->getTextValue();
    if (text.empty()) return;
    if (grpDest->Visible()) ctxFrame_->setDefaultFileName(uaTranslitFileName(text.c_str(), ".pfx").c_str());
    TCompoundEdit* sn = editorOf("SN");
    TCompoundEdit* gn = editorOf("GN");
    if (!sn || !gn || !comesBefore(cn, sn)) return;
    const TCXEditsEntry* snEntry = CEditorsBox1->entryOfEditor(sn);
    if (snEntry && snEntry->hasFlag(xefOptional)) return;
    std::string surname, given;
    userparms::splitCommonName(text, surname, given);
    sn->setTextValue(surname);
    if (!given.empty()) gn->setTextValue(given);
}

void TEditUserParmsForm::serialNumberRule(const std::string& text) {
    const TCXProfileDescriptor* profile = maker_ ? maker_->profile() : nullptr;
    const std::string label = serviceTokenLabel(profile ? profile->id : 0, text);
    if (label.empty()) return;
    ctxFrame_->setTokenLabel(label.c_str());
    if (grpDest->Visible()) ctxFrame_->setDefaultFileName((label + ".pfx").c_str());
}

void TEditUserParmsForm::identityCodeRule() {
    TCompoundEdit* doc = editorOf("zorenPSPNumber");
    TCompoundEdit* code = editorOf("DRFOU_Code");
    if (!doc || !code || comesBefore(doc, code)) return;
    const TCXEditsEntry* codeEntry = CEditorsBox1->entryOfEditor(code);
    if (!codeEntry || codeEntry->canEmpty()) return;
    const String number = Trim(doc->getTextValue());
    if (!number.empty() && Trim(code->getTextValue()).empty()) code->setTextValue(drfouFromDocument(number));
}

void TEditUserParmsForm::recordNumberRule() {
    TCompoundEdit* doc = editorOf("zorenPSPNumber");
    TCompoundEdit* record = editorOf("unzr");
    TLabel* label = labelOf(doc);
    const TCXEditsEntry* entry = CEditorsBox1->entryOfEditor(doc);
    if (!doc || !record || !label || !entry) return;
    const bool filled = !record->GetText().empty();
    if (filled == idCard_) return;
    idCard_ = filled;
    if (filled) {
        doc->SetEditMask(kIdCardMask);
        label->SetCaption(idCardLabel(!entry->canEmpty()));
    } else {
        doc->SetEditMask(pspMask_);
        label->SetCaption(entry->longName_nf().str());
    }
    doc->SetText("");
}

TCXEditsEntry* TEditUserParmsForm::findTreeEntry(const char* fieldName) const {
    for (int i = 0; i < tv1->Items()->Count(); ++i)
        if (TCXEditsEntry* e = entryOfNode(tv1->Items()->Item(i)))
            if (TCXEditsEntry* found = e->findByName(fieldName)) return found;
    return nullptr;
}

void TEditUserParmsForm::setEntryValue(const char* fieldName, const char* text) {
    if (TCompoundEdit* editor = editorOf(fieldName)) editor->setTextValue(text);
    if (TCXEditsEntry* entry = findTreeEntry(fieldName)) entry->setValue(text);
}

// ---- modes, media, layout indicator

void TEditUserParmsForm::chckbxs1ChekBoxClick(TObject*) {
    const bool ka = chckbxs1->GetIsChecked(kModeKA);
    flbx2->SetEnabled(ka);
    lbl5->SetEnabled(ka);
}

void TEditUserParmsForm::mediaChanged(TObject*, uint32_t mediaType) {
    lbl1->SetCaption(tr(passwordLabelFor(mediaType)).str());
    const bool confirm = confirmShownFor(mediaType);
    lbl2->SetVisible(confirm);
    PasswordConfirm->SetVisible(confirm);
}

void TEditUserParmsForm::tmr1Timer(TObject*) { showKeyboardLayout(pnl4); }

// ---- accept

void TEditUserParmsForm::act1Update(TObject*) {
    // Runs on every idle tick: the texts are looked at in wiped memory only.
    const TCSecretString password = PasswordEdit->Secret();
    const TCSecretString confirm = PasswordConfirm->Secret();
    act1->SetEnabled(acceptEnabled(grpPassw->Visible(), {password.c_str(), password.length()},
                                   PasswordConfirm->Visible(), {confirm.c_str(), confirm.length()}, minPassword_));
}

void TEditUserParmsForm::act1Execute(TObject*) { SetModalResult(validate() ? mrOk : mrNone); }

void TEditUserParmsForm::Button1Click(TObject* Sender) { act1Execute(Sender); }

bool TEditUserParmsForm::validate() {
    if (!maker_) return false;
    // The password must reach the caller whole: never cut to its buffer.
    if (grpPassw->Visible() && passwordCapacity_ > 0) {
        const TCSecretString typed = PasswordEdit->Secret();
        if (trimmedPassword({typed.c_str(), typed.length()}).size() >= passwordCapacity_) {
            refuseAt(PasswordEdit, tr("Пароль слишком длинный!").str());
            return false;
        }
    }
    // 1. Fields.
    if (!checkEntries(&rootEntry_)) return false;
    TCXExtList& exts = maker_->editExtensions();
    for (int i = 0; i < exts.count(); ++i)
        if (!checkEntries(exts.at(i))) return false;
    // 2. Pages.
    for (TCBaseReqPropsFrame* page : pages_)
        if (!page->storePars(maker_)) return false;
    // 3. Modes.
    const ModeFlags modes =
        applyModes(maker_->flagsValue(), chckbxs1->Visible(), chckbxs1->GetIsChecked(kModeStartCert),
                   chckbxs1->GetIsChecked(kModeSign), chckbxs1->GetIsChecked(kModeKA));
    maker_->flags() = TCFlags<unsigned int>(modes.flags);
    if (!modes.keysChosen) {
        messageBox(nullptr, tr("Необходимо задать хотя бы один из режимов формирования ключей!").c_str(),
                   tr("Не задан режим генерации").c_str(), 16);
        pgc1->SetActivePage(ts1);
        focusControl(chckbxs1);
        return false;
    }
    // Both usages are written each time, so a refusal after an earlier
    // accept never leaves a stale one.
    TCXExtList& full = maker_->fullExtensions();
    setFlagsValue(&full, "extendedKeyUsage", zrxShortName(ZrXObject::GenKAKeys),
                  maker_->flags().isSet(kRpmKAParams) ? 1 : 0, 1, "set", false);
    setFlagsValue(&full, "extendedKeyUsage", zrxShortName(ZrXObject::TempCertificate),
                  maker_->flags().isSet(kRpmStartCert) ? 1 : 0, 1, "set", false);
    // 4. Destination, 5. algorithms.
    return checkDestination() && selectParams();
}

bool TEditUserParmsForm::checkDestination() {
    if (!grpDest->Visible()) return true;
    const TCString path = ctxFrame_->getPathText();
    switch (checkPathText(path.c_str(), ZrX_IsFileContainer(path.c_str()) == 1)) {
    case PathRefusal::Empty:
        refuseAt(ctxFrame_->pathEditor(), tr("Необходимо задать путь для сохранения личных ключей!").str());
        return false;
    case PathRefusal::NoMedium:
        refuseAt(ctxFrame_->pathEditor(),
                 tr("Необходимо явно указать имя носителя для сохранения личных ключей!").str());
        return false;
    case PathRefusal::None: break;
    }
    const bool startupDevice = maker_->flags().isSet(kRpmStartupPassword) && PasswordConfirm->Visible();
    // Only wiped memory holds the password.
    TCSecretString password;
    if (startupDevice) {
        password.assign(ZrX_CheckDefPassword(path.c_str(), 0).c_str());
    } else {
        const TCSecretString typed = PasswordEdit->Secret();
        const std::string_view trimmed = trimmedPassword({typed.c_str(), typed.length()});
        password.assign(trimmed.data(), trimmed.size());
    }
    const TCString container = ctxFrame_->containerPath();
    if (isAdminContainer(container.c_str(), getCFGMacroValue("adminCtxName").c_str())) {
        refuseAt(ctxFrame_->pathEditor(),
                 format1("Выбранный контейнер с именем '%s' содержит ключи текущего администратора!", container.str()));
        return false;
    }
    if (ctxFrame_->selectDevice(1, password.c_str()) != 1) return false;
    maker_->cleanOnCommit() = ctxFrame_->cleanOnCommit();
    if (TZrX509Csp* csp = maker_->getCsp()) {
        csp->setContainerName(ctxFrame_->resolvedLocation.c_str());
        csp->container()->setDp(password.c_str());
    }
    return true;
}

bool TEditUserParmsForm::selectParams() {
    if (!grpAlg->Visible()) return true;
    auto refuse = [this](TCFlagsBox* box) {
        // The library's text of the refusal: OK never fails without a word.
        refuseAt(box, KRTL_GetTextMessage(zrx::container::kErrNoCryptoParams).str());
        return false;
    };
    if (flbx1->Enabled() && !maker_->selectSignPars(int(flbx1->GetChecked()))) return refuse(flbx1);
    if (flbx2->Enabled() && !maker_->selectKAPars(int(flbx2->GetChecked()))) return refuse(flbx2);
    // A key-agreement key that cannot sign its own request needs signature
    // keys made with it: said here, while what was typed is still there.
    if (flbx2->Enabled() && !maker_->kaRequestSignable(maker_->kaParamsIndex(), maker_->flags().isAny(kRpmSignKeys))) {
        const TZrX509GenParams* p = maker_->kaParams();
        refuseAt(flbx2, format1("Ключи связи с алгоритмом \"%s\" не могут подписать собственный запрос. Выберите "
                                "другой алгоритм или создавайте их вместе с ключами ЭП.",
                                p ? p->caption().str() : std::string()));
        return false;
    }
    return true;
}

void TEditUserParmsForm::focusControl(TWinControl* control) {
    if (!control) return;
    if (control->CanFocus()) control->SetFocus();
    else SetActiveControl(control);
}

void TEditUserParmsForm::refuseAt(TWinControl* control, const std::string& message) {
    messageDlg(message, mtError, mbSet(mbOK));
    focusControl(control);
}

// ---- keys and closing

void TEditUserParmsForm::putTestPassword(const char* password, bool both) {
    PasswordEdit->SetText(password);
    PasswordConfirm->SetText(both ? String(password) : PasswordEdit->GetText());
}

void TEditUserParmsForm::PasswordEditDblClick(TObject*) {
    if (const char* p = testerPasswordFor(tdOwnerParams, '1', ssCtrl | ssAlt)) putTestPassword(p, true);
}

void TEditUserParmsForm::fillTestOwner() {
    const TCString stamp = gmCompactStr(u_time());
    setEntryValue("CN", TCFString("TestUser %s", stamp.c_str()).c_str());
    setEntryValue("zorenExtUserID", TCFString("TestUser%s", stamp.c_str()).c_str());
    putTestPassword(testPassword_.c_str(), true);
}

namespace {
TCompoundEdit* droppedIn(const TWinControl* parent) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (auto* edit = dynamic_cast<TCompoundEdit*>(c); edit && edit->haseDropped()) return edit;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (TCompoundEdit* inner = droppedIn(w)) return inner;
    }
    return nullptr;
}
}  // namespace

TCompoundEdit* TEditUserParmsForm::droppedEditor() const { return droppedIn(this); }

void TEditUserParmsForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    if (Key == 27 /* Escape */) {
        Key = 0;
        // Escape on an open list closes the list only.
        if (TCompoundEdit* dropped = droppedEditor()) dropped->hideDropped();
        else Close();
        return;
    }
    if ((Shift & (ssCtrl | ssAlt)) != (ssCtrl | ssAlt)) return;
    if (Key == '1' || Key == '3') {
        if (const char* p = testerPasswordFor(tdOwnerParams, Key, Shift)) {
            putTestPassword(p, Key == '1');
            Key = 0;
        }
    } else if ((Key == 78 || Key == 110) && testerShortcutsBuilt()) {
        fillTestOwner();
        Key = 0;
    }
}

void TEditUserParmsForm::FormCloseQuery(TObject*, bool& CanClose) {
    if (ModalResult() == mrOk) {
        if (TCompoundEdit* dropped = droppedEditor()) dropped->hideDropped();
        return;
    }
    if (TCompoundEdit* dropped = droppedEditor()) {
        dropped->hideDropped();
        SetModalResult(mrNone);
        CanClose = false;
        return;
    }
    if (messageDlg(tr("Отменить генерацию ключей?").str(), mtInformation, mbSet(mbYes, mbNo)) != mrYes) {
        SetModalResult(mrNone);
        CanClose = false;
    }
}

void TEditUserParmsForm::FormClose(TObject*, TCloseAction&) {}

// ---- extension-edit mode

void TEditUserParmsForm::setExtensionEditMode(bool on) {
    extEditMode_ = on;
    actAdd->SetVisible(on);
    actDelete->SetVisible(on);
    pnl2->SetVisible(on);
    tv1->SetPopupMenu(on ? pm1 : nullptr);
}

void TEditUserParmsForm::actAddExecute(TObject*) {
    TCString format;
    if (!selectUserObject(&format, true)) return;
    auto entry = std::make_unique<TCX509ExtEntry>();
    if (zrx::x509::failed(entry->parse(format.c_str()))) return;
    entry->setFlag(xefUserAdded);
    TCXExtList& exts = maker_->editExtensions();
    if (exts.findEntry(entry.get())) {
        messageDlg(format1("Расширение \"%s\" уже присутствует в списке!", entry->caption().str()), mtError,
                   mbSet(mbOK));
        return;
    }
    TCX509ExtEntry* added = entry.release();
    exts.add(added);
    if (!extNode_) extNode_ = tv1->Items()->AddChildObject(nullptr, tr("Дополнения X.509").str(), nullptr);
    TTreeNode* node = tv1->Items()->AddChildObject(extNode_, added->caption().str(), added);
    tv1->FullExpand();
    tv1->SetSelected(node);
}

void TEditUserParmsForm::actDeleteUpdate(TObject*) {
    const TCXEditsEntry* entry = entryOfNode(tv1->Selected());
    actDelete->SetEnabled(entry && entry->hasFlag(xefUserAdded));
}

void TEditUserParmsForm::actDeleteExecute(TObject*) {
    TTreeNode* node = tv1->Selected();
    TCXEditsEntry* entry = entryOfNode(node);
    if (!entry || !entry->hasFlag(xefUserAdded)) return;
    // The editors box lets go of the entry before it is freed.
    if (CEditorsBox1->getEntry() == entry) CEditorsBox1->setEntryEx(nullptr, false);
    node->SetData(nullptr);
    maker_->editExtensions().remove(entry);
    buildTree();
}

// ---- entry

TEditUserParmsForm* openEditUserParmsForm() { return gOpenDialog; }

bool execEditUserParmsFormEx(TCRequestParamMaker* maker, char* password, size_t passwordSize, const char* description) {
    if (!maker) return false;
    TComponent* owner = Application->MainForm() ? static_cast<TComponent*>(Application->MainForm()) : Application;
    auto* form = CreateComponent<TEditUserParmsForm>(owner);
    bool accepted = false;
    try {
        gOpenDialog = form;
        form->setPasswordCapacity(password ? passwordSize : 0);
        if (description) form->SetCaption(description);
        if (form->initFromMaker(maker)) {
            accepted = form->ShowModal() == mrOk;
            if (accepted && form->grpPassw->Visible() && password && passwordSize > 0) {
                const TCSecretString typed = form->PasswordEdit->Secret();
                zrx_utf8::copyCut(trimmedPassword({typed.c_str(), typed.length()}), password, passwordSize);
            }
        }
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
    return accepted;
}
