#pragma once
// HTML forms and form controls as the document model keeps them. The real
// forms and controls (html/viewer) derive from these bases: the document
// sizes, hides, numbers and saves them through these operations, and the
// text sections place and paint the controls.
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/HtmlNodes.h"
#include "platform/framework/Classes.h"
#include "platform/framework/Controls.h"

class TFormControlObjBase;
class TImageObj;
class TStringList;
class TWinControl;

// The window control a tag makes, as the text section decides it.
enum class ThtFormControlKind {
    Edit,
    FileEdit,
    Browse,
    Button,
    Radio,
    CheckBox,
    Hidden,
    Image,
    ListBox,
    Combo,
    TextArea
};

// A form's controls; the form's own list owns them, the document's and the
// sections' lists do not.
class TFormControlObjList : public TFreeList<TFormControlObjBase> {
public:
    explicit TFormControlObjList(bool OwnsObjects) : TFreeList<TFormControlObjBase>(OwnsObjects) {}
    TFormControlObjBase* GetItem(int Index) const { return Items(Index); }
    // Controls not shown get their window at left -4000, so tabbing reaches them.
    void ActivateTabbing();
    void DeactivateTabbing();
};

class ThtmlFormBase {
public:
    explicit ThtmlFormBase(ThtDocument* ADocument);
    virtual ~ThtmlFormBase();
    ThtmlFormBase(const ThtmlFormBase&) = delete;
    ThtmlFormBase& operator=(const ThtmlFormBase&) = delete;

    // A control joins the form (the form frees it); hidden fields are not
    // counted in NonHiddenCount.
    void InsertControl(TFormControlObjBase* Ctrl);
    // Sizes every control (before each layout).
    virtual void SetSizes(TCanvas* Canvas);
    // The name=value texts of every control (the caller's).
    virtual std::unique_ptr<TStringList> GetFormSubmission();
    // Gives the controls the values of a saved submission.
    virtual void SetFormData(const TStringList& SL);
    virtual void ResetControls();
    // Hands the enabled controls' texts, then ButtonSubmission when not
    // empty, to the document's SubmitForm event (nothing without one).
    virtual void SubmitTheForm(const std::u16string& ButtonSubmission);

    ThtDocument* Document;
    std::u16string Method{u"Get"}, Action, Target, EncType;
    TFormControlObjList ControlList{true};
    int32_t NonHiddenCount = 0;
};

class TFormControlObjBase : public TFloatingObj {
public:
    TFormControlObjBase(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                        ThtFormControlKind AKind);
    ~TFormControlObjBase() override;

    virtual int32_t GetLeft();
    virtual int32_t GetTop();
    virtual TWinControl* GetTheControl() = 0;
    virtual int32_t GetTabOrder();
    virtual bool GetTabStop();
    virtual bool GetHidden();
    virtual void NotifyIfChanged();
    virtual void RememberEnterState();
    virtual void SetLeft(int32_t Value);
    virtual void SetTop(int32_t Value);
    virtual void SetTabOrder(int32_t Value);
    virtual void SetTabStop(bool Value);
    // The index-th name=value text; false when there are no more.
    virtual bool GetSubmission(int Index, std::u16string& S);
    virtual void DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y);
    virtual void Hide();
    virtual void ProcessProperties(TProperties* Prop);
    virtual void ResetToValue();
    virtual void SetData(int Index, std::u16string_view V);
    virtual void SetDataInit();
    virtual void SetHeightWidth(TCanvas* Canvas);
    virtual void Show();
    virtual void SetValue(std::u16string_view Value) { FValue = Value; }
    // The window control takes the document's style elements.
    virtual void SetStyleElements(TStyleElements Value);

    // The drawn top of the control.
    int32_t GetYPosition() const override { return DrawYY; }
    // The window control's size (0 without one).
    int32_t GetClientHeight() const override;
    int32_t GetClientWidth() const override;
    void SetClientHeight(int32_t Value) override;
    void SetClientWidth(int32_t Value) override;
    // A width in percent follows the room, within 10 and the room less the spaces.
    void DrawLogicInline(TCanvas* Canvas, TFontObj* FO, int32_t AvailableWidth, int32_t AvailableHeight) override;
    void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) override;

    // The window control's events, as the controls attach them.
    void EnterEvent(TObject* Sender);
    void ExitEvent(TObject* Sender);
    void FormControlClick(TObject* Sender);
    void HandleMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    // The document's change event with OnChangeMessage (NotifyIfChanged found a change).
    void DoChangeEvent();
    // The viewer's paint panel the window controls live on (null without one).
    TWinControl* PaintPanel() const;

    bool Hidden() { return GetHidden(); }
    ThtFormControlKind Kind() const { return FKind; }

    std::u16string FName, FID, FTitle, FValue;
    bool Active = false;  // the control has the focus
    int CodePage = 0;
    std::unique_ptr<TBitmap> PaintBitmap;  // picture of the control for print copies
    ThtmlFormBase* MyForm = nullptr;
    int32_t BordT = 0, BordB = 0;
    int32_t FHeight = 0, FWidth = 0;  // specified (width in percent when PercentWidth)
    bool Disabled = false, Readonly = false;
    TColor BkColor = clNone;
    bool ShowIt = false;  // on screen in the current layout
    std::u16string OnBlurMessage, OnChangeMessage, OnClickMessage, OnFocusMessage;

protected:
    TFormControlObjBase(TCellBasic* Parent, const TFormControlObjBase& Source);
    // The tag read as a live control does it: the current form joined (an
    // automatic one made when there is none), the document's control and
    // tab-order lists entered, the attributes taken. Real controls call it
    // from their constructors.
    void ReadTag(TAttributeList* L);
    // A window control made for this object: on the paint panel at left
    // -4000 and hidden until drawn, enabled unless Disabled, with
    // EnterEvent, ExitEvent and HandleMouseMove attached.
    void PrepareControl(TWinControl* Control);

private:
    ThtFormControlKind FKind;
};

// An image that submits its form: the picture is the image object; the
// control only takes the focus and the click.
class TImageFormControlObjBase : public TFormControlObjBase {
public:
    TImageFormControlObjBase(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);

    TImageObj* MyImage = nullptr;  // set by the text section
    int32_t XPos = -1, YPos = -1;  // the click point, -1 when none
    int32_t XTmp = -1, YTmp = -1;  // the latest point over the image

protected:
    TImageFormControlObjBase(TCellBasic* Parent, const TImageFormControlObjBase& Source);
};
