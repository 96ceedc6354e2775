#include "platform/framework/TreeView.h"

#include <algorithm>

#include <QHeaderView>
#include <QMouseEvent>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "platform/framework/Graphics.h"
#include "platform/framework/ImgList.h"

#include <functional>

#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

namespace {
constexpr int kNodeRole = Qt::UserRole + 1;
QTreeWidget* treeOf(const TTreeView* t) { return static_cast<QTreeWidget*>(t->Handle()); }
TTreeNode* nodeOf(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<TTreeNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}
TTreeNode* nodeOf(const QModelIndex& index) {
    return index.isValid() ? reinterpret_cast<TTreeNode*>(index.data(kNodeRole).value<quintptr>()) : nullptr;
}
void walk(const std::vector<std::unique_ptr<TTreeNode>>& nodes, const std::function<bool(TTreeNode*)>& fn);

// Paints a node as the drawing handler decides: the canvas brush and font it
// leaves become the node's background and text colour.
class TreeViewDelegate : public QStyledItemDelegate {
public:
    TreeViewDelegate(TTreeView* v, QObject* parent) : QStyledItemDelegate(parent), FView(v) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        TTreeNode* node = nodeOf(index);
        if (!node || !FView->OnAdvancedCustomDrawItem) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        TCanvas* c = FView->Canvas();
        c->Font()->Assign(FView->Font());
        c->Brush()->SetColor(FView->Color());
        c->Brush()->SetStyle(bsSolid);
        const TColor defaultBrush = c->Brush()->Color();
        TCustomDrawState st = 0;
        if (option.state & QStyle::State_Selected) st |= cdsSelected;
        if (option.state & QStyle::State_HasFocus) st |= cdsFocused;
        bool draw = true, images = true;
        dispatchGuarded(FView, [&] { draw = FView->CustomDrawItem(node, st, cdPrePaint, images); });
        if (!draw) return;
        QStyleOptionViewItem o(option);
        o.font = toQFont(*c->Font());
        o.palette.setColor(QPalette::Text, toQColor(c->Font()->Color()));
        if (!images) o.features &= ~QStyleOptionViewItem::HasDecoration;
        if (c->Brush()->Color() != defaultBrush) {
            const QBrush brush(toQColor(c->Brush()->Color()));
            p->fillRect(option.rect, brush);
            // The handler's colour stands for the selection too.
            o.state &= ~QStyle::State_Selected;
            o.backgroundBrush = brush;
        }
        QStyledItemDelegate::paint(p, o, index);
    }
    TTreeView* FView;
};
}  // namespace

// Asks the tree before the user moves the current node (keys, mouse,
// keyboard search); a refused move leaves node and selection alone. Moves by
// code ask in TTreeView::SetSelected.
class TreeWidget : public QTreeWidget {
public:
    explicit TreeWidget(TTreeView* v) : FView(v) {}

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex to = QTreeWidget::moveCursor(action, modifiers);
        return allowed(to) ? to : currentIndex();
    }
    void mousePressEvent(QMouseEvent* e) override {
        const QModelIndex at = indexAt(e->position().toPoint());
        if (e->button() == Qt::RightButton && !FView->RightClickSelect()) return;
        if (at.isValid() && !allowed(at)) return;
        QTreeWidget::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        // Dragging over the rows would move the current node unasked.
        if (e->buttons() != Qt::NoButton) return;
        QTreeWidget::mouseMoveEvent(e);
    }
    void keyboardSearch(const QString& search) override {
        // Find the row quietly, then move there as a key would.
        const QModelIndex before = currentIndex();
        const bool blocked = blockSignals(true);
        QTreeWidget::keyboardSearch(search);
        const QModelIndex found = currentIndex();
        if (found != before) setCurrentIndex(before);
        blockSignals(blocked);
        if (found != before && allowed(found)) setCurrentIndex(found);
    }

private:
    bool allowed(const QModelIndex& to) {
        if (!to.isValid() || to == currentIndex() || nodeOf(to) == FView->Selected()) return true;
        bool ok = true;
        dispatchGuarded(FView, [&] { ok = FView->CanChange(nodeOf(to)); });
        return ok;
    }
    TTreeView* FView;
};

// ---- TTreeNode

void TTreeNode::SetImageIndex(int v) {
    FImageIndex = v;
    ApplyImage();
}

void TTreeNode::SetSelectedIndex(int v) {
    FSelectedIndex = v;
    ApplyImage();
}

