#include "locations/DeviceListUnit.h"

#include "dialogs/AppServices.h"
#include "views/CertChainViewForm.h"
#include "dialogs/MessageView.h"
#include "components/CCompStorage.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/core/x509/CertsChain.h"
#include "platform/framework/Dialogs.h"
#include "platform/p11/P11Storage.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"
#include "views/ObjectFiles.h"

namespace {
constexpr TColor kSelectionBackground = 0xE8DACC;
constexpr int kSearchPanelMinEntries = 10;
constexpr int kColumnName = 0, kColumnLabel = 1, kColumnSerial = 2;
constexpr int kButtonWidth = 90, kButtonHeight = 25, kGap = 8;

// Shared by every instance for the run.
int gSortColumn = 0;
int gSortDirection = 1;

TButton* makeButton(TForm* form, TWinControl* parent, const char* name, int left) {
    auto* b = new TButton(form);
    b->SetName(name);
    b->SetParent(parent);
    b->SetBounds(left, kGap, kButtonWidth, kButtonHeight);
    return b;
}

// The text of a column of an item; null when the list view has no such column.
const String* columnText(TListView* lv, TListItem* item, int column, String& buffer) {
    if (column >= lv->Columns()->Count()) return nullptr;
    if (column == 0) buffer = item->Caption();
    else buffer = column - 1 < item->SubItems()->Count() ? item->SubItems()->Strings(column - 1) : String();
    return &buffer;
}

// The profile names of a "tknCertProfile" list: whole names separated by
// commas, semicolons or blanks.
bool profileListed(const TCString& list, const char* profile) {
    const TCString wanted(profile);
    std::string name;
    auto matches = [&] { return !name.empty() && TCString(name).equalsIC(wanted.c_str()); };
    for (const char c : std::string(list.c_str())) {
        if (c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (matches()) return true;
            name.clear();
        } else {
            name += c;
        }
    }
    return matches();
}

TCString translated(const char* format, const char* a, const char* b = nullptr) {
    return TCFString(zrnTranslateString(format).c_str(), a ? a : "", b ? b : "");
}
}  // namespace

int selDevSortColumn() { return gSortColumn; }
int selDevSortDirection() { return gSortDirection; }
void setSelDevSortState(int column, int direction) {
    gSortColumn = column;
    gSortDirection = direction < 0 ? -1 : 1;
}

IMPLEMENT_CLASS(TSelDevForm, TForm) {}

