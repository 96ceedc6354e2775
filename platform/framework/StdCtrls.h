// Standard controls: label, button, edit, check box, combo box, group box.
#pragma once

#include "platform/framework/Controls.h"
#include "platform/runtime/SecretString.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
extern const TEnumInfo TextLayoutInfo;

class TLabel : public TControl {
    DECLARE_CLASS(TLabel)
    explicit TLabel(TComponent* AOwner);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) {
        FTransparent = v;
        ApplyColor();
    }
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* c);
    // Off: '&' is shown as itself (a label showing a value from outside).
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);

protected:
    void ApplyText() override;
    void ApplyFont() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void Fit();
    void ApplyAlignment();
    bool FShowAccelChar = true;
    bool FAutoSize = true;
    bool FWordWrap = false;
    bool FTransparent = false;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    TWinControl* FFocusControl = nullptr;
};

class TButton : public TWinControl {
    DECLARE_CLASS(TButton)
    explicit TButton(TComponent* AOwner);
    // Pressing the button: sets its form's ModalResult (when its own is not
    // mrNone), then OnClick or the action.
    void Click() override;
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    // The width that shows the whole caption in the button's font.
    int FitWidth() const;
    void SetCancel(bool v) { FCancel = v; }

protected:
    void ApplyText() override;

private:
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
extern const TEnumInfo EditCharCaseInfo;

class TEdit : public TWinControl {
    DECLARE_CLASS(TEdit)
    explicit TEdit(TComponent* AOwner);
    String GetText() const override;
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);  // characters; 0 is unlimited
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    char32_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char32_t c);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase v);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    String SelText() const;
    void SelectAll();
    void Clear() { SetText(String()); }
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }
    // The grey hint an empty edit shows.
    String TextHint() const { return FTextHint; }
    void SetTextHint(const String& v);
    // bsNone: no frame (the page draws one around it).
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // The height that shows a line of text in the edit's font.
    int FitHeight() const;
    TNotifyEvent OnChange;

protected:
    void ApplyText() override;
    void ApplyColor() override;
    virtual void Change();

private:
    String FTextHint;
    TBorderStyle FBorderStyle = bsSingle;
    int FMaxLength = 0;
    char32_t FPasswordChar = 0;
    TEditCharCase FCharCase = ecNormal;
    bool FAutoSelect = true;
    bool FModified = false;
    bool FSetting = false;
};

// An edit for passwords: echoes '*' and hands its text over as a secret;
// the typed text is overwritten when the edit goes.
class TPasswordEdit : public TEdit {
    DECLARE_CLASS(TPasswordEdit)
    explicit TPasswordEdit(TComponent* AOwner);
    ~TPasswordEdit() override;
    // Kept for the forms that set it; 8-bit text needs no conversion here.
    bool OEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool v) { FOEMConvert = v; }
    // The typed text, exactly as typed (never trimmed).
    TCSecretString Secret() const;
    // Overwrites the typed text and empties the edit (OnChange fires).
    void WipeText();

private:
    bool FOEMConvert = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
extern const TEnumInfo CheckBoxStateInfo;

class TCheckBox : public TWinControl {
    DECLARE_CLASS(TCheckBox)
    explicit TCheckBox(TComponent* AOwner);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    // Setting the state by code fires OnClick too, as the framework does.
    void SetState(TCheckBoxState v);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    // The width that shows the mark and the whole caption in the box's font.
    int FitWidth() const;

protected:
    void ApplyText() override;

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
    bool FSetting = false;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
extern const TEnumInfo ComboBoxStyleInfo;

class TComboBox : public TWinControl {
    DECLARE_CLASS(TComboBox)
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* s);
    int ItemIndex() const;
    void SetItemIndex(int v);
    String GetText() const override;
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle v);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int v);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    bool DroppedDown() const;
    void SetDroppedDown(bool v);
    void Clear();
    // The grey hint a drop-down list without a choice shows.
    String TextHint() const { return FTextHint; }
    void SetTextHint(const String& v);
    // The height that shows an item in the box's font.
    int FitHeight() const;
    // The width that shows an item TextWidth pixels wide beside the button.
    int WidthForText(int TextWidth) const;
    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    void ApplyText() override;
    void ApplyColor() override;
    // The user changed the text (typing or a choice from the list); fires OnChange.
    virtual void Change();

