#pragma once
// The dialog in which the user picks one entry of a device list: a device of
// a media type (plain mode) or a PKCS#11 slot of the HSM with its token's
// label and serial (wide mode), and the rule deciding which tokens the
// current task may use.
#include "components/HistoryEdit.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ListView.h"
#include "platform/framework/Menus.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/TCStringList.h"

class TCCompStorage;
class TCP11Slot;

// The code under which refused tokens are logged.
constexpr uint32_t kRefusedTokenLogCode = 0xC0800026;

class TSelDevForm : public TForm {
    DECLARE_CLASS(TSelDevForm)
    // The list and its slots stay the caller's.
    TSelDevForm(TComponent* AOwner, TCStringList* devices, bool checkToken, bool plain);
    explicit TSelDevForm(TComponent* AOwner) : TSelDevForm(AOwner, nullptr, false, true) {}

    void setPlainMode(bool plain);
    void fillDevices();
    // Plain mode or no token check: accepted. Otherwise checkHsmToken decides;
    // a refusal is logged and shown, and the dialog stays open.
    bool acceptSelection(const char* entryText);

    void act1Execute(TObject* Sender);
    void act1Update(TObject* Sender);
    void lv1ColumnClick(TObject* Sender, TListColumn* Column);
    // Sorts the rows by the run's sort column and direction.
    void sortDevices();
    void lv1Compare(TObject* Sender, TListItem* Item1, TListItem* Item2, int Data, int& Compare);
    void hst1Change(TObject* Sender);
    void btn3Click(TObject* Sender);
    void btn4Click(TObject* Sender);
    void actInfoExecute(TObject* Sender);
    void lv1AdvancedCustomDrawItem(TObject* Sender, TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage,
                                   bool& DefaultDraw);

    // The search: from start in the direction; the found item is shown.
    TListItem* searchFrom(int start, bool forward);
    void showFoundItem(TListItem* item);
    // The entry of the selected row, or null.
    TCString* selectedEntry() const;

    TListView* lv1;
    TPanel* pnl1;
    TLabel* lbl1;
    THistoryEdit* hst1;
    TButton* btn3;
    TButton* btn4;
    TPanel* pnl2;
    TButton* btn1;
    TButton* btn2;
    TButton* btnInfo;
    TActionList* actlst1;
    TAction* act1;
    TAction* actInfo;
    TPopupMenu* pm1;
    TCCompStorage* cmpstrg1;

    bool plainMode = true;
    bool checkToken = false;

private:
    TCStringList* FDevices = nullptr;
};

// The process-wide sort state of the dialog: column (0) and direction (1 ascending, -1 descending).
int selDevSortColumn();
int selDevSortDirection();
void setSelDevSortState(int column, int direction);

// Plain mode unless the location starts with "$"; tokens are checked. On OK
// the chosen entry's text replaces the location and the answer is true.
bool selectFromDeviceList(TCStringList* devices, TCString& location);
// Wide mode; the slot attached to the chosen entry, or null.
TCP11Slot* chooseSlot(TCStringList* devices, bool checkToken);
// The certificates on a token: one in the object view, several in the chain
// window; none, or a failure to read them, is shown as an error.
void showTokenCertificates(const char* tokenName);
// Whether the current task may use the token; false with the reason in message.
bool checkHsmToken(const char* token, TCString& message);
