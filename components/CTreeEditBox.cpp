#include "components/CTreeEditBox.h"

IMPLEMENT_CLASS(TCTreeEditBox, TPanel) {
    r.Boolean("AutoHideTree", &TCTreeEditBox::AutoHideTree, &TCTreeEditBox::SetAutoHideTree);
    r.Boolean("ReadOnly", &TCTreeEditBox::GetReadOnly, &TCTreeEditBox::SetReadOnly);
    r.Integer("SplitterPos", &TCTreeEditBox::SplitterPos, &TCTreeEditBox::SetSplitterPos);
    r.Boolean("Vertical", &TCTreeEditBox::Vertical, &TCTreeEditBox::SetVertical);
}

TCTreeEditBox::TCTreeEditBox(TComponent* AOwner) : TPanel(AOwner) {
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetCaption("");
    FTree = new TTreeView(this);
    FTree->SetParent(this);
    FTree->SetMinWidth(10);
    FTree->SetMinHeight(10);
    FTree->SetHideSelection(false);
    FTree->SetReadOnly(true);
    FTree->OnChange = [this](TObject*, TTreeNode* n) { tv1Change(n); };
    FEditors = new TCEditorsBox(this);
    FEditors->SetParent(this);
}

void TCTreeEditBox::SetParent(TWinControl* p) {
    TPanel::SetParent(p);
    if (p) realign();
}

void TCTreeEditBox::SetSplitterPos(int v) {
    FSplitterPos = v;
    if (FVertical) FTree->SetHeight(v);
    else FTree->SetWidth(v);
    AlignControls();
}

void TCTreeEditBox::SetVertical(bool v) {
    if (v == FVertical) return;
    FVertical = v;
    if (Parent()) realign();
}

void TCTreeEditBox::SetAutoHideTree(bool v) {
    FAutoHideTree = v;
    if (!v) {
        // A tree hidden while it had one node comes back.
        FTree->Show();
        if (FSplitter) FSplitter->Show();
        AlignControls();
        FEditors->realignEditors();
    }
    checkTreeVisible();
}

void TCTreeEditBox::createSplitter(TAlign align) {
    FSplitter = new TSplitter(this);
    FSplitter->SetBeveled(true);
    if (align == alTop) {
        FSplitter->SetHeight(3);
        FSplitter->SetTop(FSplitterPos + 1);
    } else {
        FSplitter->SetWidth(3);
        FSplitter->SetLeft(FSplitterPos + 1);
    }
    FSplitter->SetParent(this);
    FSplitter->SetAlign(align);
}

void TCTreeEditBox::realign() {
    if (FSplitterPos == 0) FSplitterPos = ClientWidth() / 3;
    TAlign want = FVertical ? alTop : alLeft;
    if (FTree->Align() == want) return;
    DisableAlign();
    if (FSplitter) {
        TSplitter* s = FSplitter;
        FSplitter = nullptr;
        s->Free();
    }
    FEditors->SetAlign(alNone);
    if (FVertical) {
        FTree->SetHeight(FSplitterPos);
        FTree->SetAlign(alTop);
    } else {
        FTree->SetWidth(FSplitterPos);
        FTree->SetAlign(alLeft);
    }
    createSplitter(want);
    FEditors->SetAlign(alClient);
    EnableAlign();
}

void TCTreeEditBox::setEntry(TCXEditsEntry* entry) {
    if (entry != FEntry) {
        FEntry = entry;
        initTreeView();
    }
    FEditors->setValues();
}

void TCTreeEditBox::initTreeView() {
    TTreeNodes* nodes = FTree->Items();
    nodes->BeginUpdate();
    nodes->Clear();
    if (FEntry) {
        TTreeNode* root = nullptr;
        int type = FEntry->valueType();
        if (type != xvtNone && type != -1) root = nodes->AddChildObject(nullptr, Trim(FEntry->caption().str()), FEntry);
        initTreeNodes(FEntry, root);
        FTree->FullExpand();
        if (TTreeNode* first = nodes->GetFirstNode()) FTree->SetSelected(first);
    } else {
        FEditors->setEntry(nullptr);
    }
    nodes->EndUpdate();
    checkTreeVisible();
}

void TCTreeEditBox::initTreeNodes(TCXEditsEntry* entry, TTreeNode* parent) {
    TCXEditsList* list = entry ? entry->getSubEntries() : nullptr;
    if (!list) return;
    for (int i = 0; i < list->count(); ++i) {
        TCXEditsEntry* sub = list->at(i);
        TCXEditsList* subList = sub->getSubEntries();
        if (!subList || subList->count() == 0) continue;
        TTreeNode* node = FTree->Items()->AddChildObject(parent, Trim(sub->caption().str()), sub);
        initTreeNodes(sub, node);
    }
}

void TCTreeEditBox::tv1Change(TTreeNode* node) {
    if (FEntry && node && node->Selected()) FEditors->setEntry(static_cast<TCXEditsEntry*>(node->Data()));
}

void TCTreeEditBox::checkTreeVisible() {
    if (!FAutoHideTree) return;
    bool one = FTree->Items()->Count() == 1;
    FTree->SetVisible(!one);
    if (FSplitter) {
        FSplitter->SetVisible(!one);
        if (!one) {
            if (FVertical) FSplitter->SetTop(FTree->Top() + FTree->Height());
            else FSplitter->SetLeft(FTree->Left() + FTree->Width());
        }
    }
    AlignControls();
    FEditors->realignEditors();
}
