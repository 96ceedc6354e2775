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

class TFormControlObjBase;
class TImageObj;
class TStringList;
class TWinControl;

// The window control a tag makes, as the text section decides it.
enum class ThtFormControlKind { Edit, FileEdit, Browse, Button, Radio, CheckBox, Hidden, Image, ListBox, Combo, TextArea };

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

    // Sizes every control (before each layout).
    virtual void SetSizes(TCanvas* Canvas);
    // The name=value texts of every control (the caller's).
    virtual std::unique_ptr<TStringList> GetFormSubmission();
    // Gives the controls the values of a saved submission.
    virtual void SetFormData(const TStringList& SL);
    virtual void ResetControls();

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
