// The search and sort dialogs of the list views and the functions that run
// them: each dialog lives only while its function runs.
#pragma once

#include "components/HistoryEdit.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ListView.h"

class TCAdvancedListView;

// A search text with its history, from the start or from the current row,
// forward or backward.
class TCFindForm : public TForm {
    DECLARE_CLASS(TCFindForm)
    TCFindForm(TComponent* AOwner, bool fromStart, bool forward, const char* historyName);
    TLabel* Label1;
    THistoryEdit* SearchEdit;
    TRadioGroup* RadioGroup1;
    TRadioGroup* RadioGroup2;
    TButton* Button1;
    TButton* Button2;
    TButton* Button3;
    void RadioGroup1Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

protected:
    int FBottom = 0;  // where controls of a derived dialog go
};

// The search of a list view: also the column searched and the letter case.
class TCFindInListForm : public TCFindForm {
    DECLARE_CLASS(TCFindInListForm)
    TCFindInListForm(TComponent* AOwner, TCAdvancedListView* list, const char* historyName);
    TLabel* Label2;
    TComboBox* ComboBox1;
    TCheckBox* CheckBoxNoIgnoreCase;
};

class TSortListParsForm : public TForm {
    DECLARE_CLASS(TSortListParsForm)
    TSortListParsForm(TComponent* AOwner, TListView* list);
    TLabel* Label1;
    TComboBox* ComboBox1;
    TRadioGroup* RadioGroup1;
    TButton* Button1;
    TButton* Button2;
    TButton* Button3;
};

// 0 when confirmed (the outputs set), non-zero when cancelled.
int getSearchText(String& text, bool& fromStart, bool& forward, const char* historyName);
// Runs the column search dialog and then the search; true when a row was found.
bool alvSearch(TCAdvancedListView* list, const char* historyName);
// 0 when confirmed (the outputs set), non-zero when cancelled; a list
// without columns is answered "cancelled" at once.
int getSortListPars(TListView* list, int& column, bool& ascending);