void TTreeNode::ApplyImage() {
    if (!FItem) return;
    const TCustomImageList* images = FTree->Images();
    const int index = Selected() && FSelectedIndex >= 0 ? FSelectedIndex : FImageIndex;
    const QImage* img = images && index >= 0 ? images->Image(index) : nullptr;
    FItem->setIcon(0, img ? QIcon(QPixmap::fromImage(*img)) : QIcon());
}

void TTreeNode::SetText(const String& v) {
    FText = v;
    if (FItem) FItem->setText(0, toQ(v));
}

int TTreeNode::Index() const {
    const auto& list = FParent ? FParent->FChildren : FTree->FItems->FRoots;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == this) return int(i);
    return -1;
}

int TTreeNode::Level() const {
    int n = 0;
    for (TTreeNode* p = FParent; p; p = p->FParent) ++n;
    return n;
}

void TTreeNode::Delete() { FTree->Items()->Delete(this); }

bool TTreeNode::Selected() const { return FTree->Selected() == this; }

void TTreeNode::SetSelected(bool v) {
    if (v) FTree->SetSelected(this);
    else if (Selected()) FTree->SetSelected(nullptr);
}

bool TTreeNode::Expanded() const { return FItem && FItem->isExpanded(); }

void TTreeNode::Expand(bool recurse) {
    if (FItem) FItem->setExpanded(true);
    if (recurse)
        for (auto& c : FChildren) c->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    if (FItem) FItem->setExpanded(false);
    if (recurse)
        for (auto& c : FChildren) c->Collapse(true);
}

// ---- TTreeNodes

namespace {
// Visits nodes in tree order until fn answers false; false when stopped.
bool walkNode(TTreeNode* n, const std::function<bool(TTreeNode*)>& fn) {
    if (!fn(n)) return false;
    for (int i = 0; i < n->Count(); ++i)
        if (!walkNode(n->Item(i), fn)) return false;
    return true;
}
void walk(const std::vector<std::unique_ptr<TTreeNode>>& nodes, const std::function<bool(TTreeNode*)>& fn) {
    for (auto& n : nodes)
        if (!walkNode(n.get(), fn)) return;
}
}  // namespace

int TTreeNodes::Count() const {
    int n = 0;
    walk(FRoots, [&](TTreeNode*) {
        ++n;
        return true;
    });
    return n;
}

TTreeNode* TTreeNodes::Item(int i) const {
    TTreeNode* found = nullptr;
    int k = 0;
    walk(FRoots, [&](TTreeNode* n) {
        if (k++ == i) {
            found = n;
            return false;
        }
        return true;
    });
    return found;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const String& text, void* data) {
    return AddChildObject(sibling ? sibling->Parent() : nullptr, text, data);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const String& text, void* data) {
    auto node = std::unique_ptr<TTreeNode>(new TTreeNode(FTree, parent));
    TTreeNode* n = node.get();
    n->FText = text;
    n->FData = data;
    (parent ? parent->FChildren : FRoots).push_back(std::move(node));
    FTree->attach(n);
    return n;
}

void TTreeNodes::Clear() {
    // The selected node goes with the others: forget it before it is freed.
    const bool hadSelection = FTree->FSelected != nullptr;
    FTree->FSelected = nullptr;
    FTree->FClearing = true;
    if (QTreeWidget* w = treeOf(FTree)) w->clear();
    FRoots.clear();
    FTree->FClearing = false;
    if (hadSelection && FTree->OnChange) FTree->OnChange(FTree, nullptr);
}

void TTreeNodes::Delete(TTreeNode* node) {
    if (!node || node->FTree != FTree) return;
    bool selectionGoes = false;
    walkNode(node, [&](TTreeNode* n) {
        if (n == FTree->FSelected) selectionGoes = true;
        return !selectionGoes;
    });
    auto& siblings = node->FParent ? node->FParent->FChildren : FRoots;
    auto it = std::find_if(siblings.begin(), siblings.end(), [node](const auto& p) { return p.get() == node; });
    if (it == siblings.end()) return;
    // Taken out first, so that nothing reaches the node while its item goes.
    std::unique_ptr<TTreeNode> owned = std::move(*it);
    siblings.erase(it);
    if (selectionGoes) FTree->FSelected = nullptr;
    FTree->FClearing = true;
    delete node->FItem;  // the item takes its children's items along
    FTree->FClearing = false;
    walkNode(node, [](TTreeNode* n) {
        n->FItem = nullptr;
        return true;
    });
    owned.reset();
    if (selectionGoes) {
        if (QTreeWidget* w = treeOf(FTree)) {
            const bool blocked = w->blockSignals(true);
            w->setCurrentItem(nullptr);
            w->blockSignals(blocked);
        }
        if (FTree->OnChange) FTree->OnChange(FTree, nullptr);
    }
}

