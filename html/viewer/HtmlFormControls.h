#pragma once
// The typed controls of HTML forms: one-line edits (text, password, file),
// buttons (submit, reset, plain, browse), hidden fields, check boxes, list
// boxes, drop-down lists and text areas. Each makes its window control on
// the document's paint panel, sizes it, gives its name=value texts, returns
// to its initial value, takes saved data, reports a change between entering
// and leaving, and paints a picture of itself in a print copy of the page.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/layout/HtmlControls.h"
#include "html/parser/HtmlParser.h"
#include "html/viewer/FormOptions.h"
#include "html/viewer/HtmlForms.h"

class TBitBtn;
class TListBox;

// A control whose tag has a type: the lower-cased TYPE attribute.
class TTypedFormControlObj : public TFormControlObj {
public:
    TTypedFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                         ThtFormControlKind AKind);
    const std::u16string& InputType() const { return FInputType; }

    std::u16string FInputType;

protected:
    TTypedFormControlObj(TCellBasic* Parent, const TTypedFormControlObj& Source);
};

// Placeholder, spell checking and the maximum length of the text controls.
class TEditBaseFormControlObj : public TTypedFormControlObj {
public:
    TEditBaseFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                            ThtFormControlKind AKind);

    // The text the window control holds (empty while there is none).
    virtual std::u16string GetText() const = 0;
    virtual void SetText(std::u16string_view Value) = 0;

    void SetData(int Index, std::u16string_view V) override;
    void RememberEnterState() override;
    void NotifyIfChanged() override;

    std::u16string FPlaceholder;
    bool FSpellCheck = true;
    int32_t FMaxLength = 0;        // characters; 0 is no limit
    std::u16string EnterContents;  // the text when the control took the focus

protected:
    TEditBaseFormControlObj(TCellBasic* Parent, const TEditBaseFormControlObj& Source);
};

class TEditFormControlObj : public TEditBaseFormControlObj {
public:
    TEditFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                        ThtFormControlKind AKind);
    ~TEditFormControlObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override;
    void ProcessProperties(TProperties* Prop) override;
    void SetHeightWidth(TCanvas* Canvas) override;
    bool GetSubmission(int Index, std::u16string& S) override;
    void ResetToValue() override;
    void DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) override;

    std::u16string GetText() const override;
    void SetText(std::u16string_view Value) override;
    bool IsPassword() const { return FInputType == u"password"; }

    ThtEdit* FControl = nullptr;
    int32_t tmAveCharWidth = 0;
    int32_t EditSize = 15;  // width in characters

protected:
    TEditFormControlObj(TCellBasic* Parent, const TEditFormControlObj& Source);
};

enum class TTextAreaWrap { Off, Soft, Hard };

class TTextAreaFormControlObj : public TEditBaseFormControlObj, public TTextAreaReceiver {
public:
    TTextAreaFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TTextAreaFormControlObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override;
    void ProcessProperties(TProperties* Prop) override;
    void SetHeightWidth(TCanvas* Canvas) override;
    bool GetSubmission(int Index, std::u16string& S) override;
    void ResetToValue() override;
    void DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) override;
    // A piece of the text between the tags.
    void AddStr(const std::u16string& Text) override;

    // The text with CR LF line ends.
    std::u16string GetText() const override;
    void SetText(std::u16string_view Value) override;
    // A line as the text area shows it (wrapped lines count one each).
    std::u16string GetLine(int Index) const;
    int LineCount() const;

    ThtMemo* FControl = nullptr;
    TTextAreaWrap Wrap = TTextAreaWrap::Soft;
    int32_t Rows = 5, Cols = 30;
    std::u16string TheText;  // the initial text

protected:
    TTextAreaFormControlObj(TCellBasic* Parent, const TTextAreaFormControlObj& Source);
};

enum class TWhichType { Submit, ResetB, Button, Browse };

class TButtonFormControlObj : public TTypedFormControlObj {
public:
    TButtonFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                          ThtFormControlKind AKind);
    ~TButtonFormControlObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override;
    void SetHeightWidth(TCanvas* Canvas) override;
    void DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) override;
    void ButtonClick(TObject* Sender);

    TBitBtn* FControl = nullptr;
    TWhichType Which = TWhichType::Button;
    TEditFormControlObj* MyEdit = nullptr;  // the edit a browse button fills

protected:
    TButtonFormControlObj(TCellBasic* Parent, const TButtonFormControlObj& Source);
};

