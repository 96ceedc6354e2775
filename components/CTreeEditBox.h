// The tree edit box: a tree of an entry's compound parts, a splitter, and an
// editors box showing the fields of the selected part.
#pragma once

#include "components/CEditorsBox.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Splitter.h"
#include "platform/framework/TreeView.h"

class TCTreeEditBox : public TPanel {
    DECLARE_CLASS(TCTreeEditBox)
    explicit TCTreeEditBox(TComponent* AOwner);

    // A new entry rebuilds the tree; the editors are refilled in any case.
    void setEntry(TCXEditsEntry* entry);
    TCXEditsEntry* getEntry() const { return FEntry; }
    TTreeView* getTree() const { return FTree; }
    TCEditorsBox* getEditors() const { return FEditors; }
    TSplitter* getSplitter() const { return FSplitter; }

    int SplitterPos() const { return FSplitterPos; }
    void SetSplitterPos(int v);
    bool Vertical() const { return FVertical; }
    void SetVertical(bool v);
    bool AutoHideTree() const { return FAutoHideTree; }
    void SetAutoHideTree(bool v);
    TEditorsBoxValueEvent GetOnGetEditorValue() const { return FEditors->OnGetEditorValue; }
    void SetOnGetEditorValue(TEditorsBoxValueEvent ev) { FEditors->OnGetEditorValue = std::move(ev); }
    bool GetReadOnly() const { return FEditors->ReadOnly(); }
    void SetReadOnly(bool v) { FEditors->SetReadOnly(v); }

    void SetParent(TWinControl* p) override;
    void realign();
    void initTreeView();
    void checkTreeVisible();

protected:
    void createSplitter(TAlign align);
    void initTreeNodes(TCXEditsEntry* entry, TTreeNode* parent);
    void tv1Change(TTreeNode* node);

private:
    TTreeView* FTree;
    TCEditorsBox* FEditors;
    TSplitter* FSplitter = nullptr;
    TCXEditsEntry* FEntry = nullptr;
    int FSplitterPos = 0;
    bool FVertical = false;
    bool FAutoHideTree = false;
};
