#pragma once
// The owner-parameter dialog: the owner of new keys fills in the request's
// name entries and extensions, chooses what is generated and with which
// algorithms, names the destination container and types its password.
// Everything confirmed is written into the request parameter maker; the
// field rules (checks, name coupling, service serials, identity fields, the
// page-leave check) are hooks of the form.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "locations/CtxPromptFrame.h"
#include "components/CCompStorage.h"
#include "components/CEditorsBox.h"
#include "components/CFlagsBox.h"
#include "components/CheckBoxes.h"
#include "components/FormsTranslation.h"
#include "platform/core/x509/NameList.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/Splitter.h"
#include "platform/framework/StdCtrls.h"
#include "platform/framework/TreeView.h"
#include "requests/ReqPropsFrame.h"

class TCRequestParamMaker;
class TEditUserParmsForm;

// One field check: false refuses (it has shown its message and focused the field).
using TUserParmsCheck = bool (*)(TEditUserParmsForm* form, TCXEditsEntry* entry);

class TEditUserParmsForm : public TForm {
    DECLARE_CLASS(TEditUserParmsForm)
    explicit TEditUserParmsForm(TComponent* AOwner);
    ~TEditUserParmsForm() override;

    TPageControl* pgc1;
    TTabSheet* ts1;  // "Параметры владельца"
    TPanel* pnl1;    // the tree's panel
    TTreeView* tv1;
    TPanel* pnl2;      // extension buttons, hidden
    TButton* btnAdd1;  // actAdd
    TButton* btnAdd;   // actDelete
    TSplitter* spl1;
    TCEditorsBox* CEditorsBox1;
    TPanel* Panel1;         // the bottom panel
    TCheckBoxes* chckbxs1;  // "Формировать"
    TGroupBox* grpAlg;      // "Алгоритмы ключей"
    TLabel* lbl4;
    TCFlagsBox* flbx1;  // signature parameter sets
    TLabel* lbl5;
    TCFlagsBox* flbx2;    // key-agreement parameter sets
    TGroupBox* grpDest;   // "Записать в "
    TGroupBox* grpPassw;  // "Ввод пароля"
    TLabel* lbl1;
    TPasswordEdit* PasswordEdit;
    TLabel* lbl2;
    TPasswordEdit* PasswordConfirm;
    TLabel* lbl3;      // "Раскладка"
    TPanel* pnl4;      // the keyboard layout
    TButton* Button1;  // act1 "Принять"
    TButton* Button2;  // "Отменить"
    TTimer* tmr1;
    TActionList* actlst1;
    TAction* act1;
    TAction* actAdd;
    TAction* act2;
    TAction* actDelete;
    TPopupMenu* pm1;
    TCCompStorage* cmpstrg1;
    TCFormTranslator* frmtrnsltr1;

    // Set-up from the maker; true (the dialog is then shown).
    bool initFromMaker(TCRequestParamMaker* maker);
    TCRequestParamMaker* maker() const { return maker_; }
    TCtxPtromptFrame* locationFrame() const { return ctxFrame_; }
    TCXEditsEntry* rootEntry() { return &rootEntry_; }
    TTreeNode* ownerNode() const { return ownerNode_; }
    TTreeNode* extensionsNode() const { return extNode_; }
    const std::vector<TCBaseReqPropsFrame*>& pages() const { return pages_; }

    // The checks of one entry in order; the first false stops.
    bool checkEntry(TCXEditsEntry* entry);
    // An entry and, for a compound one, each sub-entry; a failure shows its
    // page, node and field.
    bool checkEntries(TCXEditsEntry* entry);
    // The field's editor (when shown) gets the text and the first entry of
    // that name through the tree's entries the value.
    void setEntryValue(const char* fieldName, const char* text);
    // The first entry of the name through the tree's entries.
    TCXEditsEntry* findTreeEntry(const char* fieldName) const;
    void setExtensionEditMode(bool on);
    bool extensionEditMode() const { return extEditMode_; }
    // The full validation of "Принять"; true when the dialog may close with OK.
    bool validate();
    // The page-leave check of the shown entry; false refuses leaving it.
    bool checkPageLeave();
    // The caller's password buffer in bytes (0: none); a longer password is refused.
    void setPasswordCapacity(size_t bytes) { passwordCapacity_ = bytes; }

