#pragma once
// The dialogs behind the user object list: one object's parameters
// (identifier, names, value type, criticality) and the base identifier from
// which new objects are numbered.
#include "components/HistoryEdit.h"
#include "components/OidEdit.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/TCString.h"

class TZrXOIDNode;
class TZrXOIDsList;

class TEditObjectForm : public TForm {
    DECLARE_CLASS(TEditObjectForm)
    explicit TEditObjectForm(TComponent* AOwner);

    // Shows the node's values; the checks compare against the other objects of the list.
    void setObject(TZrXOIDsList* list, TZrXOIDNode* node);
    // Identifier and short name can be changed only for a new object.
    void setIdentityEditable(bool editable);

    // The checks of OK; on success the node takes the values.
    void Button1Click(TObject* Sender);
    // Short names are typed in letters, digits and a few signs, never starting with a digit.
    void hedt2KeyPress(TObject* Sender, char32_t& Key);

    TCheckBox* chk1;  // "Критичное расширение"
    TLabel* lbl1;
    TCOIDEdit* oidedt1;
    TLabel* lbl2;
    THistoryEdit* hedt2;  // short name
    TLabel* lbl3;
    THistoryEdit* hedt3;  // long name
    TRadioGroup* rgp1;    // "Тип значения", index = value type
    TButton* Button1;
    TButton* Button2;

private:
    void refuse(TWinControl* field, const String& message);
    TZrXOIDsList* list_ = nullptr;
    TZrXOIDNode* node_ = nullptr;
};

class TEditBaseOIDForm : public TForm {
    DECLARE_CLASS(TEditBaseOIDForm)
    explicit TEditBaseOIDForm(TComponent* AOwner);

    // Keeps the dialog open while the identifier is not a dotted-decimal one.
    void Button1Click(TObject* Sender);

    TLabel* lbl1;
    TCOIDEdit* oidedt1;
    TButton* Button1;
    TButton* Button2;
};

// The object dialog for a node of the list; true when closed with OK (the
// node has then taken the values).
bool editObject(TZrXOIDsList* list, TZrXOIDNode* node, bool isNew);
// The base-identifier dialog started with the text; on OK the text becomes
// the typed identifier and the answer is true.
bool editBaseOID(TCString& oid);