private:
    friend class ComboStrings;
    TStrings* FItems;
    String FTextHint;
    TComboBoxStyle FStyle = csDropDown;
    int FDropDownCount = 8;
    int FMaxLength = 0;
    bool FSorted = false;
    int FSetting = 0;
};

class TGroupBox : public TWinControl {
    DECLARE_CLASS(TGroupBox)
    explicit TGroupBox(TComponent* AOwner);
    // The area inside the frame and below the caption, in the group's
    // coordinates: what its children may use without covering either.
    TRect ContentRect() const;

protected:
    void ApplyText() override;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
extern const TEnumInfo ScrollStyleInfo;

// Multi-line plain text; Lines and Text (lines joined by CR LF) stay in step.
class TMemo : public TWinControl {
    DECLARE_CLASS(TMemo)
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;
    TStrings* Lines() const { return FLines; }
    void SetLines(TStrings* s) { FLines->Assign(s); }
    String GetText() const override;
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    // Characters; typed text past it is cut (0: no limit).
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v) { FMaxLength = v < 0 ? 0 : v; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // The text area inside the frame and the scroll bars always shown.
    int ClientWidth() const override;
    int ClientHeight() const override;
    // The lines as the memo shows them: with WordWrap each wrapped part of a
    // line is a line of its own, at the memo's present width.
    int VisualLineCount() const;
    String VisualLine(int i) const;
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool v) { FWantReturns = v; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool v);
    void Clear() { FLines->Clear(); }
    void SelectAll();
    String SelText() const;
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }
    TNotifyEvent OnChange;
    bool WidgetEvent(QEvent* e) override;
    // The canvas bound to the memo's text area while it paints.
    TCanvas* Canvas() const { return FCanvas; }

protected:
    void ApplyText() override;
    void ApplyColor() override;
    // Draws over the memo after its own painting (text area coordinates).
    virtual void PaintOver(TCanvas* Canvas) { (void)Canvas; }

private:
    void linesChanged();
    void widgetChanged();
    TStringList* FLines;
    TCanvas* FCanvas;
    TBorderStyle FBorderStyle = bsSingle;
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssNone;
    int FMaxLength = 0;
    bool FWantReturns = true;
    bool FWantTabs = false;
    bool FModified = false;
    int FSync = 0;
};

class TListBox : public TWinControl {
    DECLARE_CLASS(TListBox)
    explicit TListBox(TComponent* AOwner);
    ~TListBox() override;
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* s) { FItems->Assign(s); }
    // With MultiSelect the focused item: setting it leaves the selection alone.
    int ItemIndex() const;
    void SetItemIndex(int v);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool v);
    bool Selected(int i) const;
    void SetSelected(int i, bool v);
    int SelCount() const;
    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    int Count() const { return FItems->Count(); }
    int TopIndex() const;
    void SetTopIndex(int v);
    void Clear() { FItems->Clear(); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // The area inside the frame.
    int ClientWidth() const override;
    int ClientHeight() const override;
    // The height of one row in the list's font.
    int ItemHeight() const;

protected:
    void ApplyColor() override;

private:
    friend class ListBoxStrings;
    TStrings* FItems;
    TBorderStyle FBorderStyle = bsSingle;
    bool FMultiSelect = false;
    bool FSorted = false;
    int FSetting = 0;
};

class TRadioButton : public TWinControl {
    DECLARE_CLASS(TRadioButton)
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() const { return FChecked; }
    // Checking one radio button unchecks the others of the same parent.
    void SetChecked(bool v);
    // Off: the button's owner keeps its group (checking it leaves the other
    // buttons of the parent alone, and a click checks it, never clears it).
    bool AutoExclusive() const { return FAutoExclusive; }
    void SetAutoExclusive(bool v);

protected:
    void ApplyText() override;

private:
    bool FChecked = false;
    bool FSetting = false;
    bool FAutoExclusive = true;
};

enum TStaticBorderStyle { sbsNone, sbsSingle, sbsSunken };
extern const TEnumInfo StaticBorderStyleInfo;

class TStaticText : public TWinControl {
    DECLARE_CLASS(TStaticText)
    explicit TStaticText(TComponent* AOwner);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TStaticBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TStaticBorderStyle v);

protected:
    void ApplyText() override;
    void ApplyFont() override;

private:
    void Fit();
    bool FAutoSize = true;
    TAlignment FAlignment = taLeftJustify;
    TStaticBorderStyle FBorderStyle = sbsNone;
};

// Characters (not bytes) of UTF-8 text.
int Utf8Length(const String& s);
