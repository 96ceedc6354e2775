#pragma once
// The user object list window: choosing one object of the list (its
// extension format goes to the caller) and, in edit mode, creating,
// changing and deleting objects and setting the base identifier. Every
// confirmed change is saved to the list's file at once.
#include "components/CAdvancedListView.h"
#include "components/ResImageList.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/StatusBar.h"

class TZrXOIDNode;
class TZrXOIDsList;

class TEditObjListForm : public TForm {
    DECLARE_CLASS(TEditObjListForm)
    explicit TEditObjListForm(TComponent* AOwner);

    // Shows the commands of the modes, loads the list when it is empty
    // (asking for its file the first time), asks the base identifier when
    // the list has none, and fills the rows. False when the window is not to
    // be shown (cancelled, or the file could not be loaded or saved).
    bool setup(bool selectMode, bool editMode);
    // The node of the one selected row, null otherwise.
    TZrXOIDNode* selectedNode() const;
    TZrXOIDsList* list() const { return list_; }

    void actOKExecute(TObject* Sender);
    void actOKUpdate(TObject* Sender);
    void actCancelExecute(TObject* Sender);
    void actFindExecute(TObject* Sender);
    void actFindUpdate(TObject* Sender);
    void actFindNextExecute(TObject* Sender);
    void actFindPrevExecute(TObject* Sender);
    void actSetPfxExecute(TObject* Sender);
    void actCreateExecute(TObject* Sender);
    void actEditExecute(TObject* Sender);
    void actDeleteExecute(TObject* Sender);
    void actDeleteUpdate(TObject* Sender);
    void CAlv1DblClick(TObject* Sender);

    TToolBar* tlb1;
    TToolButton *btnOK, *btnCancel, *btn6, *btnCreate, *btnEdit, *btn1, *btnDelete, *btn2, *btnFind, *btn4,
        *btnFindPrev, *btnFindNext;
    TCAdvancedListView* CAlv1;
    TStatusBar* stat1;
    TMainMenu* mm1;
    TMenuItem* N3;  // "Выбор"
    TPopupMenu* pm1;
    TResImageList* rsmglst1;
    TResImageList* rsmglst2;
    TOpenDialog* dlgOpen1;
    TActionList* actlst1;
    TAction *actOK, *actCancel, *actCreate, *actEdit, *actDelete, *actFind, *actFindNext, *actFindPrev, *actSetPfx;

private:
    TToolButton* addToolButton(const char* name, TAction* action);
    // An action of the form's list in a category, run by the form's own handlers.
    TAction* addAction(const char* name, const char* category, const char* caption, const char* hint,
                       void (TEditObjListForm::*execute)(TObject*), void (TEditObjListForm::*update)(TObject*));
    bool loadList();
    void fillRows();
    void fillRow(TListItem* item, TZrXOIDNode* node);
    TZrXOIDsList* list_;
};