TSelDevForm::TSelDevForm(TComponent* AOwner, TCStringList* devices, bool check, bool plain)
    : TForm(AOwner), FDevices(devices) {
    SetName("SelDevForm");
    SetCaption("Выбор носителя");
    SetPosition(poScreenCenter);
    SetClientWidth(420);
    SetClientHeight(300);

    actlst1 = new TActionList(this);
    actlst1->SetName("actlst1");
    act1 = new TAction(this);
    act1->SetName("act1");
    act1->SetCaption("Выбрать");
    act1->SetActionList(actlst1);
    act1->OnExecute = [this](TObject* s) { act1Execute(s); };
    act1->OnUpdate = [this](TObject* s) { act1Update(s); };
    actInfo = new TAction(this);
    actInfo->SetName("actInfo");
    actInfo->SetCaption("Сертификат");
    actInfo->SetActionList(actlst1);
    actInfo->OnExecute = [this](TObject* s) { actInfoExecute(s); };

    pm1 = new TPopupMenu(this);
    pm1->SetName("pm1");
    addActionItems(this, pm1->Items(), {actInfo, nullptr, act1});

    pnl1 = new TPanel(this);
    pnl1->SetName("pnl1");
    pnl1->SetParent(this);
    pnl1->SetAlign(alTop);
    pnl1->SetHeight(48);
    pnl1->SetBevelOuter(bvNone);
    pnl1->SetCaption("");
    lbl1 = new TLabel(this);
    lbl1->SetName("lbl1");
    lbl1->SetParent(pnl1);
    lbl1->SetCaption("Подстрока для поиска носителя:");
    lbl1->SetBounds(kGap, 4, 300, 16);
    hst1 = new THistoryEdit(this);
    hst1->SetName("hst1");
    hst1->SetParent(pnl1);
    hst1->SetBounds(kGap, 22, 300, 21);
    hst1->SetMaxHistCount(20);
    hst1->RegInfo()->SetKey("Software\\Zoren\\SelDevForm");
    hst1->RegInfo()->SetValueName("hst1");
    hst1->OnChange = [this](TObject* s) { hst1Change(s); };
    btn3 = makeButton(this, pnl1, "btn3", 316);
    btn3->SetBounds(316, 20, 40, kButtonHeight);
    btn3->SetCaption(">>");
    btn3->SetHint("Искать  вперед");
    btn3->SetShowHint(true);
    btn3->OnClick = [this](TObject* s) { btn3Click(s); };
    btn4 = makeButton(this, pnl1, "btn4", 360);
    btn4->SetBounds(360, 20, 40, kButtonHeight);
    btn4->SetCaption("<<");
    btn4->SetHint("Искать назад");
    btn4->SetShowHint(true);
    btn4->OnClick = [this](TObject* s) { btn4Click(s); };

    pnl2 = new TPanel(this);
    pnl2->SetName("pnl2");
    pnl2->SetParent(this);
    pnl2->SetAlign(alBottom);
    pnl2->SetHeight(41);
    pnl2->SetBevelOuter(bvNone);
    pnl2->SetCaption("");
    btnInfo = makeButton(this, pnl2, "btnInfo", kGap);
    btnInfo->SetAction(actInfo);
    btn1 = makeButton(this, pnl2, "btn1", 420 - 2 * (kButtonWidth + kGap));
    btn1->SetAction(act1);
    btn1->SetDefault(true);
    btn2 = makeButton(this, pnl2, "btn2", 420 - (kButtonWidth + kGap));
    btn2->SetCaption("Отменить");
    btn2->SetCancel(true);
    btn2->SetModalResult(mrCancel);
    for (TButton* b : {btn1, btn2}) b->SetAnchors(akSet(akRight) | akSet(akTop));

    lv1 = new TListView(this);
    lv1->SetName("lv1");
    lv1->SetParent(this);
    lv1->SetAlign(alClient);
    lv1->SetViewStyle(vsReport);
    lv1->SetGridLines(true);
    lv1->SetReadOnly(true);
    lv1->SetRowSelect(true);
    lv1->SetHideSelection(false);
    lv1->SetPopupMenu(pm1);
    const std::pair<const char*, int> columns[] = {{"Имя носителя", 200}, {"Название", 100}, {"Серийный №", 80}};
    for (const auto& [caption, width] : columns) {
        TListColumn* c = lv1->Columns()->Add();
        c->SetCaption(caption);
        c->SetWidth(width);
    }
    lv1->OnDblClick = [this](TObject* s) { act1Execute(s); };
    lv1->OnColumnClick = [this](TObject* s, TListColumn* c) { lv1ColumnClick(s, c); };
    lv1->OnCompare = [this](TObject* s, TListItem* a, TListItem* b, int d, int& r) { lv1Compare(s, a, b, d, r); };
    lv1->OnAdvancedCustomDrawItem = [this](TObject* s, TListItem* i, TCustomDrawState st, TCustomDrawStage sg,
                                           bool& dd) { lv1AdvancedCustomDrawItem(s, i, st, sg, dd); };
    lv1->OnSelectItem = [this](TObject*, TListItem*, bool) { act1Update(act1); };

    cmpstrg1 = new TCCompStorage(this);
    cmpstrg1->SetName("cmpstrg1");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZrX509");
    cmpstrg1->SetValueName("SelDevForm");
    cmpstrg1->GetStoredProps()->Add("lv1.Columns");

    setPlainMode(plain);
    checkToken = check;
    fillDevices();
    act1Update(act1);
}

