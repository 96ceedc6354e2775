// The tree view: nodes with a text and a data pointer, one selected node.
#pragma once

#include <memory>
#include <vector>

#include "platform/framework/Controls.h"
#include "platform/framework/ListView.h"

class TTreeView;
class TTreeNodes;
class QTreeWidgetItem;

class TTreeNode {
public:
    const String& Text() const { return FText; }
    void SetText(const String& v);
    void* Data() const { return FData; }
    void SetData(void* v) { FData = v; }
    TTreeNode* Parent() const { return FParent; }
    int Count() const { return int(FChildren.size()); }
    TTreeNode* Item(int i) const { return i >= 0 && i < Count() ? FChildren[size_t(i)].get() : nullptr; }
    bool HasChildren() const { return !FChildren.empty(); }
    int Index() const;
    int Level() const;
    bool Selected() const;
    void SetSelected(bool v);
    bool Expanded() const;
    void Expand(bool recurse);
    void Collapse(bool recurse);
    TTreeView* TreeView() const { return FTree; }
    // Pictures from the tree's Images (-1: none); the selected one while selected.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    int SelectedIndex() const { return FSelectedIndex; }
    void SetSelectedIndex(int v);
    // Removes the node and its children from the tree and frees them; the
    // selection, when it was among them, becomes empty (OnChange with null).
    void Delete();

private:
    friend class TTreeNodes;
    friend class TTreeView;
    TTreeNode(TTreeView* tree, TTreeNode* parent) : FTree(tree), FParent(parent) {}
    TTreeView* FTree;
    TTreeNode* FParent;
    QTreeWidgetItem* FItem = nullptr;
    void ApplyImage();
    String FText;
    void* FData = nullptr;
    int FImageIndex = -1, FSelectedIndex = -1;
    std::vector<std::unique_ptr<TTreeNode>> FChildren;
};

class TTreeNodes {
public:
    // Every node, in tree order.
    int Count() const;
    TTreeNode* Item(int i) const;
    TTreeNode* GetFirstNode() const { return FRoots.empty() ? nullptr : FRoots.front().get(); }
    // A node after the last sibling of `sibling` (a root node when null).
    TTreeNode* Add(TTreeNode* sibling, const String& text) { return AddObject(sibling, text, nullptr); }
    TTreeNode* AddObject(TTreeNode* sibling, const String& text, void* data);
    TTreeNode* AddChild(TTreeNode* parent, const String& text) { return AddChildObject(parent, text, nullptr); }
    TTreeNode* AddChildObject(TTreeNode* parent, const String& text, void* data);
    void Clear();
    // As node->Delete().
    void Delete(TTreeNode* node);
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TTreeView;
    friend class TTreeNode;
    explicit TTreeNodes(TTreeView* tree) : FTree(tree) {}
    TTreeView* FTree;
    std::vector<std::unique_ptr<TTreeNode>> FRoots;
    int FUpdate = 0;
};

using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
// Before the selection moves to Node (by the user or by code); clearing
// AllowChange keeps the selected node.
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
// Before a node is painted (Stage cdPrePaint): the canvas's brush and font
// that the handler leaves become the node's background and text colour.
using TTVAdvancedCustomDrawItemEvent =
    std::function<void(TObject* Sender, TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage,
                       bool& PaintImages, bool& DefaultDraw)>;

class TTreeView : public TWinControl {
    DECLARE_CLASS(TTreeView)
    explicit TTreeView(TComponent* AOwner);
    ~TTreeView() override;

    TTreeNodes* Items() const { return FItems.get(); }
    TTreeNode* Selected() const { return FSelected; }
    void SetSelected(TTreeNode* node);
    void FullExpand();
    void FullCollapse();
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool v) { FHideSelection = v; }
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int v) { FMinWidth = v; }
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int v) { FMinHeight = v; }
    // A right click on a node selects it (as a left click would) before the
    // pop-up menu shows; without, a right click leaves the selection alone.
    // Pixels each level of nodes is moved right of its parent.
    int Indent() const;
    void SetIndent(int v);
    bool RightClickSelect() const { return FRightClickSelect; }
    void SetRightClickSelect(bool v) { FRightClickSelect = v; }

    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* v);
    TCanvas* Canvas() const { return FCanvas.get(); }

    // Asked before the selection moves to another node; may refuse.
    TTVChangingEvent OnChanging;
    // The selection moved to Node (null when the tree became empty).
    TTVChangedEvent OnChange;
    TTVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;

    // Runs the drawing handler for a node; false when it painted the node itself.
    bool CustomDrawItem(TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage, bool& PaintImages);
    // Runs OnChanging for a move of the selection to Node; true when allowed.
    bool CanChange(TTreeNode* Node);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    void attach(TTreeNode* node);
    void selectionChanged(TTreeNode* node);
    void imagesChanged();
    std::unique_ptr<TTreeNodes> FItems;
    std::unique_ptr<TCanvas> FCanvas;
    TCustomImageList* FImages = nullptr;
    TTreeNode* FSelected = nullptr;
    bool FReadOnly = false;
    bool FHideSelection = true;
    bool FClearing = false;
    bool FRightClickSelect = false;
    int FMinWidth = 0, FMinHeight = 0;
};