void TTreeNodes::BeginUpdate() {
    if (FUpdate++ == 0)
        if (QTreeWidget* w = treeOf(FTree)) w->setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate() {
    if (FUpdate > 0 && --FUpdate == 0)
        if (QTreeWidget* w = treeOf(FTree)) w->setUpdatesEnabled(true);
}

// ---- TTreeView

int TTreeView::Indent() const { return treeOf(this)->indentation(); }

void TTreeView::SetIndent(int v) { treeOf(this)->setIndentation(v < 0 ? 0 : v); }

IMPLEMENT_CLASS(TTreeView, TWinControl) {
    r.Enum("Align", AlignInfo, &TTreeView::Align, &TTreeView::SetAlign);
    r.Boolean("HideSelection", &TTreeView::HideSelection, &TTreeView::SetHideSelection);
    r.Boolean("ReadOnly", &TTreeView::ReadOnly, &TTreeView::SetReadOnly);
    r.Integer("Indent", &TTreeView::Indent, &TTreeView::SetIndent);
    r.Boolean("RightClickSelect", &TTreeView::RightClickSelect, &TTreeView::SetRightClickSelect);
}

TTreeView::TTreeView(TComponent* AOwner) : TWinControl(AOwner), FItems(new TTreeNodes(this)), FCanvas(new TCanvas) {
    auto* w = new TreeWidget(this);
    w->setItemDelegate(new TreeViewDelegate(this, w));
    w->setHeaderHidden(true);
    w->setColumnCount(1);
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    w->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FWidth = 121;
    FHeight = 97;
    FClickOnRelease = false;
    SetWidget(w);
    SetTabStop(true);
    QObject::connect(w, &QTreeWidget::currentItemChanged, w, [this](QTreeWidgetItem* cur, QTreeWidgetItem*) {
        if (FClearing) return;
        TTreeNode* n = nodeOf(cur);
        dispatchGuarded(this, [this, n] { selectionChanged(n); });
    });
}

TTreeView::~TTreeView() {
    Destroying();
    // The widget outlives this part of the object: it must not call back.
    if (QTreeWidget* w = treeOf(this)) w->blockSignals(true);
    FClearing = true;
    FItems->FRoots.clear();
}

void TTreeView::SetImages(TCustomImageList* v) {
    if (v == FImages) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = v;
    if (FImages) FImages->FreeNotification(this);
    imagesChanged();
}

void TTreeView::imagesChanged() {
    walk(FItems->FRoots, [](TTreeNode* n) {
        n->ApplyImage();
        return true;
    });
}

void TTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) {
        FImages = nullptr;
        imagesChanged();
    }
}

bool TTreeView::CustomDrawItem(TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage, bool& PaintImages) {
    bool draw = true;
    if (OnAdvancedCustomDrawItem) OnAdvancedCustomDrawItem(this, Node, State, Stage, PaintImages, draw);
    return draw;
}

bool TTreeView::CanChange(TTreeNode* Node) {
    bool allow = true;
    if (OnChanging) OnChanging(this, Node, allow);
    return allow;
}

void TTreeView::attach(TTreeNode* node) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, toQ(node->FText));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    node->FItem = item;
    if (node->FParent && node->FParent->FItem) node->FParent->FItem->addChild(item);
    else if (QTreeWidget* w = treeOf(this)) w->addTopLevelItem(item);
}

void TTreeView::selectionChanged(TTreeNode* node) {
    if (node == FSelected) return;
    TTreeNode* old = FSelected;
    FSelected = node;
    // The selected picture follows the selection.
    if (old) old->ApplyImage();
    if (node) node->ApplyImage();
    if (OnChange) OnChange(this, node);
}

void TTreeView::SetSelected(TTreeNode* node) {
    if (node != FSelected && !CanChange(node)) return;
    QTreeWidget* w = treeOf(this);
    if (w) {
        w->setCurrentItem(node ? node->FItem : nullptr);
        if (node && node->FItem) node->FItem->setSelected(true);
    }
    // Offscreen or without a widget the signal may not come: keep the state.
    selectionChanged(node);
}

void TTreeView::FullExpand() {
    for (auto& n : FItems->FRoots) n->Expand(true);
}

void TTreeView::FullCollapse() {
    for (auto& n : FItems->FRoots) n->Collapse(true);
}
