#include "components/EvDiagDialog.h"

#include "components/FormsTranslation.h"
#include "platform/framework/Placement.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"

IMPLEMENT_CLASS(TEvDiagDialog, TForm) {}

TEvDiagDialog::TEvDiagDialog(TComponent* AOwner) : TForm(AOwner) {
    SetName("EvDiagDialog");
    SetCaption("Параметры вывода отладочной информации");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientWidth(400);
    SetClientHeight(170);
    lbl1 = placeControl<TLabel>(this, this, "lbl1", 8, 12, 80, 16);
    lbl1->SetCaption("Категория:");
    cflgsbx1 = placeControl<TCFlagsBox>(this, this, "cflgsbx1", 90, 8, 302, 24);
    cflgsbx1->SetRowsVisible(5);
    cflgsbx1->SetSortType(stData);
    chckbxs1 = placeControl<TCheckBoxes>(this, this, "chckbxs1", 8, 44, 384, 80);
    chckbxs1->SetCaption("Вывод диагностики");
    chckbxs1->Items()->Add("На экран ");
    chckbxs1->Items()->Add("В файл журнала");
    btnOk = placeControl<TButton>(this, this, "btnOk", 140, 136, 80, 25);
    btnOk->SetCaption("Применить");
    btnOk->SetDefault(true);
    btnOk->SetModalResult(mrOk);
    btnCancel = placeControl<TButton>(this, this, "btnCancel", 226, 136, 80, 25);
    btnCancel->SetCaption("Отменить");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    btn1 = placeControl<TButton>(this, this, "btn1", 312, 136, 80, 25);
    btn1->SetCaption("Сброс");
    btn1->OnClick = [this](TObject* s) { btn1Click(s); };
    translateComponentProperties(this);
    // The categories are the runtime's names, each translated on its own.
    for (const TCDbgMaskDescriptor& d : getDbgMaskDesctiptors())
        cflgsbx1->AddItem(zrnTranslateString(d.text).c_str(), uint64_t(d.mask), true);
}

void TEvDiagDialog::btn1Click(TObject*) {
    cflgsbx1->SetChecked(0);
    chckbxs1->SetChecked(0);
}
