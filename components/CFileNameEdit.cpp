#include "components/CFileNameEdit.h"

#include "platform/framework/Dialogs.h"

IMPLEMENT_CLASS(TCFileNameEdit, TCompoundEdit) {
    r.Str("DlgDefExt", &TCFileNameEdit::DlgDefExt, &TCFileNameEdit::SetDlgDefExt);
    r.Str("DlgFilter", &TCFileNameEdit::DlgFilter, &TCFileNameEdit::SetDlgFilter);
    r.Str("DlgTitle", &TCFileNameEdit::DlgTitle, &TCFileNameEdit::SetDlgTitle);
    r.Boolean("UsedForSave", &TCFileNameEdit::UsedForSave, &TCFileNameEdit::SetUsedForSave);
}

TCFileNameEdit::TCFileNameEdit(TComponent* AOwner) : TCompoundEdit(AOwner) {
    FButton = new TButton(this);
    FButton->SetName("FButton");
    FButton->SetParent(this);
    FButton->SetDefault(false);
    FButton->SetAlign(alRight);
    FButton->SetTabStop(false);
    FButton->SetWidth(20);
    FButton->SetCaption("\xE2\x80\xA6");  // an ellipsis: browse
    FButton->OnClick = [this](TObject*) { BtnClick(); };
    SetEditRect();
}

bool TCFileNameEdit::UpdateEditRect(TRect& rect) {
    rect.Right = ClientWidth() - FButton->Width() - 1;
    return true;
}

void TCFileNameEdit::Resize() {
    TCompoundEdit::Resize();
    if (FButton) SetEditRect();
}

void TCFileNameEdit::BtnClick() {
    // A name to write goes through the save dialog, which asks before an
    // existing file is overwritten; a name to read must exist.
    TOpenDialog* dlg = FUsedForSave ? new TSaveDialog(this) : new TOpenDialog(this);
    struct Freer {
        TOpenDialog* d;
        ~Freer() { d->Free(); }
    } freer{dlg};
    dlg->SetTitle(FDlgTitle);
    TOpenOptions o = dlg->Options() | ofSet(ofNoChangeDir);
    o |= FUsedForSave ? ofSet(ofOverwritePrompt) : ofSet(ofFileMustExist);
    dlg->SetOptions(o);
    dlg->SetFileName(Trim(GetText()));
    dlg->SetFilter(FDlgFilter);
    dlg->SetDefaultExt(FDlgDefExt);
    if (dlg->Execute()) {
        SetText(dlg->FileName());
        SetModified(true);
    }
}
