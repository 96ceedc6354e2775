#include "app/StartupDialog.h"

#include "dialogs/DialogLayout.h"
#include "dialogs/MessageView.h"

IMPLEMENT_CLASS(TStatupCreatorDialog, TForm) {}

TStatupCreatorDialog::TStatupCreatorDialog(TComponent* AOwner) : TForm(AOwner) {
    SetName("StatupCreatorDialog");
    SetCaption("Создание контейнера личных ключей");
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    SetClientWidth(423);
    SetClientHeight(78);

    rg1 = placeControl<TRadioGroup>(this, this, "rg1", 8, 4, 407, 20);
    rg1->SetCaption("Начать генерацию ключей");
    rg1->SetAnchors(akSet(akLeft) | akSet(akTop) | akSet(akRight));
    rg1->OnClick = [this](TObject* s) { rg1Click(s); };
    chk1 = placeControl<TCheckBox>(this, this, "chk1", 8, 28, 407, 17);
    chk1->SetCaption("Открыть существующий контейнер личных ключей");
    chk1->SetAnchors(akSet(akLeft) | akSet(akBottom));
    chk1->OnClick = [this](TObject* s) { chk1Click(s); };
    btn1 = placeButton(this, this, "btn1", "Принять", 252, 48, 80, mrOk);
    btn1->SetDefault(true);
    btn2 = placeButton(this, this, "btn2", "Отменить", 336, 48, 80, mrCancel);
    btn2->SetCancel(true);
    for (TButton* b : {btn1, btn2}) b->SetAnchors(akSet(akRight) | akSet(akBottom));
    updateOkButton();
}

void TStatupCreatorDialog::addNewKeysItems(TMenuItem* item) {
    const int count = item ? item->Count() : 0;
    const int grow = count * (chk1->Height() + 3);
    rg1->SetHeight(rg1->Height() + grow);
    SetClientHeight(ClientHeight() + grow);
    for (int i = 0; i < count; ++i) {
        TMenuItem* entry = item->Items(i);
        rg1->Items()->AddObject(entry->Caption(), entry->Action());
    }
    updateOkButton();
}

void TStatupCreatorDialog::updateOkButton() { btn1->SetEnabled(chk1->Checked() || rg1->ItemIndex() >= 0); }

TBasicAction* TStatupCreatorDialog::chosenAction() const {
    const int i = rg1->ItemIndex();
    if (i < 0 || i >= rg1->Items()->Count()) return nullptr;
    return dynamic_cast<TBasicAction*>(rg1->Items()->Objects(i));
}

void TStatupCreatorDialog::rg1Click(TObject*) {
    if (FSyncing) return;
    FSyncing = true;
    if (rg1->ItemIndex() >= 0) chk1->SetChecked(false);
    FSyncing = false;
    updateOkButton();
}

void TStatupCreatorDialog::chk1Click(TObject*) {
    if (FSyncing) return;
    FSyncing = true;
    if (chk1->Checked()) rg1->SetItemIndex(-1);
    FSyncing = false;
    updateOkButton();
}

bool showStartupDialog(TMenuItem* item, TBasicAction*& action, bool showCheckBox, const char* caption) {
    action = nullptr;
    auto* dlg = new TStatupCreatorDialog(dialogOwner());
    TBasicAction* chosen = nullptr;
    dlg->OnClose = [dlg, &chosen](TObject*, TCloseAction&) {
        if (dlg->ModalResult() == mrOk) chosen = dlg->chosenAction();
    };
    const int result = showProgramDialog(dlg, [&] {
        dlg->chk1->SetVisible(showCheckBox);
        dlg->addNewKeysItems(item);
        if (caption && *caption) dlg->SetCaption(caption);
    });
    if (result != mrOk) return false;
    action = chosen;
    return true;
}