// A value submitted with the form, without a window.
class THiddenFormControlObj : public TFormControlObj {
public:
    THiddenFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override { return nullptr; }
    bool GetHidden() override { return true; }
    int32_t GetLeft() override { return -4000; }
    int32_t GetTop() override { return 0; }
    int32_t GetTabOrder() override { return -1; }
    bool GetTabStop() override { return false; }
    void SetLeft(int32_t) override {}
    void SetTop(int32_t) override {}
    void SetTabOrder(int32_t) override {}
    void SetTabStop(bool) override {}
    void Show() override {}
    void Hide() override {}
    void DrawInline1(TCanvas*, int32_t, int32_t) override {}
    bool GetSubmission(int Index, std::u16string& S) override;
    void SetData(int Index, std::u16string_view V) override;

protected:
    THiddenFormControlObj(TCellBasic* Parent, const THiddenFormControlObj& Source);
};

// The check box's window class: the arrow keys reach its key-down event.
class TFormCheckBox : public TCheckBox {
    DECLARE_CLASS(TFormCheckBox)
    explicit TFormCheckBox(TComponent* AOwner);
};

class TCheckBoxFormControlObj : public TFormControlObj {
public:
    TCheckBoxFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TCheckBoxFormControlObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override;
    bool GetSubmission(int Index, std::u16string& S) override;
    void SetDataInit() override;
    void SetData(int Index, std::u16string_view V) override;
    void ResetToValue() override;
    void RememberEnterState() override;
    void NotifyIfChanged() override;
    void DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) override;

    bool GetChecked() const;
    // By code: no click event.
    void SetChecked(bool Value);

    TFormCheckBox* FControl = nullptr;
    bool WasChecked = false;  // on entering
    bool IsChecked = false;   // as the tag says

protected:
    TCheckBoxFormControlObj(TCellBasic* Parent, const TCheckBoxFormControlObj& Source);
};

// The options of a select element, for the list box and the drop-down list.
class TOptionsFormControlObj : public TFormControlObj, public TOptionsReceiver {
public:
    TOptionsFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                           ThtFormControlKind AKind);

    // One option from the parser: an empty text shows as one blank; the
    // value is the tag's VALUE, or the text when it has none.
    void AddStr(const std::u16string& Text, bool Selected, std::unique_ptr<TStringList> Attributes,
                int CodePage) override;
    // ResetToValue of both bases is the typed list's.
    void ResetToValue() override = 0;

    ThtOptionStringList* TheOptions() const { return FOptions.get(); }
    TFont* TheFont() const { return FFont; }

    std::shared_ptr<ThtOptionStringList> FOptions;  // a print copy shares it
    TFont* FFont = nullptr;                         // the window control's
    int32_t LBSize = -1;                            // rows shown; -1: not given
    int32_t Longest = 3;                            // widest option text in pixels

protected:
    TOptionsFormControlObj(TCellBasic* Parent, const TOptionsFormControlObj& Source);
    // The window control's items become the option texts.
    void FillItems(TStrings* Items) const;
};

class TListBoxFormControlObj : public TOptionsFormControlObj {
public:
    TListBoxFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TListBoxFormControlObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override;
    void ProcessProperties(TProperties* Prop) override;
    void SetHeightWidth(TCanvas* Canvas) override;
    bool GetSubmission(int Index, std::u16string& S) override;
    void SetData(int Index, std::u16string_view V) override;
    void ResetToValue() override;
    void RememberEnterState() override;
    void NotifyIfChanged() override;
    void DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) override;

    TListBox* FControl = nullptr;
    int32_t EnterItems = 0;
    std::vector<bool> EnterSelected;  // every item's selection on entering

protected:
    TListBoxFormControlObj(TCellBasic* Parent, const TListBoxFormControlObj& Source);
};

class TComboFormControlObj : public TOptionsFormControlObj {
public:
    TComboFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);
    ~TComboFormControlObj() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    TWinControl* GetTheControl() override;
    void ProcessProperties(TProperties* Prop) override;
    void SetHeightWidth(TCanvas* Canvas) override;
    bool GetSubmission(int Index, std::u16string& S) override;
    void SetData(int Index, std::u16string_view V) override;
    void ResetToValue() override;
    void RememberEnterState() override;
    void NotifyIfChanged() override;
    void DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) override;

    ThtComboBox* FControl = nullptr;
    int32_t EnterIndex = -1;
    std::u16string FPlaceholder;

protected:
    TComboFormControlObj(TCellBasic* Parent, const TComboFormControlObj& Source);
};
