// The file-name edit: a side button opens the file dialog.
#pragma once

#include "components/CompoundEdit.h"
#include "platform/framework/StdCtrls.h"

class TCFileNameEdit : public TCompoundEdit {
    DECLARE_CLASS(TCFileNameEdit)
    explicit TCFileNameEdit(TComponent* AOwner);
    const String& DlgTitle() const { return FDlgTitle; }
    void SetDlgTitle(const String& v) { FDlgTitle = v; }
    const String& DlgFilter() const { return FDlgFilter; }
    void SetDlgFilter(const String& v) { FDlgFilter = v; }
    const String& DlgDefExt() const { return FDlgDefExt; }
    void SetDlgDefExt(const String& v) { FDlgDefExt = v; }
    bool UsedForSave() const { return FUsedForSave; }
    void SetUsedForSave(bool v) { FUsedForSave = v; }
    // Opens the dialog on the current name; a confirmed name becomes the text.
    void BtnClick();
    bool UpdateEditRect(TRect& rect) override;
    TButton* Button() const { return FButton; }

protected:
    void Resize() override;

private:
    TButton* FButton;
    String FDlgTitle, FDlgFilter, FDlgDefExt;
    bool FUsedForSave = false;
};
