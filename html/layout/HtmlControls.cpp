#include "html/layout/HtmlControls.h"

#include "platform/framework/Classes.h"

IMPLEMENT_CLASS(ThtEdit, TEdit) {}
IMPLEMENT_CLASS(ThtComboBox, TComboBox) {}
IMPLEMENT_CLASS(ThtMemo, TMemo) {}

ThtEdit::ThtEdit(TComponent* AOwner) : TEdit(AOwner) {}

void ThtEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (Key == 'A' && (Shift & (ssShift | ssAlt | ssCtrl)) == ssCtrl) SelectAll();
    TEdit::KeyDown(Key, Shift);
}

ThtComboBox::ThtComboBox(TComponent* AOwner) : TComboBox(AOwner) {}

ThtMemo::ThtMemo(TComponent* AOwner) : TMemo(AOwner), FTextHint(new TStringList) {
    FTextHint->OnChange = [this](TObject*) { Invalidate(); };
}

ThtMemo::~ThtMemo() {
    FTextHint->OnChange = nullptr;
    FTextHint->Clear();
    delete FTextHint;
}

void ThtMemo::SetMaxLength(int v) {
    if (v == MaxLength()) return;
    TMemo::SetMaxLength(v);
}

void ThtMemo::PaintOver(TCanvas* Canvas) {
    if (!GetText().empty() || Focused()) return;
    Canvas->Font()->Assign(Font());
    Canvas->Font()->SetColor(clGrayText);
    Canvas->Brush()->SetStyle(bsClear);
    const int h = Canvas->TextHeight("MLZ");
    for (int i = 0; i < FTextHint->Count(); ++i) Canvas->TextOut(1, 1 + i * h, FTextHint->Get(i));
}