    void tmr1Timer(TObject* Sender);
    void act1Execute(TObject* Sender);
    void act1Update(TObject* Sender);
    void actAddExecute(TObject* Sender);
    void actDeleteUpdate(TObject* Sender);
    void actDeleteExecute(TObject* Sender);
    void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void tv1Change(TObject* Sender, TTreeNode* Node);
    void tv1Changing(TObject* Sender, TTreeNode* Node, bool& AllowChange);
    void chckbxs1ChekBoxClick(TObject* Sender);
    bool CEditorsBox1CreateEditor(TObject* Sender, TCompoundEdit* editor, TCEditsEntryType type, String name,
                                  String& caption, String& value);
    bool DoSetSerialValue(TObject* Sender, TCompoundEdit* editor, String& value);
    void PasswordEditDblClick(TObject* Sender);
    void Button1Click(TObject* Sender);
    void mediaChanged(TObject* Sender, uint32_t mediaType);
    // The editor of the dialog whose list is dropped down (an owner field,
    // an algorithm choice, the destination's media), or null.
    TCompoundEdit* droppedEditor() const;

    // The rules' own steps, also run by the hooks.
    void localityRule();
    void composeCommonName();
    void splitCommonName();
    void serialNumberRule(const std::string& text);
    void identityCodeRule();
    void recordNumberRule();

private:
    friend bool checkRequired(TEditUserParmsForm*, TCXEditsEntry*);
    friend bool checkLength(TEditUserParmsForm*, TCXEditsEntry*);
    friend bool checkEmail(TEditUserParmsForm*, TCXEditsEntry*);

    void buildTree();
    void createPages();
    void layoutGroups();
    bool checkDestination();
    bool selectParams();
    void refuseAt(TWinControl* control, const std::string& message);
    void focusControl(TWinControl* control);
    // Editor rows: the label and entry of an editor, its row index (-1 when
    // not in the box).
    int rowOf(const TCompoundEdit* editor) const;
    TLabel* labelOf(const TCompoundEdit* editor) const;
    TCompoundEdit* editorOf(const char* name) const;
    bool comesBefore(const TCompoundEdit* a, const TCompoundEdit* b) const;
    void chainExit(TCompoundEdit* editor, std::function<void()> step);
    void chainChange(TCompoundEdit* editor, std::function<void()> step);
    void attachNameFilter(TCompoundEdit* editor);
    void fillTestOwner();
    void putTestPassword(const char* password, bool both);

    TCRequestParamMaker* maker_ = nullptr;
    TCX509StubListEntry rootEntry_;
    std::vector<TCBaseReqPropsFrame*> pages_;
    std::vector<std::pair<TUserParmsCheck, TEditUserParmsForm*>> checks_;
    TCtxPtromptFrame* ctxFrame_ = nullptr;
    TTreeNode* ownerNode_ = nullptr;
    TTreeNode* extNode_ = nullptr;
    std::function<void(const std::string&)> serialHandler_;
    String pspMask_;       // the document field's own edit mask
    bool idCard_ = false;  // the record number is filled
    bool extEditMode_ = false;
    bool filtering_ = false;
    std::string testPassword_;
    int minPassword_ = 0;
    int maxPassword_ = 0;
    size_t passwordCapacity_ = 0;
};

// The field checks, in the order the dialog runs them.
bool checkRequired(TEditUserParmsForm* form, TCXEditsEntry* entry);
bool checkLength(TEditUserParmsForm* form, TCXEditsEntry* entry);
bool checkEmail(TEditUserParmsForm* form, TCXEditsEntry* entry);

// The dialog for a maker: true when the owner accepted. With a password
// buffer of `passwordSize` bytes the accepted password is copied into it
// (cut at a character boundary, always terminated); description, when
// given, is the dialog's caption.
bool execEditUserParmsFormEx(TCRequestParamMaker* maker, char* password, size_t passwordSize, const char* description);
// The dialog that is open, null when none.
TEditUserParmsForm* openEditUserParmsForm();