void TSelDevForm::setPlainMode(bool plain) {
    plainMode = plain;
    if (plain) {
        while (lv1->Columns()->Count() > 1) lv1->Columns()->Delete(1);
        lv1->Columns()->Items(0)->SetWidth(-2);
    } else if (cmpstrg1->ValueName().size() < 2 ||
               cmpstrg1->ValueName().substr(cmpstrg1->ValueName().size() - 2) != "_W") {
        cmpstrg1->SetValueName(cmpstrg1->ValueName() + "_W");
    }
}

void TSelDevForm::fillDevices() {
    lv1->Items()->BeginUpdate();
    lv1->Items()->Clear();
    const int n = FDevices ? FDevices->count() : 0;
    for (int i = 0; i < n; ++i) {
        TCString* entry = FDevices->at(i);
        TListItem* item = lv1->Items()->Add();
        item->SetCaption(entry->c_str());
        item->SetData(entry);
        if (!plainMode && entry->object()) {
            auto* slot = reinterpret_cast<TCP11Slot*>(entry->object());
            item->SubItems()->Add(slot->getLabel());
            item->SubItems()->Add(slot->getSerial());
        }
    }
    lv1->Items()->EndUpdate();
    // The list opens in the order the user last chose in this run.
    sortDevices();
    pnl1->SetVisible(!plainMode && n >= kSearchPanelMinEntries);
}

TCString* TSelDevForm::selectedEntry() const {
    TListItem* item = lv1->Selected();
    return item ? static_cast<TCString*>(item->Data()) : nullptr;
}

void TSelDevForm::act1Update(TObject*) {
    const bool one = lv1->SelCount() == 1;
    act1->SetEnabled(one);
    actInfo->SetEnabled(one);
}

void TSelDevForm::act1Execute(TObject*) {
    TCString* entry = selectedEntry();
    if (!entry) return;
    if (acceptSelection(entry->c_str())) SetModalResult(mrOk);
}

bool TSelDevForm::acceptSelection(const char* entryText) {
    if (plainMode || !checkToken) return true;
    TCString message;
    if (checkHsmToken(entryText, message)) return true;
    KV_HLogFmtText(kRefusedTokenLogCode, "%s", message.c_str());
    messageDlg(message, mtError, mbSet(mbOK));
    return false;
}

void TSelDevForm::lv1ColumnClick(TObject*, TListColumn* Column) {
    const int index = Column ? Column->Index() : 0;
    if (index == gSortColumn) gSortDirection = -gSortDirection;
    else setSelDevSortState(index, 1);
    sortDevices();
}

void TSelDevForm::sortDevices() {
    lv1->CustomSort([this](TListItem* a, TListItem* b) {
        int r = 0;
        lv1Compare(lv1, a, b, 0, r);
        return r;
    });
}

void TSelDevForm::lv1Compare(TObject*, TListItem* Item1, TListItem* Item2, int, int& Compare) {
    String a, b;
    const String* ta = columnText(lv1, Item1, gSortColumn, a);
    const String* tb = columnText(lv1, Item2, gSortColumn, b);
    Compare = ta && tb ? CompareText(*ta, *tb) * gSortDirection : 0;
}

TListItem* TSelDevForm::searchFrom(int start, bool forward) {
    const TCString text = TCString(hst1->GetText().c_str()).toLower();
    const int n = lv1->Items()->Count();
    if (text.isEmpty() || start < 0 || start >= n) return nullptr;
    for (const int column : {kColumnLabel, kColumnName, kColumnSerial}) {
        if (column >= lv1->Columns()->Count()) continue;
        for (int i = start; forward ? i < n : i >= 0; i += forward ? 1 : -1) {
            String buffer;
            TListItem* item = lv1->Items()->Item(i);
            const String* t = columnText(lv1, item, column, buffer);
            if (t && TCString(t->c_str()).toLower().pos(text.c_str()) >= 0) return item;
        }
    }
    return nullptr;
}

void TSelDevForm::showFoundItem(TListItem* item) {
    if (!item) return;
    lv1->SetSelected(item);
    lv1->SetItemFocused(item);
    item->MakeVisible(false);
    lv1->Invalidate();
}

void TSelDevForm::hst1Change(TObject*) { showFoundItem(searchFrom(0, true)); }

