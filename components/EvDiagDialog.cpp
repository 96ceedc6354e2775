#include "components/EvDiagDialog.h"

#include "components/FormsTranslation.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"

namespace {
template <class T> T* place(TForm* form, const char* name, int l, int t, int w, int h) {
    T* c = new T(form);
    c->SetName(name);
    c->SetParent(form);
    c->SetBounds(l, t, w, h);
    return c;
}
}  // namespace

IMPLEMENT_CLASS(TEvDiagDialog, TForm) {}

TEvDiagDialog::TEvDiagDialog(TComponent* AOwner) : TForm(AOwner) {
    SetName("EvDiagDialog");
    SetCaption("Параметры вывода отладочной информации");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientWidth(400);
    SetClientHeight(170);
    lbl1 = place<TLabel>(this, "lbl1", 8, 12, 80, 16);
    lbl1->SetCaption("Категория:");
    cflgsbx1 = place<TCFlagsBox>(this, "cflgsbx1", 90, 8, 302, 24);
    cflgsbx1->SetRowsVisible(5);
    cflgsbx1->SetSortType(stData);
    chckbxs1 = place<TCheckBoxes>(this, "chckbxs1", 8, 44, 384, 80);
    chckbxs1->SetCaption("Вывод диагностики");
    chckbxs1->Items()->Add("На экран ");
    chckbxs1->Items()->Add("В файл журнала");
    btnOk = place<TButton>(this, "btnOk", 140, 136, 80, 25);
    btnOk->SetCaption("Применить");
    btnOk->SetDefault(true);
    btnOk->SetModalResult(mrOk);
    btnCancel = place<TButton>(this, "btnCancel", 226, 136, 80, 25);
    btnCancel->SetCaption("Отменить");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    btn1 = place<TButton>(this, "btn1", 312, 136, 80, 25);
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
