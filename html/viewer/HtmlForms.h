#pragma once
// The forms of an HTML document and their controls as the viewer makes them.
// Each control is an inline object of the document paired with a window
// control on the viewer's paint panel; the window control waits at left
// -4000, hidden, until the layout draws the object where it belongs.
//
// A typed control (edit, button, check box, list, drop-down, text area,
// hidden field) derives from TFormControlObj. Its constructor makes the
// window control and hands it to PrepareControl (off-screen on the panel,
// enabled unless Disabled, EnterEvent / ExitEvent / HandleMouseMove
// attached). It overrides:
//   GetTheControl    its window control (null for a hidden field);
//   CreateCopy       a print copy sharing that window control (never freeing it);
// and as it needs: GetSubmission, SetData, SetDataInit, ResetToValue,
// RememberEnterState and NotifyIfChanged (DoChangeEvent reports a change),
// SetHeightWidth, ProcessProperties (base first), DrawInline1 (base first;
// a print copy paints its picture there), GetHidden and the position
// queries and setters (a hidden field).
// The form's ControlKeyPress (Enter in an edit submits) and ArrowKeyDown
// (arrow keys walk a radio group) are the key events check boxes, radio
// buttons, edits and text areas attach.
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/FormBase.h"
#include "platform/framework/StdCtrls.h"

class TBitBtn;
class TFormRadioButton;
class TRadioButtonFormControlObj;

class ThtmlForm : public ThtmlFormBase {
public:
    // Method, action, target and enctype from the FORM tag's attributes (L may be null).
    ThtmlForm(ThtDocument* ADocument, TAttributeList* L);

    // Unchecks the other radios of Radio's group (names compared without
    // regard to case) and takes their tab stops.
    void DoRadios(TRadioButtonFormControlObj* Radio);
    // Enter in a single-line edit submits the form and is swallowed.
    void ControlKeyPress(TObject* Sender, char32_t& Key);
    // Arrow keys on a radio button move the focus within its group; other
    // keys go to the viewer.
    void ArrowKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    // The control whose window control is Sender, or null.
    TFormControlObjBase* ControlOf(const TObject* Sender) const;
};

class TFormControlObj : public TFormControlObjBase {
public:
    // Reads the tag (ReadTag): the typed controls then make their window control.
    TFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                    ThtFormControlKind AKind);

    ThtmlForm* Form() const { return static_cast<ThtmlForm*>(MyForm); }

protected:
    TFormControlObj(TCellBasic* Parent, const TFormControlObj& Source);
};

// An image that submits its form with the point clicked. The image object
// (MyImage) shows the picture; the control is a 1 × 1 button kept
// off-screen that takes the focus and the click.
class TImageFormControlObj : public TImageFormControlObjBase {
public:
    TImageFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TImageFormControlObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override;
    void ProcessProperties(TProperties* Prop) override;
    // "name.x=X" and "name.y=Y" once after a click.
    bool GetSubmission(int Index, std::u16string& S) override;
    void ImageClick(TObject* Sender);

    ThtmlForm* Form() const { return static_cast<ThtmlForm*>(MyForm); }
    TBitBtn* FControl = nullptr;

protected:
    TImageFormControlObj(TCellBasic* Parent, const TImageFormControlObj& Source);
};

// The radio button's window class: its check state is managed by the
// form's DoRadios, not by sharing a parent.
class TFormRadioButton : public TRadioButton {
    DECLARE_CLASS(TFormRadioButton)
    explicit TFormRadioButton(TComponent* AOwner);
    // Ignored while Tab is held (tabbing onto a radio must not check it) and
    // when unchanged; a new check also gives the tab stop, a change notice
    // and the click.
    void SetChecked(bool Value);

    std::u16string IDName;  // the group name
};

class TRadioButtonFormControlObj : public TFormControlObj {
public:
    TRadioButtonFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TRadioButtonFormControlObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override;
    bool GetSubmission(int Index, std::u16string& S) override;
    void SetData(int Index, std::u16string_view V) override;
    void ResetToValue() override;
    void RememberEnterState() override;
    void NotifyIfChanged() override;
    void DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) override;
    void RadioClick(TObject* Sender);

    bool Checked() const;
    void SetChecked(bool Value);
    TColor Color() const;
    void SetColor(TColor Value);

    TFormRadioButton* FControl = nullptr;
    bool WasChecked = false;  // on entering
    bool IsChecked = false;   // as the tag says

protected:
    TRadioButtonFormControlObj(TCellBasic* Parent, const TRadioButtonFormControlObj& Source);
};