void TSelDevForm::btn3Click(TObject*) {
    TListItem* sel = lv1->Selected();
    showFoundItem(searchFrom(sel ? sel->Index() + 1 : 0, true));
}

void TSelDevForm::btn4Click(TObject*) {
    if (TListItem* sel = lv1->Selected()) showFoundItem(searchFrom(sel->Index() - 1, false));
}

void TSelDevForm::actInfoExecute(TObject*) {
    if (TCString* entry = selectedEntry()) showTokenCertificates(entry->c_str());
}

void showTokenCertificates(const char* tokenName) {
    TCXCertsChain chain;
    if (isFailure(loadTokenCerts(tokenName ? tokenName : "", chain)) || chain.isEmpty()) {
        messageDlg(zrnTranslateString("Ошибка загрузки списка сертификатов из выбранного токена!"), mtError,
                   mbSet(mbOK));
        return;
    }
    if (chain.count() == 1) viewObjectWithOwner(chain.at(0), false, zrnTranslateString("Просмотр").c_str());
    else viewCertsChain(&chain);
}

void TSelDevForm::lv1AdvancedCustomDrawItem(TObject*, TListItem*, TCustomDrawState State, TCustomDrawStage Stage,
                                            bool&) {
    if (Stage == cdPrePaint && (State & cdsSelected)) lv1->Canvas()->Brush()->SetColor(kSelectionBackground);
}

bool checkHsmToken(const char* token, TCString& message) {
    message.clear();
    if (!token) token = "";
    if (getCFGMacroValue("onlyEmptyTokens").toLower() == "yes") {
        const KResult r = isTokenEmpty(token, nullptr);
        if (r == P11_TOKEN_HOLDS_KEYS) {
            message = translated(
                "Выбранный HSM-токен %s уже содержит ключи, сгенерированые другой программой/системой! ", token);
            return false;
        }
        if (r < 0xC0000000) return true;
        message = translated("Ошибка загрузки данных HSM-токена %s!", token);
        return false;
    }
    TCXCertsChain chain;
    if (isFailure(loadTokenCerts(token, chain))) {
        message = translated("Ошибка загрузки сертификата из выбранного HSM-токена %s!", token);
        return false;
    }
    const TZrX509* cert = chain.getFirst();
    if (!cert) return true;
    const uint64_t disabled = static_cast<uint64_t>(getGlobalIntValue("disabledTknCertFlags", 0));
    if (disabled != 0 && (cert->keyFlags() & disabled) != 0) {
        message = translated(
            "Выбранный HSM-токен %s содержит сертификат ключей владельца '%s',обладающий "
            "недопустимыми для текущей программы полномочиями! ",
            token, cert->ownerName().c_str());
        return false;
    }
    const TCString profiles = getCFGMacroValue("tknCertProfile");
    if (!profiles.isEmpty() && cert->profile() && !profileListed(profiles, cert->profile())) {
        message = translated(
            "Выбранный HSM-токен %s содержит сертификат профиля '%s',недопустимого для текущей "
            "программы!",
            token, cert->profile());
        return false;
    }
    return true;
}

bool selectFromDeviceList(TCStringList* devices, TCString& location) {
    const bool wide = location.c_str()[0] == '$';
    auto* form = CreateComponent<TSelDevForm>(dialogOwner() ? dialogOwner() : Application, devices, true, !wide);
    TCString chosen;
    const int r = ShowModalAndFree(form, {}, [&](int result) {
        if (result == mrOk)
            if (TCString* e = form->selectedEntry()) chosen = *e;
    });
    if (r != mrOk || chosen.isEmpty()) return false;
    location = chosen;
    return true;
}

TCP11Slot* chooseSlot(TCStringList* devices, bool checkToken) {
    auto* form = CreateComponent<TSelDevForm>(dialogOwner() ? dialogOwner() : Application, devices, checkToken, false);
    TCP11Slot* slot = nullptr;
    ShowModalAndFree(form, {}, [&](int result) {
        if (result == mrOk)
            if (TCString* e = form->selectedEntry()) slot = reinterpret_cast<TCP11Slot*>(e->object());
    });
    return slot;
}
